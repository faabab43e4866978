#ifndef ZELTOOL_LEVEL_BUILDER_H
#define ZELTOOL_LEVEL_BUILDER_H

#include <cstdint>
#include <string>
#include <vector>

#include "rgba_image.h"
#include "tmx_map.h"

class ZEL_Grafbox;

// One tile as the engine stores it: opaque RGB pixels (alpha 255, black
// where transparent is 1 and nothing covers them) and five attribute bytes.
struct EngineTile {
  RgbaImage image;
  uint8_t attr0 = 0, transparent = 0, attr2 = 0, attr3 = 0, walkable = 1;
};

// The engine's tile set and grid for a Tiled map: the tilesets' tiles in
// global-id order (gaps blank), then each other stack of (tile, flips,
// opacity) met in a cell, in the order of first use, then one blank tile
// for empty cells if there are any.
struct EngineLevel {
  std::vector<EngineTile> tiles;
  int columns = 0, rows = 0;
  std::vector<int> cells;  // tile numbers, row by row
  std::array<uint32_t, 5> headerAttributes = {};
};

// The most tiles an imported tile set may hold, and the most bytes of
// pixels, so that a hostile map ends in a message rather than exhausting
// memory.
const size_t MAX_ENGINE_TILES = 65536;
const uint64_t MAX_TILE_SET_BYTES = 1ull << 30;

// Layers are composited with the "over" operator, 8 bits a channel, over
// background (null: nothing). ToolError past the limits above.
EngineLevel buildLevel(const TmxMap& map, const uint8_t* background, const std::string& where);

// Writes the tile set through ZEL_Tile::WriteTle and the grid through
// ZEL_TileMap::WriteMap, each under a temporary name renamed when both are
// complete.
void writeLevel(const EngineLevel& level, const std::string& tlePath, const std::string& mapPath,
                ZEL_Grafbox* grafbox);

#endif
