#ifndef TESTS_ANIM_FILES_H
#define TESTS_ANIM_FILES_H

#include <cstdint>
#include <string>
#include <vector>

#include "files.h"

// Builders of small animation files for tests.

struct SprRgb {
  uint8_t r, g, b;
};

// The bytes of a .spr: count frames of w x h pixels (frame-major, rows
// from the top), one delay, and optional boxes (x1, y1, x2, y2 per frame).
std::vector<uint8_t> sprBytes(uint16_t count, uint16_t delay, uint16_t w, uint16_t h,
                              const std::vector<SprRgb>& pixels, const std::vector<int32_t>& boxes);


// A GIF file built block by block. Image data is encoded without
// compression: root codes only, with a clear code often enough that the
// code width never grows.
class GifBuilder {
 public:
  // version is "87a" or "89a"; globalTable holds RGB triples (none: no
  // global table), whose count must be a power of two from 2 to 256.
  GifBuilder(uint16_t width, uint16_t height, const std::vector<uint8_t>& globalTable,
             const char* version = "89a");

  GifBuilder& control(uint16_t delay, int transparentIndex = -1);
  GifBuilder& comment(const std::string& text);
  GifBuilder& application();  // a looping extension
  GifBuilder& image(uint16_t w, uint16_t h, const std::vector<uint8_t>& indices, int codeSize = 8,
                    const std::vector<uint8_t>& localTable = {}, bool interlaced = false);
  GifBuilder& raw(const std::vector<uint8_t>& bytes);
  std::vector<uint8_t> finish();  // appends the trailer
  std::vector<uint8_t> unfinished() const { return bytes; }

 private:
  std::vector<uint8_t> bytes;
};

// The uncompressed LZW stream of indices, as data bytes without sub-block
// framing.
std::vector<uint8_t> lzwRootCodes(const std::vector<uint8_t>& indices, int codeSize);

// A path under the temporary directory, unique to this process.
std::string tempPath(const std::string& name);

#endif
