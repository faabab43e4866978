#include "engine_files.h"

#include <algorithm>
#include <cstdlib>

namespace {

const int MAX_CODE_BITS = 12;
const size_t MAX_SUB_BLOCK = 255;
const uint8_t HAS_TABLE = 0x80;
const uint8_t INTERLACED = 0x40;
const size_t RGB_BYTES = 3;

void put16(std::vector<uint8_t>& out, uint32_t v) { out.insert(out.end(), {uint8_t(v), uint8_t(v >> 8)}); }

void put32(std::vector<uint8_t>& out, uint32_t v) {
  put16(out, v);
  put16(out, v >> 16);
}

// The packed-field bits that announce a table; 0 for none.
uint8_t tableFlags(const std::vector<uint8_t>& table) {
  uint8_t bits = 0;
  while ((RGB_BYTES << (bits + 1)) < table.size()) ++bits;
  return table.empty() ? 0 : static_cast<uint8_t>(HAS_TABLE | bits);
}

}  // namespace

std::vector<uint8_t> sprBytes(uint16_t count, uint16_t delay, uint16_t w, uint16_t h,
                              const std::vector<SprRgb>& pixels, const std::vector<int32_t>& boxes) {
  std::vector<uint8_t> out;
  for (uint16_t v : {count, delay, w, h}) put16(out, v);
  for (const SprRgb& p : pixels) out.insert(out.end(), {p.r, p.g, p.b, 0});
  for (int32_t v : boxes) put32(out, static_cast<uint32_t>(v));
  return out;
}


std::vector<uint8_t> lzwCodes(const std::vector<std::pair<int, int>>& codes) {
  std::vector<uint8_t> out;
  int64_t bits = 0;
  for (const std::pair<int, int>& code : codes) {
    for (int i = 0; i < code.second; ++i, ++bits) {
      if ((bits & 7) == 0) out.push_back(0);
      if ((code.first >> i) & 1) out.back() |= static_cast<uint8_t>(1u << (bits & 7));
    }
  }
  return out;
}

std::vector<uint8_t> lzwRootCodes(const std::vector<uint8_t>& indices, int codeSize) {
  const int clear = 1 << codeSize;
  int width = codeSize + 1;
  int nextFree = clear + 2;
  std::vector<std::pair<int, int>> codes = {{clear, width}};
  for (size_t i = 0; i < indices.size(); ++i) {
    codes.push_back({indices[i], width});
    // The decoder adds an entry for every code but the first.
    if (i > 0 && nextFree < (1 << MAX_CODE_BITS)) ++nextFree;
    if (nextFree >= (1 << width) && width < MAX_CODE_BITS) ++width;
  }
  codes.push_back({clear + 1, width});
  return lzwCodes(codes);
}

GifBuilder::GifBuilder(uint16_t width, uint16_t height, const std::vector<uint8_t>& globalTable)
    : bytes{'G', 'I', 'F', '8', '9', 'a', uint8_t(width), uint8_t(width >> 8), uint8_t(height)} {
  raw({uint8_t(height >> 8), tableFlags(globalTable), 0, 0});  // background, aspect
  raw(globalTable);
}

GifBuilder& GifBuilder::control(uint16_t delay, int transparentIndex) {
  const uint8_t hasTransparency = transparentIndex >= 0 ? 1 : 0;
  return raw(
      {0x21, 0xF9, 4, hasTransparency, uint8_t(delay), uint8_t(delay >> 8), uint8_t(transparentIndex), 0});
}

GifBuilder& GifBuilder::image(uint16_t w, uint16_t h, int codeSize, const std::vector<uint8_t>& data,
                              const std::vector<uint8_t>& localTable, bool interlaced) {
  const uint8_t flags = static_cast<uint8_t>(tableFlags(localTable) | (interlaced ? INTERLACED : 0));
  raw({0x2C, 0, 0, 0, 0, uint8_t(w), uint8_t(w >> 8), uint8_t(h), uint8_t(h >> 8), flags});
  raw(localTable);
  raw({static_cast<uint8_t>(codeSize)});
  for (size_t i = 0; i < data.size(); i += MAX_SUB_BLOCK) {
    const size_t n = std::min(MAX_SUB_BLOCK, data.size() - i);
    raw({static_cast<uint8_t>(n)});
    bytes.insert(bytes.end(), data.begin() + static_cast<long>(i), data.begin() + static_cast<long>(i + n));
  }
  return raw({0});
}

GifBuilder& GifBuilder::raw(const std::vector<uint8_t>& more) {
  bytes.insert(bytes.end(), more.begin(), more.end());
  return *this;
}

std::vector<uint8_t> GifBuilder::finish() { return raw({0x3B}).bytes; }

std::vector<uint8_t> tleRecord(int32_t w, int32_t h, const std::array<uint8_t, 5>& attributes,
                               const std::function<TileRgb(int x, int y)>& colour, uint8_t fourth) {
  std::vector<uint8_t> out;
  put32(out, static_cast<uint32_t>(w));
  put32(out, static_cast<uint32_t>(h));
  out.insert(out.end(), attributes.begin(), attributes.end());
  for (int y = 0; colour && y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const TileRgb c = colour(x, y);
      out.insert(out.end(), {c[0], c[1], c[2], fourth});
    }
  return out;
}

std::vector<uint8_t> plainTle(int32_t w, int32_t h, TileRgb c, uint8_t walkable) {
  return tleRecord(w, h, {0, 0, 0, 0, walkable}, [c](int, int) { return c; });
}

std::vector<uint8_t> mapBytes(const MapHeader& h, const std::vector<uint16_t>& cells) {
  std::vector<uint8_t> out;
  for (uint32_t v : {h.colonnes, h.lignes, uint32_t(h.largeurTile), uint32_t(h.hauteurTile)}) put32(out, v);
  out.insert(out.end(), {h.attr0, h.attr1, h.attr2});
  put32(out, h.attr3);
  out.push_back(h.attr4);
  for (uint16_t c : cells) out.insert(out.end(), {uint8_t(c), uint8_t(c >> 8)});
  return out;
}

void appendBytes(std::vector<uint8_t>& to, const std::vector<uint8_t>& bytes) {
  to.insert(to.end(), bytes.begin(), bytes.end());
}
