#ifndef ZEL_BYTE_ORDER_H
#define ZEL_BYTE_ORDER_H

#include <cstdint>
#include <vector>

// Little-endian fields in memory, as every engine file (.tle, .map, .spr,
// GIF, BMP, WAV, input streams) stores them, whatever the machine's own
// order.
namespace zel_le {

inline uint16_t get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

inline uint32_t get32(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

inline uint64_t get64(const uint8_t* p) { return get32(p) | static_cast<uint64_t>(get32(p + 4)) << 32; }

inline void put16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}

inline void put32(uint8_t* p, uint32_t v) {
  put16(p, static_cast<uint16_t>(v));
  put16(p + 2, static_cast<uint16_t>(v >> 16));
}

// Appends a field to a byte buffer.
inline void append16(std::vector<uint8_t>& out, uint16_t v) {
  const uint8_t p[2] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)};
  out.insert(out.end(), p, p + sizeof p);
}

inline void append32(std::vector<uint8_t>& out, uint32_t v) {
  append16(out, static_cast<uint16_t>(v));
  append16(out, static_cast<uint16_t>(v >> 16));
}

inline void append64(std::vector<uint8_t>& out, uint64_t v) {
  append32(out, static_cast<uint32_t>(v));
  append32(out, static_cast<uint32_t>(v >> 32));
}

}  // namespace zel_le

#endif
