#include "level_builder.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <unordered_map>

#include "atomic_file.h"
#include "tool_error.h"
#include "zel_grafbox.h"
#include "zel_surface.h"
#include "zel_tile.h"
#include "zel_tile_map.h"

namespace {

const int OPAQUE = 255;
const int HALF_COVERED = 128;  // with nothing behind, less alpha than this is left uncovered
const int BLANK_LATER = -1;    // an empty cell, numbered once every other tile is

// One layer's contribution to a cell.
struct Layered {
  uint32_t gid;     // flip bits kept
  uint8_t opacity;  // the layer's, 0 to 255
};

class Builder {
 public:
  Builder(const TmxMap& map, const uint8_t* background, const std::string& where)
      : map_(map), background_(background), where_(where) {}

  EngineLevel build();

 private:
  int add(EngineTile tile);
  TileAttributes attributesOf(uint32_t gid) const;
  int numberOfCell(size_t cell);
  EngineTile composite(const std::vector<Layered>& stack, bool blocked) const;
  EngineTile finished(RgbaImage image, const TileAttributes& attributes) const;
  void drawOver(RgbaImage& into, const Layered& layered) const;

  const TmxMap& map_;
  const uint8_t* background_;
  std::string where_;
  EngineLevel level_;
  uint32_t firstGid_ = 0;
  std::unordered_map<std::string, int> composites_;
  bool anyEmpty_ = false;
};

// A tileset tile's attribute bytes as its properties set them; gid without flags.
TileAttributes Builder::attributesOf(uint32_t gid) const {
  const TmxTileset* set = tilesetOf(map_, gid);
  const auto found = set->attributes.find(static_cast<int>(gid - set->firstGid));
  return found == set->attributes.end() ? TileAttributes() : found->second;
}

int Builder::add(EngineTile tile) {
  const uint64_t bytes = (level_.tiles.size() + 1) * static_cast<uint64_t>(tile.image.pixels.size());
  if (level_.tiles.size() == MAX_ENGINE_TILES || bytes > MAX_TILE_SET_BYTES) {
    throw ToolError(where_ + ": the level needs more than " + std::to_string(level_.tiles.size()) +
                    " engine tiles (at most " + std::to_string(MAX_ENGINE_TILES) + ", " +
                    std::to_string(MAX_TILE_SET_BYTES >> 20) + " MiB of pixels)");
  }
  level_.tiles.push_back(std::move(tile));
  return static_cast<int>(level_.tiles.size()) - 1;
}

// Straight-alpha "over", rounded to the nearest 8-bit value.
void over(uint8_t* dst, const uint8_t* src, int opacity) {
  const double sa = std::round(src[3] * opacity / 255.0) / 255.0;
  const double da = dst[3] / 255.0;
  const double oa = sa + da * (1 - sa);
  for (int c = 0; c < 3 && oa > 0; ++c)
    dst[c] = static_cast<uint8_t>(std::lround((src[c] * sa + dst[c] * da * (1 - sa)) / oa));
  dst[3] = static_cast<uint8_t>(std::lround(oa * 255));
}

void Builder::drawOver(RgbaImage& into, const Layered& layered) const {
  const uint32_t id = layered.gid & GID_MASK;
  const TmxTileset* set = tilesetOf(map_, id);
  const RgbaImage& tile = set->tiles[id - set->firstGid];
  const bool diagonal = layered.gid & FLIP_DIAGONAL, h = layered.gid & FLIP_HORIZONTAL,
             v = layered.gid & FLIP_VERTICAL;
  for (int y = 0; y < into.height; ++y) {
    for (int x = 0; x < into.width; ++x) {
      // The diagonal flip swaps x and y first, then the other two mirror.
      const int fx = h ? into.width - 1 - x : x, fy = v ? into.height - 1 - y : y;
      const int sx = diagonal ? fy : fx, sy = diagonal ? fx : fy;
      if (sx < tile.width && sy < tile.height) over(into.at(x, y), tile.at(sx, sy), layered.opacity);
    }
  }
}

// The engine's form of a composited tile: pixels left uncovered become the
// transparent black, and opaque black the nearest colour not keyed out
// when the tile has transparent pixels.
EngineTile Builder::finished(RgbaImage image, const TileAttributes& attributes) const {
  bool uncovered = false;
  for (size_t i = 3; i < image.pixels.size(); i += 4) uncovered = uncovered || image.pixels[i] < HALF_COVERED;
  EngineTile tile;
  tile.transparent = attributes.transparent >= 0 ? static_cast<uint8_t>(attributes.transparent) : uncovered;
  for (size_t i = 0; i < image.pixels.size(); i += 4) {
    uint8_t* p = &image.pixels[i];
    if (p[3] < HALF_COVERED) {
      memset(p, 0, 3);
    } else if (uncovered && tile.transparent == 1 && p[0] == 0 && p[1] == 0 && p[2] == 0) {
      memcpy(p, NEAR_BLACK, 3);
    }
    p[3] = OPAQUE;
  }
  tile.image = std::move(image);
  tile.attr0 = attributes.attr0;
  tile.attr2 = attributes.attr2;
  tile.attr3 = attributes.attr3;
  tile.walkable = attributes.walkable ? 1 : 0;
  return tile;
}

RgbaImage backdrop(int w, int h, const uint8_t* background) {
  RgbaImage image(w, h);
  for (int y = 0; y < h && background != nullptr; ++y) {
    for (int x = 0; x < w; ++x) {
      memcpy(image.at(x, y), background, 3);
      image.at(x, y)[3] = OPAQUE;
    }
  }
  return image;
}

EngineTile Builder::composite(const std::vector<Layered>& stack, bool blocked) const {
  RgbaImage image = backdrop(map_.tileWidth, map_.tileHeight, background_);
  TileAttributes attributes;
  for (const Layered& layered : stack) {
    drawOver(image, layered);
    const TileAttributes own = attributesOf(layered.gid & GID_MASK);
    blocked = blocked || !own.walkable;
    attributes = own;  // the top tile's bytes
  }
  attributes.walkable = !blocked;
  attributes.transparent = -1;
  return finished(std::move(image), attributes);
}

// A cell's stack as a key: each layer's global id with flips and opacity,
// then whether a collision layer blocks it.
std::string keyOf(const std::vector<Layered>& stack, bool blocked) {
  std::string key(stack.size() * sizeof(Layered) + 1, '\0');
  for (size_t i = 0; i < stack.size(); ++i) {
    memcpy(&key[i * sizeof(Layered)], &stack[i].gid, sizeof stack[i].gid);
    key[i * sizeof(Layered) + sizeof stack[i].gid] = static_cast<char>(stack[i].opacity);
  }
  key.back() = blocked ? 1 : 0;
  return key;
}

int Builder::numberOfCell(size_t cell) {
  std::vector<Layered> stack;
  bool blocked = false;
  for (const TmxLayer& layer : map_.layers) {
    const uint32_t gid = layer.gids[cell];
    if (gid == 0) continue;
    if (layer.collision) {
      blocked = true;
    } else {
      stack.push_back(
          {gid, static_cast<uint8_t>(std::lround(std::min(1.0, std::max(0.0, layer.opacity)) * OPAQUE))});
    }
  }
  if (stack.empty() && !blocked) {
    anyEmpty_ = true;
    return BLANK_LATER;
  }
  // A tileset tile as it stands is its own engine tile.
  if (stack.size() == 1 && (stack[0].gid & ~GID_MASK) == 0 && stack[0].opacity == OPAQUE) {
    const int own = static_cast<int>(stack[0].gid - firstGid_);
    if (!blocked || level_.tiles[own].walkable == 0) return own;
  }
  const std::string key = keyOf(stack, blocked);
  const auto found = composites_.find(key);
  if (found != composites_.end()) return found->second;
  const int number = add(composite(stack, blocked));
  composites_.emplace(key, number);
  return number;
}

EngineLevel Builder::build() {
  level_.columns = map_.width;
  level_.rows = map_.height;
  level_.headerAttributes = map_.headerAttributes;
  if (!map_.tilesets.empty()) {
    firstGid_ = map_.tilesets.front().firstGid;
    const TmxTileset& last = map_.tilesets.back();
    for (uint32_t gid = firstGid_; gid < last.firstGid + last.tiles.size(); ++gid) {
      const TmxTileset* set = tilesetOf(map_, gid);
      if (set == nullptr) {
        add(finished(backdrop(map_.tileWidth, map_.tileHeight, background_), TileAttributes()));  // a gap
        continue;
      }
      RgbaImage image = backdrop(map_.tileWidth, map_.tileHeight, background_);
      drawOver(image, {gid, OPAQUE});
      add(finished(std::move(image), attributesOf(gid)));
    }
  }
  level_.cells.resize(static_cast<size_t>(map_.width) * map_.height);
  for (size_t cell = 0; cell < level_.cells.size(); ++cell) level_.cells[cell] = numberOfCell(cell);
  if (anyEmpty_) {
    const int blank = add(finished(backdrop(map_.tileWidth, map_.tileHeight, background_), TileAttributes()));
    for (int& n : level_.cells) n = n == BLANK_LATER ? blank : n;
  }
  return level_;
}

void writeTileSet(const EngineLevel& level, const std::string& path, ZEL_Grafbox* grafbox) {
  FILE* f = fopen(path.c_str(), "wb");
  if (f == nullptr) throw ToolError(path + ": cannot write the file");
  for (const EngineTile& t : level.tiles) {
    ZEL_Surface* surface = grafbox->getSurface(t.image.width, t.image.height);
    for (int y = 0; y < t.image.height; ++y) {
      for (int x = 0; x < t.image.width; ++x)
        surface->setPixel(x, y, t.image.at(x, y)[0], t.image.at(x, y)[1], t.image.at(x, y)[2]);
    }
    ZEL_Tile tile(grafbox);
    tile.setImage(surface, t.attr0, t.transparent, t.attr2, t.attr3, t.walkable);
    tile.WriteTle(f);
  }
  const bool failed = ferror(f) != 0;
  if (fclose(f) != 0 || failed) throw ToolError(path + ": cannot write the file");
}

}  // namespace

EngineLevel buildLevel(const TmxMap& map, const uint8_t* background, const std::string& where) {
  return Builder(map, background, where).build();
}

void writeLevel(const EngineLevel& level, const std::string& tlePath, const std::string& mapPath,
                ZEL_Grafbox* grafbox) {
  AtomicFile tle(tlePath), mapFile(mapPath);
  writeTileSet(level, tle.temporary(), grafbox);
  // The grid is built on the tile set just written, as the game reads it.
  ZEL_TileMap tileMap(tle.temporary().c_str(), grafbox);
  tileMap.setMap(level.columns, level.rows, 0);
  tileMap.setHeaderAttributes(level.headerAttributes);
  for (int r = 0; r < level.rows; ++r) {
    for (int c = 0; c < level.columns; ++c) {
      tileMap.setTile(level.cells[static_cast<size_t>(r) * level.columns + c], static_cast<unsigned>(c),
                      static_cast<unsigned>(r));
    }
  }
  tileMap.WriteMap(mapFile.temporary().c_str());
  tle.commit();
  mapFile.commit();
}
