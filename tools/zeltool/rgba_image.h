#ifndef ZELTOOL_RGBA_IMAGE_H
#define ZELTOOL_RGBA_IMAGE_H

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// A picture in memory, 8-bit red, green, blue and alpha per pixel, rows
// from the top.
struct RgbaImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;  // 4 bytes a pixel

  RgbaImage() = default;
  RgbaImage(int w, int h) : width(w), height(h), pixels(static_cast<size_t>(w) * h * 4, 0) {}
  uint8_t* at(int x, int y) { return &pixels[(static_cast<size_t>(y) * width + x) * 4]; }
  const uint8_t* at(int x, int y) const { return &pixels[(static_cast<size_t>(y) * width + x) * 4]; }
};

// The largest side zeltool reads or writes, in pixels: an image of that
// square is 256 MiB of RGBA.
const int MAX_IMAGE_SIDE = 8192;

// The colour opaque black becomes where black is the engine's key: the
// nearest one the engine does not key out.
const uint8_t NEAR_BLACK[3] = {0, 0, 1};

// Calls visit(type, data, length) for each chunk of a PNG's bytes after the
// signature, in order, until it returns true; false when a chunk's length
// runs past the end of the bytes.
bool visitPngChunks(const std::vector<uint8_t>& png,
                    const std::function<bool(const char* type, const uint8_t* data, uint32_t length)>& visit);

// Reads a PNG (any colour type and depth, tRNS honoured) or a BMP, by the
// file's extension. ToolError naming the file when it cannot, or when a
// PNG's chunks or image are larger than the file can hold.
RgbaImage readImage(const std::string& path);
RgbaImage readPng(const std::string& path);

// Each pixel as a factor x factor block.
RgbaImage scaled(const RgbaImage& in, int factor);

// The bytes of an RGBA PNG of the image; path names it in messages.
std::vector<uint8_t> encodePng(const std::string& path, const RgbaImage& image);

// Writes bytes through a temporary file renamed when complete.
void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes);

// Writes an RGBA PNG through a temporary file renamed when complete.
void writePng(const std::string& path, const RgbaImage& image);

#endif
