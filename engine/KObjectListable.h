#pragma once

#include "KObjectBase.h"

/// An object that can sit in one intrusive KList. The links are the list's
/// business: a copy or an assignment never inherits list membership.
class KObjectListable : public KObjectBase {
public:
  KObjectListable();
  /// A copy starts outside any list.
  KObjectListable(const KObjectListable &other);
  /// Clears this object's links and copies nothing of the other's membership.
  KObjectListable &operator=(const KObjectListable &other);
  /// Leaves the links alone: the owner unlinks the object first.
  ~KObjectListable() override;

  /// The following element, or the list itself after the last; null outside a list.
  KObjectListable *next;
  /// The preceding element, or the list itself before the first; null outside a list.
  KObjectListable *prev;
};
