#ifndef ZEL_CONTAINER_ALLOC_H
#define ZEL_CONTAINER_ALLOC_H

#include <cstdint>

#include "zel_alloc.h"
#include "zel_fatal.h"

// Slot arrays of the engine's containers. An allocation that fails, or a
// capacity beyond 32 bits, ends the process with the containers' message.
namespace zel_container {

inline void failAllocation() { ZEL_fatal("pas assez de memoire pour allouer le vecteur "); }

// A new array of capacity slots (none for 0); never returns null for capacity > 0.
template <class T>
T** allocateSlots(int64_t capacity) {
  if (capacity <= 0) return nullptr;
  if (capacity > INT32_MAX) failAllocation();
  return zel_alloc::array<T*>(static_cast<uint64_t>(capacity), failAllocation).release();
}

// The capacity after one growth step: the step is at least one slot.
inline int64_t grownCapacity(int32_t capacity, int32_t increment) {
  const int32_t step = increment < 1 ? 1 : increment;
  return static_cast<int64_t>(capacity) + step;
}

// Replaces slots by a new array of capacity slots holding its first keep
// pointers; the old array is released.
template <class T>
void reallocateSlots(T**& slots, int32_t keep, int64_t capacity) {
  T** fresh = allocateSlots<T>(capacity);
  for (int32_t i = 0; i < keep; ++i) fresh[i] = slots[i];
  delete[] slots;
  slots = fresh;
}

// Closes the gap at index: every later pointer moves down one slot.
template <class T>
void closeGap(T** slots, int32_t& size, int32_t index) {
  for (int32_t i = index; i < size - 1; ++i) slots[i] = slots[i + 1];
  --size;
}

// What both vectors keep: a growable array of pointers it never owns,
// read by index, its elements removed by identity. Not thread-safe.
template <class T>
class SlotArray {
 public:
  SlotArray(const SlotArray&) = delete;
  SlotArray& operator=(const SlotArray&) = delete;

  // Empties the array and allocates newCapacity slots (a negative one is 0).
  void init(int newCapacity, int newIncrement) {
    size = 0;
    capacity = newCapacity < 0 ? 0 : newCapacity;
    increment = newIncrement;
    reallocateSlots(elements, 0, capacity);
  }

  T* elementAt(int index) { return isIndex(index) ? elements[index] : nullptr; }
  int getSize() { return size; }
  int getCapacity() { return capacity; }

  // Removes the lowest-index slot holding this very pointer (identity, not
  // equality); returns e, or null when no slot holds it.
  T* remove(T* e) {
    for (int32_t i = 0; i < size; ++i) {
      if (elements[i] == e) return removeAt(i);
    }
    return nullptr;
  }

 protected:
  SlotArray(int initialCapacity, int initialIncrement) { init(initialCapacity, initialIncrement); }
  ~SlotArray() { delete[] elements; }

  bool isIndex(int index) const { return index >= 0 && index < size; }

  // Removes and returns the element at a valid index, closing the gap.
  T* removeAt(int index) {
    T* e = elements[index];
    closeGap(elements, size, index);
    return e;
  }

  void grow() {
    const int64_t newCapacity = grownCapacity(capacity, increment);
    reallocateSlots(elements, size, newCapacity);
    capacity = static_cast<int32_t>(newCapacity);
  }

  int32_t size = 0;
  int32_t capacity = 0;
  T** elements = nullptr;
  int32_t increment = 0;
};

}  // namespace zel_container

#endif
