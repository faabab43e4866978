#include "rgba_image.h"

#include <SDL.h>
#include <png.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "atomic_file.h"
#include "files.h"
#include "tool_error.h"

namespace {

const int BYTES_PER_PIXEL = 4;
// Deflate's best ratio is about 1032 to 1: a PNG of n bytes holds at most
// that many times n bytes of rows (a filter byte each, one byte a pixel at
// the least).
const uint64_t MAX_DEFLATE_RATIO = 1032;
const size_t PNG_SIGNATURE_BYTES = 8;
const size_t PNG_CHUNK_OVERHEAD = 12;  // length, type and CRC

void checkSize(const std::string& path, long long w, long long h) {
  if (w < 1 || h < 1 || w > MAX_IMAGE_SIDE || h > MAX_IMAGE_SIDE) {
    throw ToolError(path + ": image of " + std::to_string(w) + " x " + std::to_string(h) + " pixels (1 to " +
                    std::to_string(MAX_IMAGE_SIDE) + " a side)");
  }
}

RgbaImage readBmp(const std::string& path) {
  std::unique_ptr<SDL_Surface, void (*)(SDL_Surface*)> bmp(SDL_LoadBMP(path.c_str()), SDL_FreeSurface);
  if (!bmp) throw ToolError(path + ": cannot read the BMP image: " + SDL_GetError());
  checkSize(path, bmp->w, bmp->h);
  SDL_PixelFormat rgba = {};
  rgba.BitsPerPixel = 32;
  rgba.BytesPerPixel = BYTES_PER_PIXEL;
  rgba.Rmask = 0x000000ff;  // bytes R, G, B, A in memory on little-endian machines
  rgba.Gmask = 0x0000ff00;
  rgba.Bmask = 0x00ff0000;
  rgba.Gshift = 8;
  rgba.Bshift = 16;
  rgba.alpha = SDL_ALPHA_OPAQUE;
  std::unique_ptr<SDL_Surface, void (*)(SDL_Surface*)> converted(
      SDL_ConvertSurface(bmp.get(), &rgba, SDL_SWSURFACE), SDL_FreeSurface);
  if (!converted) throw ToolError(path + ": cannot convert the BMP image: " + SDL_GetError());
  RgbaImage image(converted->w, converted->h);
  for (int y = 0; y < image.height; ++y) {
    const uint8_t* row = static_cast<const uint8_t*>(converted->pixels) + y * converted->pitch;
    for (int x = 0; x < image.width; ++x) {
      memcpy(image.at(x, y), row + x * BYTES_PER_PIXEL, 3);
      image.at(x, y)[3] = SDL_ALPHA_OPAQUE;
    }
  }
  return image;
}

}  // namespace

bool visitPngChunks(
    const std::vector<uint8_t>& png,
    const std::function<bool(const char* type, const uint8_t* data, uint32_t length)>& visit) {
  for (size_t at = PNG_SIGNATURE_BYTES; at < png.size();) {
    if (png.size() - at < PNG_CHUNK_OVERHEAD) return false;
    const uint8_t* p = &png[at];
    const uint32_t length = uint32_t{p[0]} << 24 | p[1] << 16 | p[2] << 8 | p[3];  // big-endian
    if (length > png.size() - at - PNG_CHUNK_OVERHEAD) return false;
    const char* type = reinterpret_cast<const char*>(p + 4);
    if (visit(type, p + 8, length) || memcmp(type, "IEND", 4) == 0) return true;
    at += PNG_CHUNK_OVERHEAD + length;
  }
  return true;
}

RgbaImage readPng(const std::string& path) {
  // libpng allocates a chunk's announced length before it reads it: a
  // file cut inside a chunk is refused first, in libpng's words.
  std::vector<uint8_t> bytes;
  if (!readFileBytes(path, SIZE_MAX - 1, bytes)) {
    throw ToolError(path + ": cannot read the PNG image: " + strerror(errno));
  }
  if (!visitPngChunks(bytes, [](const char*, const uint8_t*, uint32_t) { return false; })) {
    throw ToolError(path + ": cannot read the PNG image: Read Error");
  }
  png_image png;
  memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&png, bytes.data(), bytes.size())) {
    throw ToolError(path + ": cannot read the PNG image: " + png.message);
  }
  if (png.width < 1 || png.height < 1 || png.width > MAX_IMAGE_SIDE || png.height > MAX_IMAGE_SIDE) {
    png_image_free(&png);
    checkSize(path, png.width, png.height);
  }
  // The image is allocated only if the file can hold its rows.
  const uint64_t leastRowBytes = (uint64_t{png.width} + 1) * png.height;
  if (leastRowBytes > bytes.size() * MAX_DEFLATE_RATIO) {
    png_image_free(&png);
    throw ToolError(path + ": image of " + std::to_string(png.width) + " x " + std::to_string(png.height) +
                    " pixels, more than the file can hold");
  }
  png.format = PNG_FORMAT_RGBA;
  RgbaImage image(static_cast<int>(png.width), static_cast<int>(png.height));
  if (!png_image_finish_read(&png, nullptr, image.pixels.data(), 0, nullptr)) {
    throw ToolError(path + ": cannot read the PNG image: " + png.message);
  }
  return image;
}

RgbaImage readImage(const std::string& path) {
  if (endsWith(path, ".png") || endsWith(path, ".PNG")) return readPng(path);
  if (endsWith(path, ".bmp") || endsWith(path, ".BMP")) return readBmp(path);
  throw ToolError(path + ": not a PNG or BMP image");
}

RgbaImage scaled(const RgbaImage& in, int factor) {
  RgbaImage out(in.width * factor, in.height * factor);
  for (int y = 0; y < out.height; ++y) {
    for (int x = 0; x < out.width; ++x) memcpy(out.at(x, y), in.at(x / factor, y / factor), BYTES_PER_PIXEL);
  }
  return out;
}

std::vector<uint8_t> encodePng(const std::string& path, const RgbaImage& image) {
  png_image png;
  memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(image.width);
  png.height = static_cast<png_uint_32>(image.height);
  png.format = PNG_FORMAT_RGBA;
  png_alloc_size_t size = 0;
  if (!png_image_write_get_memory_size(png, size, 0, image.pixels.data(), 0, nullptr)) {
    throw ToolError(path + ": cannot make the PNG image: " + png.message);
  }
  std::vector<uint8_t> bytes(size);
  if (!png_image_write_to_memory(&png, bytes.data(), &size, 0, image.pixels.data(), 0, nullptr)) {
    throw ToolError(path + ": cannot make the PNG image: " + png.message);
  }
  bytes.resize(size);
  return bytes;
}

void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  AtomicFile out(path);
  FILE* f = fopen(out.temporary().c_str(), "wb");
  const bool written = f != nullptr && fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  if (f == nullptr || fclose(f) != 0 || !written) throw ToolError(path + ": cannot write the file");
  out.commit();
}

void writePng(const std::string& path, const RgbaImage& image) { writeBytes(path, encodePng(path, image)); }
