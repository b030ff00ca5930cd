#pragma once

/// Root of the engine's listable objects. It holds nothing; it only gives
/// every derived class a virtual destructor.
class KObjectBase {
public:
  KObjectBase() = default;
  virtual ~KObjectBase();
};
