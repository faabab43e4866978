#ifndef FNV1A_H
#define FNV1A_H

#include <cstddef>
#include <cstdint>

// FNV-1a, 64 bits: the hash of the game's state and of its data files.
class Fnv1a {
 public:
  void addBytes(const void* bytes, size_t count) {
    const uint8_t* p = static_cast<const uint8_t*>(bytes);
    for (size_t i = 0; i < count; ++i) value_ = (value_ ^ p[i]) * PRIME;
  }
  // A whole number as its eight little-endian bytes.
  void addNumber(int64_t n) {
    for (int i = 0; i < BYTES_OF_NUMBER; ++i)
      value_ = (value_ ^ (static_cast<uint64_t>(n) >> (8 * i) & 0xFF)) * PRIME;
  }
  uint64_t value() const { return value_; }

 private:
  static constexpr uint64_t OFFSET_BASIS = 14695981039346656037ull;
  static constexpr uint64_t PRIME = 1099511628211ull;
  static constexpr int BYTES_OF_NUMBER = 8;
  uint64_t value_ = OFFSET_BASIS;
};

#endif
