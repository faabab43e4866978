#ifndef ZEL_VECTOR_H
#define ZEL_VECTOR_H

#include <cstdint>

#include "zel_container_alloc.h"

// A growable array of pointers. It never owns the elements it points to:
// whoever fills it deletes them (or not at all). Not thread-safe.
template <class T>
class ZEL_Vector {
 public:
  static constexpr int DEFAULT_CAPACITY = 10;
  static constexpr int DEFAULT_INCREMENT = 5;

  ZEL_Vector() : size(0), capacity(0), elements(nullptr), increment(0) {
    init(DEFAULT_CAPACITY, DEFAULT_INCREMENT);
  }
  ~ZEL_Vector() { delete[] elements; }
  ZEL_Vector(const ZEL_Vector&) = delete;
  ZEL_Vector& operator=(const ZEL_Vector&) = delete;

  // Empties the vector and allocates newCapacity slots (a negative one is 0).
  void init(int newCapacity, int newIncrement) {
    size = 0;
    capacity = newCapacity < 0 ? 0 : newCapacity;
    increment = newIncrement;
    zel_container::reallocateSlots(elements, 0, capacity);
  }

  // Appends e and returns its index.
  int add(T* e) {
    if (size >= capacity) grow();
    elements[size] = e;
    return size++;
  }

  // Removes and returns the element at index, closing the gap; null when
  // index is outside 0 .. size-1.
  T* remove(int index) {
    if (index < 0 || index >= size) return nullptr;
    T* e = elements[index];
    zel_container::closeGap(elements, size, index);
    return e;
  }

  // Removes the lowest-index slot holding this very pointer; returns e, or
  // null when no slot holds it.
  T* remove(T* e) {
    for (int32_t i = 0; i < size; ++i) {
      if (elements[i] == e) {
        remove(i);
        return e;
      }
    }
    return nullptr;
  }

  T* elementAt(int index) {
    if (index < 0 || index >= size) return nullptr;
    return elements[index];
  }

  int getSize() { return size; }
  int getCapacity() { return capacity; }

  // Removes every element; the elements themselves are not destroyed.
  void empty() {
    const int32_t n = size;
    for (int32_t i = 0; i < n; ++i) remove(0);
  }

 private:
  void grow() {
    const int64_t newCapacity = zel_container::grownCapacity(capacity, increment);
    zel_container::reallocateSlots(elements, size, newCapacity);
    capacity = static_cast<int32_t>(newCapacity);
  }

  int32_t size;
  int32_t capacity;
  T** elements;
  int32_t increment;
};

#endif
