#ifndef ZEL_SORTED_VECTOR_H
#define ZEL_SORTED_VECTOR_H

#include <cstdint>

#include "zel_container_alloc.h"

// A comparison of two elements: nonzero when a sorts strictly before b.
typedef int (*ZEL_Compare)(void* a, void* b);

// *a < *b for two ints.
int lowerINT(void* a, void* b);

// Actor orders (arguments are ZEL_Actif*). The bottom edge of an actor is
// its world y plus its current animation's height: actors whose feet are
// higher on the screen sort, and are drawn, first.
int lowerPriorityActif(void* a, void* b);
int lowerUpPerspectiveActif(void* a, void* b);
// By priority, then by bottom edge.
int lowerPriorityAndUpPerspectiveActif(void* a, void* b);

// An array of pointers kept in the order of cmp at insertion time. Keys
// that change later are not re-sorted: the owner removes and re-adds.
// Never owns its elements. Not thread-safe.
template <class T, ZEL_Compare cmp>
class ZEL_SortedVector {
 public:
  static constexpr int DEFAULT_CAPACITY = 1000;
  static constexpr int DEFAULT_INCREMENT = 500;

  ZEL_SortedVector() : capacity(0), increment(0), elements(nullptr), size(0) {
    init(DEFAULT_CAPACITY, DEFAULT_INCREMENT);
  }
  ~ZEL_SortedVector() { delete[] elements; }
  ZEL_SortedVector(const ZEL_SortedVector&) = delete;
  ZEL_SortedVector& operator=(const ZEL_SortedVector&) = delete;

  // Empties the vector and allocates newCapacity slots (a negative one is 0).
  void init(int newCapacity, int newIncrement) {
    size = 0;
    capacity = newCapacity < 0 ? 0 : newCapacity;
    increment = newIncrement;
    zel_container::reallocateSlots(elements, 0, capacity);
  }

  // Insertion position of e: one past the highest-indexed element that
  // sorts strictly before it, scanning from the end. Among equal keys the
  // newest therefore goes first, and appending a largest key costs one
  // comparison.
  int recherche(T* e) {
    for (int32_t i = size - 1; i >= 0; --i) {
      if (cmp(elements[i], e)) return i + 1;
    }
    return 0;
  }

  // Inserts e at recherche(e) and returns that position. Keeps one free
  // slot after every insertion.
  int add(T* e) {
    const int32_t position = recherche(e);
    if (size >= capacity - 1) grow();
    for (int32_t i = size; i > position; --i) elements[i] = elements[i - 1];
    elements[position] = e;
    ++size;
    return position;
  }

  // Removes the first slot holding this very pointer (identity, not
  // comparator equality); returns e, or null when absent.
  T* remove(T* e) {
    for (int32_t i = 0; i < size; ++i) {
      if (elements[i] == e) {
        zel_container::closeGap(elements, size, i);
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

 private:
  void grow() {
    const int64_t newCapacity = zel_container::grownCapacity(capacity, increment);
    zel_container::reallocateSlots(elements, size, newCapacity);
    capacity = static_cast<int32_t>(newCapacity);
  }

  int32_t capacity;
  int32_t increment;
  T** elements;
  int32_t size;
};

#endif
