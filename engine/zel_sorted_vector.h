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
class ZEL_SortedVector : public zel_container::SlotArray<T> {
 public:
  static constexpr int DEFAULT_CAPACITY = 1000;
  static constexpr int DEFAULT_INCREMENT = 500;

  ZEL_SortedVector() : zel_container::SlotArray<T>(DEFAULT_CAPACITY, DEFAULT_INCREMENT) {}

  // Insertion position of e: one past the highest-indexed element that
  // sorts strictly before it, scanning from the end. Among equal keys the
  // newest therefore goes first, and appending a largest key costs one
  // comparison.
  int recherche(T* e) {
    for (int32_t i = this->size - 1; i >= 0; --i) {
      if (cmp(this->elements[i], e)) return i + 1;
    }
    return 0;
  }

  // Inserts e at recherche(e) and returns that position. Keeps one free
  // slot after every insertion.
  int add(T* e) {
    const int32_t position = recherche(e);
    if (this->size >= this->capacity - 1) this->grow();
    for (int32_t i = this->size; i > position; --i) this->elements[i] = this->elements[i - 1];
    this->elements[position] = e;
    ++this->size;
    return position;
  }
};

#endif
