// The engine's files made byte by byte: animations (.spr, GIF) and tiles (.tle, .map).
#ifndef TESTS_ENGINE_FILES_H
#define TESTS_ENGINE_FILES_H

#include <array>
#include <cstdint>
#include <functional>
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

typedef std::array<uint8_t, 3> TileRgb;  // red, green, blue

// A .tle record: sizes, the five attribute bytes, then pixel (x, y) as colour(x, y) and `fourth` (if colour).
std::vector<uint8_t> tleRecord(int32_t w, int32_t h, const std::array<uint8_t, 5>& attributes,
                               const std::function<TileRgb(int x, int y)>& colour, uint8_t fourth = 0);

std::vector<uint8_t> plainTle(int32_t w, int32_t h, TileRgb c, uint8_t walkable);

struct MapHeader {  // the 24 bytes before a .map's tile numbers
  uint32_t colonnes, lignes;
  int32_t largeurTile, hauteurTile;
  uint8_t attr0 = 0, attr1 = 0, attr2 = 0;
  uint32_t attr3 = 0;
  uint8_t attr4 = 0;
};

std::vector<uint8_t> mapBytes(const MapHeader& h, const std::vector<uint16_t>& cells);

void appendBytes(std::vector<uint8_t>& to, const std::vector<uint8_t>& bytes);

#endif
