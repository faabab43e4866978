#ifndef TESTS_TILE_FILES_H
#define TESTS_TILE_FILES_H

#include <array>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "child_process.h"

class ZEL_GrafboxSDL;

// Builders of small .tle and .map files, and children with a screen to
// load them in.

struct TileRgb {
  uint8_t r, g, b;
  bool operator==(const TileRgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

std::ostream& operator<<(std::ostream& os, const TileRgb& c);

// attr0, transparent, attr2, attr3, walkable.
typedef std::array<uint8_t, 5> TileAttributes;

// The 13 bytes before a record's pixels.
std::vector<uint8_t> tleHeader(int32_t w, int32_t h, const TileAttributes& attributes);

// One .tle record; pixel (x, y) is colour(x, y), its fourth byte `fourth`.
std::vector<uint8_t> tleRecord(int32_t w, int32_t h, const TileAttributes& attributes,
                               const std::function<TileRgb(int x, int y)>& colour,
                               uint8_t fourth = 0);

// A record of one colour.
std::vector<uint8_t> plainTle(int32_t w, int32_t h, TileRgb c, uint8_t walkable,
                              uint8_t transparent = 0);

struct MapHeader {
  uint32_t colonnes;
  uint32_t lignes;
  int32_t largeurTile;
  int32_t hauteurTile;
  uint8_t attr0, attr1, attr2;
  uint32_t attr3;
  uint8_t attr4;
};

// A .map: the 24-byte header, then the tile numbers.
std::vector<uint8_t> mapBytes(const MapHeader& h, const std::vector<uint16_t>& cells);

void appendBytes(std::vector<uint8_t>& to, const std::vector<uint8_t>& bytes);

// Runs body in a child with SDL's dummy video driver and a 32-bit screen of
// 64 x 64 pixels. The parent must not have started SDL.
ChildResult runOnDummyScreen(const std::function<void(ZEL_GrafboxSDL&)>& body);

#endif
