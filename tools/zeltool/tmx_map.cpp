#include "tmx_map.h"

#include <strings.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <pugixml.hpp>

#include "files.h"
#include "layer_data.h"
#include "tool_error.h"
#include "zel_tile.h"
#include "zel_tile_map.h"

namespace {

const size_t MAX_XML_BYTES = 256u << 20;  // far beyond any level Tiled saves
const int BYTES_PER_PIXEL = 4;

std::string relativeTo(const std::string& file, const std::string& name) {
  return name.empty() || name[0] == '/' ? name : directoryOf(file) + name;
}

std::vector<uint8_t> readBytes(const std::string& path) {
  std::vector<uint8_t> bytes;
  if (!readFileBytes(path, MAX_XML_BYTES, bytes)) throw ToolError(path + ": cannot open the file");
  if (bytes.size() > MAX_XML_BYTES) {
    throw ToolError(path + ": the file is larger than " + std::to_string(MAX_XML_BYTES >> 20) + " MiB");
  }
  return bytes;
}

// The document of a .tmx, .tsx or .tmx.gz file; ToolError naming the line of a syntax error.
void loadXml(const std::string& path, pugi::xml_document& doc) {
  std::vector<uint8_t> bytes = readBytes(path);
  if (endsWith(path, ".gz")) bytes = inflateBounded(bytes, MAX_XML_BYTES, true, path);
  const pugi::xml_parse_result parsed = doc.load_buffer(bytes.data(), bytes.size());
  if (!parsed) {
    const auto end = bytes.begin() + std::min<ptrdiff_t>(parsed.offset, static_cast<ptrdiff_t>(bytes.size()));
    const long line = 1 + std::count(bytes.begin(), end, '\n');
    throw ToolError(path + ": line " + std::to_string(line) + ": " + parsed.description());
  }
}

int intAttribute(const pugi::xml_node& node, const char* name, int fallback = 0) {
  return node.attribute(name).as_int(fallback);
}

// The value of a named <property> of node, empty if none.
std::string property(const pugi::xml_node& node, const char* name) {
  for (pugi::xml_node p : node.child("properties").children("property")) {
    if (strcmp(p.attribute("name").value(), name) == 0) return p.attribute("value").value();
  }
  return "";
}

uint8_t byteProperty(const pugi::xml_node& tile, const char* name, const std::string& where) {
  const std::string text = property(tile, name);
  if (text.empty()) return 0;
  char* end = nullptr;
  const long v = strtol(text.c_str(), &end, 10);
  if (*end != '\0' || v < 0 || v > UINT8_MAX)
    throw ToolError(where + ": property " + name + " is not 0 to 255");
  return static_cast<uint8_t>(v);
}

// A whole number of cells from a pixel offset, or ToolError.
int wholeCells(int pixels, int side, const std::string& where) {
  if (pixels % side != 0)
    throw ToolError(where + ": an offset of " + std::to_string(pixels) + " pixels is not whole cells");
  return pixels / side;
}

TileAttributes attributesOf(const pugi::xml_node& tile, const std::string& where) {
  TileAttributes a;
  const std::string walkable = property(tile, "walkable");
  const std::string solid = property(tile, "solid");
  if (!walkable.empty())
    a.walkable = walkable == "true";
  else if (!solid.empty())
    a.walkable = solid != "true";
  if (!property(tile, "transparent").empty()) a.transparent = byteProperty(tile, "transparent", where);
  a.attr0 = byteProperty(tile, "attr0", where);
  a.attr2 = byteProperty(tile, "attr2", where);
  a.attr3 = byteProperty(tile, "attr3", where);
  return a;
}

void applyTransColour(RgbaImage& image, const char* trans) {
  uint8_t key[3];
  if (*trans == '\0' || !parseColour(trans, key)) return;
  for (size_t i = 0; i < image.pixels.size(); i += BYTES_PER_PIXEL) {
    if (memcmp(&image.pixels[i], key, 3) == 0) image.pixels[i + 3] = 0;
  }
}

RgbaImage cut(const RgbaImage& image, int x0, int y0, int w, int h) {
  RgbaImage tile(w, h);
  for (int y = 0; y < h; ++y)
    memcpy(tile.at(0, y), image.at(x0, y0 + y), static_cast<size_t>(w) * BYTES_PER_PIXEL);
  return tile;
}

TmxTileset readTileset(const pugi::xml_node& ref, const std::string& mapPath, const TmxMap& map,
                       pugi::xml_document& external) {
  TmxTileset set;
  set.firstGid = ref.attribute("firstgid").as_uint(0);
  std::string file = mapPath;
  pugi::xml_node node = ref;
  if (ref.attribute("source")) {
    file = relativeTo(mapPath, ref.attribute("source").value());
    loadXml(file, external);
    node = external.child("tileset");
    if (!node) throw ToolError(file + ": no <tileset> element");
  }
  const std::string where = file + ": tileset '" + std::string(node.attribute("name").value()) + "'";
  if (set.firstGid < 1 || set.firstGid > GID_MASK) throw ToolError(where + ": bad firstgid");
  const int tw = intAttribute(node, "tilewidth"), th = intAttribute(node, "tileheight");
  if (tw != map.tileWidth || th != map.tileHeight) {
    throw ToolError(where + ": tiles of " + std::to_string(tw) + " x " + std::to_string(th) +
                    " pixels in a map of " + std::to_string(map.tileWidth) + " x " +
                    std::to_string(map.tileHeight));
  }
  const pugi::xml_node imageNode = node.child("image");
  if (!imageNode) throw ToolError(where + ": a collection of images is not supported; use one tileset image");
  if (pugi::xml_node offset = node.child("tileoffset")) {
    set.offsetColumns = wholeCells(intAttribute(offset, "x"), tw, where);
    set.offsetRows = wholeCells(intAttribute(offset, "y"), th, where);
  }
  RgbaImage image = readImage(relativeTo(file, imageNode.attribute("source").value()));
  applyTransColour(image, imageNode.attribute("trans").value());
  const int margin = intAttribute(node, "margin"), spacing = intAttribute(node, "spacing");
  if (margin < 0 || spacing < 0) throw ToolError(where + ": negative margin or spacing");
  const int fitColumns = std::max(0, (image.width - 2 * margin + spacing) / (tw + spacing));
  const int fitRows = std::max(0, (image.height - 2 * margin + spacing) / (th + spacing));
  const int columns = intAttribute(node, "columns", fitColumns);
  const int count = intAttribute(node, "tilecount", fitColumns * fitRows);
  if (columns < 1 || columns > fitColumns || count < 0 || count > columns * fitRows) {
    throw ToolError(where + ": " + std::to_string(count) + " tiles in " + std::to_string(columns) +
                    " columns do not fit its image of " + std::to_string(image.width) + " x " +
                    std::to_string(image.height) + " pixels");
  }
  for (int i = 0; i < count; ++i) {
    set.tiles.push_back(
        cut(image, margin + (i % columns) * (tw + spacing), margin + (i / columns) * (th + spacing), tw, th));
  }
  for (pugi::xml_node tile : node.children("tile")) {
    const int id = intAttribute(tile, "id", -1);
    if (id < 0 || id >= count)
      throw ToolError(where + ": <tile id=\"" + std::to_string(id) + "\"> is not one of its tiles");
    set.attributes[id] = attributesOf(tile, where + ": tile " + std::to_string(id));
  }
  return set;
}

bool isCollisionLayer(const pugi::xml_node& layer) {
  return strcasecmp(layer.attribute("name").value(), "collision") == 0 ||
         property(layer, "collision") == "true";
}

// A layer's or group's opacity and offset, its groups' included.
struct Placement {
  double opacity;
  int offsetX, offsetY;  // pixels
};

void readLayer(const pugi::xml_node& node, const Placement& placed, const std::string& path, TmxMap& map) {
  const std::string where = path + ": layer '" + std::string(node.attribute("name").value()) + "'";
  if (intAttribute(node, "width", map.width) != map.width ||
      intAttribute(node, "height", map.height) != map.height) {
    throw ToolError(where + ": its size is not the map's");
  }
  const size_t cells = static_cast<size_t>(map.width) * map.height;
  const std::vector<uint32_t> ids = decodeLayerData(node.child("data"), cells, where);
  TmxLayer layer;
  layer.name = node.attribute("name").value();
  layer.opacity = placed.opacity;
  layer.collision = isCollisionLayer(node);
  layer.gids.assign(cells, 0);
  const int dx = wholeCells(placed.offsetX, map.tileWidth, where);
  const int dy = wholeCells(placed.offsetY, map.tileHeight, where);
  for (size_t i = 0; i < cells; ++i) {
    const uint32_t gid = ids[i] & ~ROTATE_HEXAGONAL;
    if (gid == 0) continue;
    const TmxTileset* set = tilesetOf(map, gid & GID_MASK);
    if (set == nullptr) {
      throw ToolError(where + ": cell " + std::to_string(i % map.width) + "," +
                      std::to_string(i / map.width) + " holds tile id " + std::to_string(gid & GID_MASK) +
                      ", which no tileset has");
    }
    // Whole-cell offsets of the layer and of the tile's tileset move it.
    const long x = static_cast<long>(i % map.width) + dx + set->offsetColumns;
    const long y = static_cast<long>(i / map.width) + dy + set->offsetRows;
    if (x >= 0 && y >= 0 && x < map.width && y < map.height) layer.gids[y * map.width + x] = gid;
  }
  map.layers.push_back(std::move(layer));
}

void readLayers(const pugi::xml_node& parent, const Placement& from, const std::string& path, TmxMap& map) {
  for (pugi::xml_node node : parent.children()) {
    const std::string kind = node.name();
    if (kind != "layer" && kind != "group" && kind != "objectgroup" && kind != "imagelayer") continue;
    if (!node.attribute("visible").as_bool(true)) continue;
    const Placement here = {from.opacity * node.attribute("opacity").as_double(1.0),
                            from.offsetX + intAttribute(node, "offsetx"),
                            from.offsetY + intAttribute(node, "offsety")};
    if (kind == "layer") readLayer(node, here, path, map);
    if (kind == "group") readLayers(node, here, path, map);
    if (kind == "objectgroup" || kind == "imagelayer") {
      fprintf(stderr, "zeltool: %s: %s '%s' skipped\n", path.c_str(),
              kind == "objectgroup" ? "object layer" : "image layer", node.attribute("name").value());
    }
  }
}

void readMapElement(const pugi::xml_node& node, const std::string& path, TmxMap& map) {
  if (!node) throw ToolError(path + ": no <map> element");
  const std::string orientation = node.attribute("orientation").value();
  const std::string order = node.attribute("renderorder").as_string("right-down");
  if (orientation != "orthogonal")
    throw ToolError(path + ": the map is " + orientation + "; only orthogonal maps import");
  if (order != "right-down") throw ToolError(path + ": render order " + order + "; only right-down imports");
  if (node.attribute("infinite").as_int(0) != 0) throw ToolError(path + ": infinite maps are not supported");
  map.width = intAttribute(node, "width");
  map.height = intAttribute(node, "height");
  map.tileWidth = intAttribute(node, "tilewidth");
  map.tileHeight = intAttribute(node, "tileheight");
  if (map.tileWidth < 1 || map.tileHeight < 1 || map.tileWidth > ZEL_Tile::MAX_SIDE ||
      map.tileHeight > ZEL_Tile::MAX_SIDE) {
    throw ToolError(path + ": tiles must be 1 to " + std::to_string(ZEL_Tile::MAX_SIDE) + " pixels a side");
  }
  const uint64_t cells =
      static_cast<uint64_t>(std::max(map.width, 0)) * static_cast<uint64_t>(std::max(map.height, 0));
  if (map.width < 1 || map.height < 1 || cells > ZEL_TileMap::MAX_CELLS ||
      static_cast<int64_t>(map.width) * map.tileWidth > ZEL_TileMap::MAX_WORLD_SIDE ||
      static_cast<int64_t>(map.height) * map.tileHeight > ZEL_TileMap::MAX_WORLD_SIDE) {
    throw ToolError(path + ": a map of " + std::to_string(map.width) + " x " + std::to_string(map.height) +
                    " cells is beyond the engine's limits (" + std::to_string(ZEL_TileMap::MAX_CELLS) +
                    " cells)");
  }
  map.hasBackground = parseColour(node.attribute("backgroundcolor").value(), map.background);
  for (int i = 0; i < 5; ++i) {
    const std::string text = property(node, HEADER_ATTRIBUTE_NAMES[i]);
    map.headerAttributes[i] = static_cast<uint32_t>(strtoul(text.c_str(), nullptr, 10));
  }
}

}  // namespace

