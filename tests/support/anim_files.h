#ifndef TESTS_ANIM_FILES_H
#define TESTS_ANIM_FILES_H

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "files.h"

struct SprRgb {
  uint8_t r, g, b;
};

// A .spr: count frames of w x h pixels (frame-major, rows from the top), a delay, boxes (x1 y1 x2 y2).
std::vector<uint8_t> sprBytes(uint16_t count, uint16_t delay, uint16_t w, uint16_t h,
                              const std::vector<SprRgb>& pixels, const std::vector<int32_t>& boxes);

// GIF image data of these {code, width in bits}, packed least significant bit first.
std::vector<uint8_t> lzwCodes(const std::vector<std::pair<int, int>>& codes);

// Uncompressed LZW data: a clear code, root codes only (the table fills up and stays full) as
// wide as the decoder reads them, the end code.
std::vector<uint8_t> lzwRootCodes(const std::vector<uint8_t>& indices, int codeSize);

// A GIF file built block by block; a table has 2 to 256 entries, a power of two, or none.
class GifBuilder {
 public:
  GifBuilder(uint16_t width, uint16_t height, const std::vector<uint8_t>& globalTable);
  GifBuilder& control(uint16_t delay, int transparentIndex = -1);
  GifBuilder& image(uint16_t w, uint16_t h, int codeSize, const std::vector<uint8_t>& lzwData,
                    const std::vector<uint8_t>& localTable = {}, bool interlaced = false);
  GifBuilder& raw(const std::vector<uint8_t>& bytes);
  std::vector<uint8_t> finish();  // appends the trailer

 private:
  std::vector<uint8_t> bytes;
};


#endif
