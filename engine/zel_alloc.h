#ifndef ZEL_ALLOC_H
#define ZEL_ALLOC_H

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>

// Arrays whose size comes from a file or a caller. A request the process
// cannot satisfy ends it through the caller's own failure (which closes
// what it holds, prints its message and never returns) instead of an
// exception that would abort.
namespace zel_alloc {

// An owned array of count value-initialised elements, or fail().
template <class T, class Fail>
std::unique_ptr<T[]> array(uint64_t count, Fail fail) {
  T* p = count <= SIZE_MAX / sizeof(T) ? new (std::nothrow) T[static_cast<size_t>(count)]() : nullptr;
  if (p == nullptr) {
    fail();
    abort();  // fail() must end the process
  }
  return std::unique_ptr<T[]>(p);
}

}  // namespace zel_alloc

#endif
