#ifndef ZELTOOL_TMX_MAP_H
#define ZELTOOL_TMX_MAP_H

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "rgba_image.h"

// Global tile id bits: flips, and the hexagonal 120-degree turn (ignored).
const uint32_t FLIP_HORIZONTAL = 0x80000000u;
const uint32_t FLIP_VERTICAL = 0x40000000u;
const uint32_t FLIP_DIAGONAL = 0x20000000u;
const uint32_t ROTATE_HEXAGONAL = 0x10000000u;
const uint32_t GID_MASK = 0x0fffffffu;

// What a tileset tile's properties set in the engine's attribute bytes.
struct TileAttributes {
  bool walkable = true;
  int transparent = -1;  // -1: from the pixels
  uint8_t attr0 = 0, attr2 = 0, attr3 = 0;
};

// An image tileset, its tiles cut out.
struct TmxTileset {
  uint32_t firstGid = 0;
  std::vector<RgbaImage> tiles;
  std::map<int, TileAttributes> attributes;  // by local id; missing: defaults
  int offsetColumns = 0, offsetRows = 0;     // a <tileoffset> of whole cells
};

// A visible tile layer: its global ids (flip bits kept, hexagonal bit
// cleared), row by row, already shifted by its whole-cell offset.
struct TmxLayer {
  std::string name;
  double opacity = 1.0;  // its own times its groups'
  bool collision = false;
  std::vector<uint32_t> gids;
};

struct TmxMap {
  int width = 0, height = 0;          // cells
  int tileWidth = 0, tileHeight = 0;  // pixels
  bool hasBackground = false;
  uint8_t background[3] = {0, 0, 0};
  std::vector<TmxTileset> tilesets;               // by firstgid
  std::vector<TmxLayer> layers;                   // bottom to top
  std::array<uint32_t, 5> headerAttributes = {};  // the map's properties attr0 to attr4
};

// The names of the .map header's attribute fields as map properties.
const char* const HEADER_ATTRIBUTE_NAMES[5] = {"attr0", "attr1", "attr2", "attr3", "attr4"};

// The tileset holding global id gid (flags cleared); null if none does.
const TmxTileset* tilesetOf(const TmxMap& map, uint32_t gid);

// Reads a .tmx or .tmx.gz with its tilesets and images. Warnings (skipped
// layers) go to standard error; ToolError on anything it cannot honour.
TmxMap readTmx(const std::string& path);

// Parses "#RRGGBB" or "#AARRGGBB" (the '#' optional) into rgb; false if not one.
bool parseColour(const std::string& text, uint8_t rgb[3]);

#endif
