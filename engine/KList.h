#pragma once

#include <cstdint>

#include "KObjectListable.h"

/// A circular doubly linked list of KObjectListable elements, with the list
/// itself as the sentinel. The list does not own its elements: destroying it
/// unlinks them and leaves them alive.
template <class T> class KList : public KObjectListable {
public:
  KList() : count(0) {
    next = this;
    prev = this;
  }

  ~KList() override {
    while (next != this) unlink(next);
    next = nullptr;
    prev = nullptr;
  }

  KList(const KList &) = delete;
  KList &operator=(const KList &) = delete;

  /// Puts `element` at the end of the list.
  void append(T *element) {
    KObjectListable *e = element;
    KObjectListable *last = prev;
    e->next = this;
    e->prev = last;
    last->next = e;
    prev = e;
    count++;
  }

  /// Takes `element` out of the list; its links become null.
  void unlink(KObjectListable *element) {
    element->prev->next = element->next;
    element->next->prev = element->prev;
    element->next = nullptr;
    element->prev = nullptr;
    count--;
  }

  /// The first element, or null when the list is empty.
  T *first() const { return next == this ? nullptr : static_cast<T *>(next); }
  /// The element after `element`, or null at the end.
  T *after(const T *element) const {
    const KObjectListable *e = element;
    return e->next == this ? nullptr : static_cast<T *>(e->next);
  }

  /// Number of elements in the list.
  int32_t count;
};
