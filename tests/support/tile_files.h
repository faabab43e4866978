#ifndef TESTS_TILE_FILES_H
#define TESTS_TILE_FILES_H

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

// Builders of small .tle and .map files.

struct TileRgb {
  uint8_t r, g, b;
  bool operator==(const TileRgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

// A .tle record: sizes, attr0, transparent, attr2, attr3 and walkable, then pixel (x, y) as
// colour(x, y) with the fourth byte `fourth`; without colour, the 13-byte header alone.
std::vector<uint8_t> tleRecord(int32_t w, int32_t h, const std::array<uint8_t, 5>& attributes,
                               const std::function<TileRgb(int x, int y)>& colour, uint8_t fourth = 0);

// A record of one colour.
std::vector<uint8_t> plainTle(int32_t w, int32_t h, TileRgb c, uint8_t walkable, uint8_t transparent = 0);

struct MapHeader {
  uint32_t colonnes, lignes;
  int32_t largeurTile, hauteurTile;
  uint8_t attr0, attr1, attr2;
  uint32_t attr3;
  uint8_t attr4;
};

// A .map: the 24-byte header, then the tile numbers.
std::vector<uint8_t> mapBytes(const MapHeader& h, const std::vector<uint16_t>& cells);

void appendBytes(std::vector<uint8_t>& to, const std::vector<uint8_t>& bytes);

#endif
