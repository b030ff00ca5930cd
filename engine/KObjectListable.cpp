#include "KObjectListable.h"

KObjectListable::KObjectListable() : next(nullptr), prev(nullptr) {}

KObjectListable::KObjectListable(const KObjectListable &) : KObjectBase(), next(nullptr), prev(nullptr) {}

KObjectListable &KObjectListable::operator=(const KObjectListable &other) {
  if (this == &other) return *this;
  next = nullptr;
  prev = nullptr;
  return *this;
}

KObjectListable::~KObjectListable() {}
