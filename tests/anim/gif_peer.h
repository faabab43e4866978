#ifndef TESTS_GIF_PEER_H
#define TESTS_GIF_PEER_H

#include <cstdint>
#include <string>
#include <vector>

// GIF files made and read by giflib, the reference the engine's loader is
// checked against, plus a plain parser that hands out each image's raw
// LZW data. For tests and benchmarks only.

struct GifRgb {
  uint8_t r = 0, g = 0, b = 0;
  bool operator==(const GifRgb& o) const { return r == o.r && g == o.g && b == o.b; }
  bool operator!=(const GifRgb& o) const { return !(*this == o); }
};

// Delay value meaning "write no graphic control extension".
const int GIF_NO_CONTROL = -1;
const int GIF_NO_TRANSPARENCY = -1;

struct GifFrameSpec {
  int width = 1;
  int height = 1;
  bool interlace = false;
  std::vector<GifRgb> localTable;  // empty: the global table is used
  int transparentIndex = GIF_NO_TRANSPARENCY;
  int delay = GIF_NO_CONTROL;      // hundredths of a second
  std::vector<uint8_t> indices;    // width * height, rows from the top
};

struct GifLayout {
  int screenWidth = 1;
  int screenHeight = 1;
  std::vector<GifRgb> globalTable;  // size a power of two, 2 .. 256
  bool looping = false;             // an application (looping) extension first
  std::string comment;              // a comment extension first, when not empty
  std::vector<GifFrameSpec> frames;
};

// Encodes the file with giflib's EGif calls; aborts on a giflib error.
std::vector<uint8_t> giflibEncode(const GifLayout& layout);

// One image as giflib's DGifSlurp reads it, indices de-interlaced.
struct GiflibImage {
  int width = 0;
  int height = 0;
  bool interlace = false;
  std::vector<uint8_t> indices;
  std::vector<GifRgb> table;  // the image's local table, else the global one
  int transparentIndex = GIF_NO_TRANSPARENCY;
  bool hasControl = false;
  int delay = 0;
};

// Decodes with DGifSlurp; false (and why in error) when giflib refuses.
bool giflibDecode(const std::vector<uint8_t>& file, std::vector<GiflibImage>& images,
                  std::string& error);

// One image's LZW data: its sub-blocks joined without their length bytes.
struct GifImageStream {
  int width = 0;
  int height = 0;
  bool interlace = false;
  int codeSize = 0;
  std::vector<uint8_t> data;
};

// Walks a well-formed GIF's blocks; aborts on a malformed one.
std::vector<GifImageStream> gifImageStreams(const std::vector<uint8_t>& file);

// A GIF of one image whose LZW data is given as is (split into sub-blocks),
// with a global table of 2^tableBits grey entries.
std::vector<uint8_t> gifWithStream(int width, int height, int tableBits, int codeSize,
                                   const std::vector<uint8_t>& data);

// width * height indices below colours: a smooth diagonal pattern with
// noisePercent of its pixels replaced by random ones (fixed by seed).
std::vector<uint8_t> patternIndices(int width, int height, int colours, int noisePercent,
                                    uint32_t seed);

// A table of the given size with random colours (fixed by seed), where
// entry 1 is black and the last entry repeats entry 0.
std::vector<GifRgb> randomTable(int entries, uint32_t seed);

// Writes bytes to path; aborts on failure.
void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes);

#endif
