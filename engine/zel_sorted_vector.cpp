#include "zel_sorted_vector.h"

int lowerINT(void* a, void* b) {
  return *static_cast<int32_t*>(a) < *static_cast<int32_t*>(b) ? 1 : 0;
}
