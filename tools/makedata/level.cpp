#include "level.h"

#include <cstdio>
#include <map>
#include <memory>
#include <vector>

#include "pixel_art.h"
#include "source_text.h"
#include "zel_tile.h"
#include "zel_tile_map.h"

namespace {

// Tile attribute bytes: walkable is 1 exactly; transparent 0 keeps black.
const uint8_t WALKABLE = 1;
const uint8_t SOLID = 0;
const uint8_t OPAQUE = 0;
const int MAX_TILES = 256;
const int MAX_MAP_SIDE = 1024;

struct TileSource {
  char symbol;
  bool walkable;
  Image image;
};

std::vector<TileSource> readTiles(const std::string& path) {
  SourceText source(path);
  PixelArt art;
  std::vector<TileSource> tiles;
  std::vector<std::string> words;
  while (source.nextWords(&words)) {
    if (art.apply(source, words)) continue;
    if (words[0] != "tile" || words.size() != 4 || words[1].size() != 1 ||
        (words[3] != "solid" && words[3] != "walkable")) {
      source.fail("expected: tile C NAME solid|walkable");
    }
    for (const TileSource& t : tiles)
      if (t.symbol == words[1][0]) source.fail("tile '" + words[1] + "' is defined twice");
    TileSource tile{words[1][0], words[3] == "walkable", art.readPicture(source)};
    for (const Rgb& p : tile.image.pixels)
      if (p.isTransparent()) source.fail("tile " + words[2] + " has a transparent pixel; tiles are opaque");
    if (!tiles.empty() && (tile.image.largeur != tiles[0].image.largeur || tile.image.hauteur != tiles[0].image.hauteur)) {
      source.fail("tile " + words[2] + " is not the size of the first tile");
    }
    tiles.push_back(tile);
    if (tiles.size() > MAX_TILES) source.fail("too many tiles");
  }
  if (tiles.empty()) source.fail("no tile");
  return tiles;
}

std::vector<std::string> readLayout(const std::string& path) {
  SourceText source(path);
  std::vector<std::string> rows;
  std::string row;
  while (source.next(&row)) {
    if (!rows.empty() && row.size() != rows[0].size()) source.fail("rows of the layout differ in length");
    rows.push_back(row);
    if (rows.size() > MAX_MAP_SIDE || row.size() > MAX_MAP_SIDE) source.fail("the layout is too large");
  }
  if (rows.empty()) source.fail("empty layout");
  return rows;
}

void writeTileSet(const std::vector<TileSource>& tiles, const std::string& tleFile, ZEL_Grafbox* grafbox) {
  FILE* f = fopen(tleFile.c_str(), "wb");
  if (f == nullptr) failTool("cannot write " + tleFile);
  for (const TileSource& source : tiles) {
    ZEL_Tile tile(grafbox);
    tile.setImage(toSurface(source.image, grafbox), 0, OPAQUE, 0, 0, source.walkable ? WALKABLE : SOLID);
    tile.WriteTle(f);
  }
  const bool writeFailed = ferror(f) != 0;
  if (fclose(f) != 0 || writeFailed) failTool("cannot write " + tleFile);
}

}  // namespace

void makeLevel(const std::string& tilesSource, const std::string& layoutSource, const std::string& tleFile,
               const std::string& mapFile, ZEL_Grafbox* grafbox) {
  const std::vector<TileSource> tiles = readTiles(tilesSource);
  const std::vector<std::string> rows = readLayout(layoutSource);
  std::map<char, int> numberOf;
  for (size_t i = 0; i < tiles.size(); ++i) numberOf[tiles[i].symbol] = static_cast<int>(i);

  writeTileSet(tiles, tleFile, grafbox);
  // The map is built on the tile set just written, as the game reads it.
  ZEL_TileMap map(tleFile.c_str(), grafbox);
  const int colonnes = static_cast<int>(rows[0].size());
  const int lignes = static_cast<int>(rows.size());
  map.setMap(colonnes, lignes, 0);
  for (int r = 0; r < lignes; ++r)
    for (int c = 0; c < colonnes; ++c) {
      const char symbol = rows[static_cast<size_t>(r)][static_cast<size_t>(c)];
      const auto found = numberOf.find(symbol);
      if (found == numberOf.end()) {
        failTool(layoutSource + ": row " + std::to_string(r + 1) + " uses '" + symbol + "', which is no tile");
      }
      map.setTile(found->second, static_cast<unsigned>(c), static_cast<unsigned>(r));
    }
  map.WriteMap(mapFile.c_str());
}
