#ifndef ZEL_VECTOR_H
#define ZEL_VECTOR_H

#include <cstdint>

#include "zel_container_alloc.h"

// A growable array of pointers. It never owns the elements it points to:
// whoever fills it deletes them (or not at all). Not thread-safe.
template <class T>
class ZEL_Vector : public zel_container::SlotArray<T> {
  using Slots = zel_container::SlotArray<T>;

 public:
  static constexpr int DEFAULT_CAPACITY = 10;
  static constexpr int DEFAULT_INCREMENT = 5;

  ZEL_Vector() : Slots(DEFAULT_CAPACITY, DEFAULT_INCREMENT) {}

  // Appends e and returns its index.
  int add(T* e) {
    if (this->size >= this->capacity) this->grow();
    this->elements[this->size] = e;
    return this->size++;
  }

  // Removes and returns the element at index, closing the gap; null when
  // index is outside 0 .. size-1.
  T* remove(int index) { return this->isIndex(index) ? this->removeAt(index) : nullptr; }
  using Slots::remove;

  // Removes every element; the elements themselves are not destroyed.
  void empty() { this->size = 0; }
};

#endif
