#ifndef TESTS_TILE_FILES_H
#define TESTS_TILE_FILES_H

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

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
