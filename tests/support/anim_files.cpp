#include "anim_files.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

void put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void put32(std::vector<uint8_t>& out, int32_t value) {
  const uint32_t v = static_cast<uint32_t>(value);
  for (int s = 0; s < 32; s += 8) out.push_back(static_cast<uint8_t>(v >> s));
}

int tableSizeBits(size_t entries) {
  int bits = 0;
  while ((2u << bits) < entries) ++bits;
  return bits;
}

const size_t MAX_SUB_BLOCK = 255;

}  // namespace

std::vector<uint8_t> sprBytes(uint16_t count, uint16_t delay, uint16_t w, uint16_t h,
                              const std::vector<SprRgb>& pixels, const std::vector<int32_t>& boxes) {
  std::vector<uint8_t> out;
  put16(out, count);
  put16(out, delay);
  put16(out, w);
  put16(out, h);
  for (const SprRgb& p : pixels) {
    out.push_back(p.r);
    out.push_back(p.g);
    out.push_back(p.b);
    out.push_back(0);
  }
  for (int32_t v : boxes) put32(out, v);
  return out;
}

std::string tempPath(const std::string& name) {
  const char* dir = getenv("TMPDIR");
  return std::string(dir != nullptr ? dir : "/tmp") + "/zel_" + std::to_string(getpid()) + "_" + name;
}

std::vector<uint8_t> lzwRootCodes(const std::vector<uint8_t>& indices, int codeSize) {
  const int clear = 1 << codeSize;
  const int width = codeSize + 1;
  // Entries added stay below the next width step: nextFree < 2^width.
  const int codesPerClear = (1 << codeSize) - 2;
  std::vector<uint8_t> out;
  uint32_t acc = 0;
  int bits = 0;
  auto emit = [&](int code) {
    acc |= static_cast<uint32_t>(code) << bits;
    bits += width;
    while (bits >= 8) {
      out.push_back(static_cast<uint8_t>(acc));
      acc >>= 8;
      bits -= 8;
    }
  };
  int sinceClear = codesPerClear;
  for (uint8_t index : indices) {
    if (sinceClear == codesPerClear) {
      emit(clear);
      sinceClear = 0;
    }
    emit(index);
    ++sinceClear;
  }
  emit(clear + 1);
  if (bits > 0) out.push_back(static_cast<uint8_t>(acc));
  return out;
}

GifBuilder::GifBuilder(uint16_t width, uint16_t height, const std::vector<uint8_t>& globalTable,
                       const char* version) {
  bytes = {'G', 'I', 'F', static_cast<uint8_t>(version[0]), static_cast<uint8_t>(version[1]),
           static_cast<uint8_t>(version[2])};
  put16(bytes, width);
  put16(bytes, height);
  const size_t entries = globalTable.size() / 3;
  bytes.push_back(entries > 0 ? static_cast<uint8_t>(0x80 | tableSizeBits(entries)) : 0);
  bytes.push_back(0);  // background
  bytes.push_back(0);  // aspect
  bytes.insert(bytes.end(), globalTable.begin(), globalTable.end());
}

GifBuilder& GifBuilder::control(uint16_t delay, int transparentIndex) {
  raw({0x21, 0xF9, 4, static_cast<uint8_t>(transparentIndex >= 0 ? 1 : 0)});
  put16(bytes, delay);
  raw({static_cast<uint8_t>(transparentIndex >= 0 ? transparentIndex : 0), 0});
  return *this;
}

GifBuilder& GifBuilder::comment(const std::string& text) {
  raw({0x21, 0xFE, static_cast<uint8_t>(text.size())});
  bytes.insert(bytes.end(), text.begin(), text.end());
  bytes.push_back(0);
  return *this;
}

GifBuilder& GifBuilder::application() {
  const std::string id = "NETSCAPE2.0";
  raw({0x21, 0xFF, static_cast<uint8_t>(id.size())});
  bytes.insert(bytes.end(), id.begin(), id.end());
  return raw({3, 1, 0, 0, 0});
}

GifBuilder& GifBuilder::image(uint16_t w, uint16_t h, const std::vector<uint8_t>& indices,
                              int codeSize, const std::vector<uint8_t>& localTable, bool interlaced) {
  bytes.push_back(0x2C);
  put16(bytes, 0);
  put16(bytes, 0);
  put16(bytes, w);
  put16(bytes, h);
  const size_t entries = localTable.size() / 3;
  uint8_t packed = interlaced ? 0x40 : 0;
  if (entries > 0) packed |= static_cast<uint8_t>(0x80 | tableSizeBits(entries));
  bytes.push_back(packed);
  bytes.insert(bytes.end(), localTable.begin(), localTable.end());
  bytes.push_back(static_cast<uint8_t>(codeSize));
  const std::vector<uint8_t> data = lzwRootCodes(indices, codeSize);
  for (size_t i = 0; i < data.size(); i += MAX_SUB_BLOCK) {
    const size_t n = std::min(MAX_SUB_BLOCK, data.size() - i);
    bytes.push_back(static_cast<uint8_t>(n));
    bytes.insert(bytes.end(), data.begin() + static_cast<long>(i), data.begin() + static_cast<long>(i + n));
  }
  bytes.push_back(0);
  return *this;
}

GifBuilder& GifBuilder::raw(const std::vector<uint8_t>& more) {
  bytes.insert(bytes.end(), more.begin(), more.end());
  return *this;
}

std::vector<uint8_t> GifBuilder::finish() {
  bytes.push_back(0x3B);
  return bytes;
}