const TmxTileset* tilesetOf(const TmxMap& map, uint32_t gid) {
  for (const TmxTileset& set : map.tilesets) {
    if (gid >= set.firstGid && gid - set.firstGid < set.tiles.size()) return &set;
  }
  return nullptr;
}

bool parseColour(const std::string& text, uint8_t rgb[3]) {
  const std::string hex = !text.empty() && text[0] == '#' ? text.substr(1) : text;
  if ((hex.size() != 6 && hex.size() != 8) ||
      hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
    return false;
  }
  const unsigned long v = strtoul(hex.c_str(), nullptr, 16);
  rgb[0] = static_cast<uint8_t>(v >> 16);
  rgb[1] = static_cast<uint8_t>(v >> 8);
  rgb[2] = static_cast<uint8_t>(v);
  return true;
}

TmxMap readTmx(const std::string& path) {
  pugi::xml_document doc;
  loadXml(path, doc);
  TmxMap map;
  const pugi::xml_node root = doc.child("map");
  readMapElement(root, path, map);
  for (pugi::xml_node ref : root.children("tileset")) {
    pugi::xml_document external;
    map.tilesets.push_back(readTileset(ref, path, map, external));
  }
  std::sort(map.tilesets.begin(), map.tilesets.end(),
            [](const TmxTileset& a, const TmxTileset& b) { return a.firstGid < b.firstGid; });
  for (size_t i = 1; i < map.tilesets.size(); ++i) {
    const TmxTileset& before = map.tilesets[i - 1];
    if (before.firstGid + before.tiles.size() > map.tilesets[i].firstGid) {
      throw ToolError(path + ": tilesets overlap at global id " + std::to_string(map.tilesets[i].firstGid));
    }
  }
  readLayers(root, {1.0, 0, 0}, path, map);
  return map;
}
