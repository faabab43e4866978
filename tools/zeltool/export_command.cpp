#include <algorithm>
#include <cstring>
#include <pugixml.hpp>

#include "atomic_file.h"
#include "command.h"
#include "engine_level.h"
#include "headless_screen.h"
#include "rgba_image.h"
#include "tmx_map.h"
#include "tool_error.h"
#include "zel_surface.h"
#include "zel_tile.h"
#include "zel_tile_map.h"

namespace {

const int SHEET_COLUMNS = 16;
const char TMX_VERSION[] = "1.10";
const char* const ATTRIBUTE_NAMES[] = {"attr0", "transparent", "attr2", "attr3", "walkable"};
const int TRANSPARENT_BYTE = 1, WALKABLE_BYTE = 4;

std::string withoutExtension(const std::string& path) {
  const size_t dot = path.rfind('.'), slash = path.rfind('/');
  return dot == std::string::npos || (slash != std::string::npos && dot < slash) ? path : path.substr(0, dot);
}

std::string baseName(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Every tile in a grid of SHEET_COLUMNS; black is see-through where the tile keys it out.
RgbaImage tileSheet(const ZEL_TileMap& map, int tw, int th) {
  const int n = map.get_nb_tiles(), columns = std::min(n, SHEET_COLUMNS);
  RgbaImage sheet(columns * tw, (n + columns - 1) / columns * th);
  for (int i = 0; i < n; ++i) {
    const ZEL_Tile* tile = map.getCorrespondance(i);
    const bool keyed = tile->getAttributes()[TRANSPARENT_BYTE] == 1;
    for (int y = 0; y < th; ++y) {
      for (int x = 0; x < tw; ++x) {
        uint8_t* p = sheet.at(i % columns * tw + x, i / columns * th + y);
        tile->getSurface()->getPixel(x, y, &p[0], &p[1], &p[2]);
        p[3] = keyed && p[0] == 0 && p[1] == 0 && p[2] == 0 ? 0 : UINT8_MAX;
      }
    }
  }
  return sheet;
}

void addProperty(pugi::xml_node properties, const char* name, const char* type, const std::string& value) {
  pugi::xml_node p = properties.append_child("property");
  p.append_attribute("name") = name;
  p.append_attribute("type") = type;
  p.append_attribute("value") = value.c_str();
}

void save(const pugi::xml_document& doc, const std::string& path) {
  AtomicFile out(path);
  if (!doc.save_file(out.temporary().c_str(), " ")) throw ToolError(path + ": cannot write the file");
  out.commit();
}

pugi::xml_document tilesetDocument(const ZEL_TileMap& map, const std::string& name, const RgbaImage& sheet,
                                   int tw, int th) {
  pugi::xml_document doc;
  pugi::xml_node set = doc.append_child("tileset");
  set.append_attribute("version") = TMX_VERSION;
  set.append_attribute("name") = name.c_str();
  set.append_attribute("tilewidth") = tw;
  set.append_attribute("tileheight") = th;
  set.append_attribute("tilecount") = map.get_nb_tiles();
  set.append_attribute("columns") = sheet.width / tw;
  pugi::xml_node image = set.append_child("image");
  image.append_attribute("source") = (name + ".png").c_str();
  image.append_attribute("width") = sheet.width;
  image.append_attribute("height") = sheet.height;
  for (int i = 0; i < map.get_nb_tiles(); ++i) {
    const std::array<uint8_t, 5> bytes = map.getCorrespondance(i)->getAttributes();
    pugi::xml_node tile = set.append_child("tile");
    tile.append_attribute("id") = i;
    pugi::xml_node properties = tile.append_child("properties");
    for (int b = 0; b < 5; ++b) {
      if (b == WALKABLE_BYTE)
        addProperty(properties, "walkable", "bool", bytes[b] == 1 ? "true" : "false");
      else
        addProperty(properties, ATTRIBUTE_NAMES[b], "int", std::to_string(bytes[b]));
    }
  }
  return doc;
}

pugi::xml_document mapDocument(ZEL_TileMap& map, const std::string& name, int tw, int th) {
  pugi::xml_document doc;
  pugi::xml_node root = doc.append_child("map");
  root.append_attribute("version") = TMX_VERSION;
  root.append_attribute("orientation") = "orthogonal";
  root.append_attribute("renderorder") = "right-down";
  root.append_attribute("width") = map.get_nb_colonnes();
  root.append_attribute("height") = map.get_nb_lignes();
  root.append_attribute("tilewidth") = tw;
  root.append_attribute("tileheight") = th;
  root.append_attribute("infinite") = 0;
  root.append_attribute("nextlayerid") = 2;
  root.append_attribute("nextobjectid") = 1;
  const std::array<uint32_t, 5> header = map.getHeaderAttributes();
  if (header != std::array<uint32_t, 5>{}) {
    pugi::xml_node properties = root.append_child("properties");
    for (int i = 0; i < 5; ++i)
      addProperty(properties, HEADER_ATTRIBUTE_NAMES[i], "int", std::to_string(header[i]));
  }
  pugi::xml_node set = root.append_child("tileset");
  set.append_attribute("firstgid") = 1;
  set.append_attribute("source") = (name + ".tsx").c_str();
  pugi::xml_node layer = root.append_child("layer");
  layer.append_attribute("id") = 1;
  layer.append_attribute("name") = "level";
  layer.append_attribute("width") = map.get_nb_colonnes();
  layer.append_attribute("height") = map.get_nb_lignes();
  pugi::xml_node data = layer.append_child("data");
  data.append_attribute("encoding") = "csv";
  std::string csv = "\n";
  for (unsigned r = 0; r < map.get_nb_lignes(); ++r) {
    for (unsigned c = 0; c < map.get_nb_colonnes(); ++c) {
      csv += std::to_string(map.getTile(c, r) + 1);  // no tile (-1) is gid 0
      csv += c + 1 < map.get_nb_colonnes() ? "," : r + 1 < map.get_nb_lignes() ? ",\n" : "\n";
    }
  }
  data.text() = csv.c_str();
  return doc;
}

}  // namespace

int runExport(const std::vector<std::string>& words) {
  const Args args(words, 3, {}, {});
  checkEngineLevel(args[0], args[1]);
  HeadlessScreen screen;
  ZEL_TileMap map(args[0].c_str(), &screen.box);
  map.ReadMap(args[1].c_str());
  const int tw = map.get_largeur_tile(), th = map.get_hauteur_tile();
  for (int i = 0; i < map.get_nb_tiles(); ++i) {
    const ZEL_Tile* tile = map.getCorrespondance(i);
    if (tile->get_largeur() != tw || tile->get_hauteur() != th) {
      throw ToolError(args[0] + ": tile " + std::to_string(i) + " is not " + std::to_string(tw) + " x " +
                      std::to_string(th) + " pixels like the map's cells; Tiled needs one size");
    }
  }
  const std::string stem = withoutExtension(args[2]), name = baseName(stem);
  const RgbaImage sheet = tileSheet(map, tw, th);
  writePng(stem + ".png", sheet);
  save(tilesetDocument(map, name, sheet, tw, th), stem + ".tsx");
  save(mapDocument(map, name, tw, th), args[2]);
  return 0;
}
