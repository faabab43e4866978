#include <algorithm>
#include <cstring>

#include "command.h"
#include "engine_level.h"
#include "headless_screen.h"
#include "rgba_image.h"
#include "tool_error.h"
#include "zel_tile_map.h"

namespace {

const int CHUNK_SIDE = 512;  // the screen the level is drawn on, piece by piece
const int MAX_SCALE = 16;
const uint8_t BLOCKED_RED[4] = {255, 0, 0, 96};
const uint8_t OUTLINE_RED[4] = {255, 0, 0, 255};
const uint8_t CHECKER_LIGHT = 255, CHECKER_DARK = 204;
const int CHECKER_SIDE = 8;

// One piece of the world drawn by ZEL_TileMap::draw over a fill colour.
void drawPiece(ZEL_TileMap& map, ZEL_GrafboxSDL& box, int x0, int y0, int w, int h, uint8_t fill,
               std::vector<uint8_t>& rgb) {
  box.fill_virtual(fill, fill, fill);
  map.draw(x0, y0, 0, 0, w, h, &box);
  rgb.resize(static_cast<size_t>(w) * h * 3);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      uint8_t* p = &rgb[(static_cast<size_t>(y) * w + x) * 3];
      box.get_pix(x, y, &p[0], &p[1], &p[2]);
    }
  }
}

// The level's pixels; those no tile covers (they follow the fill) get alpha 0.
RgbaImage drawLevel(ZEL_TileMap& map, HeadlessScreen& screen) {
  RgbaImage out(map.get_largeur(), map.get_hauteur());
  const int side = CHUNK_SIDE;
  std::vector<uint8_t> onBlack, onWhite;
  for (int y0 = 0; y0 < out.height; y0 += side) {
    for (int x0 = 0; x0 < out.width; x0 += side) {
      const int w = std::min(side, out.width - x0), h = std::min(side, out.height - y0);
      drawPiece(map, screen.box, x0, y0, w, h, 0, onBlack);
      drawPiece(map, screen.box, x0, y0, w, h, UINT8_MAX, onWhite);
      for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
          const size_t i = (static_cast<size_t>(y) * w + x) * 3;
          memcpy(out.at(x0 + x, y0 + y), &onBlack[i], 3);
          out.at(x0 + x, y0 + y)[3] = memcmp(&onBlack[i], &onWhite[i], 3) == 0 ? UINT8_MAX : 0;
        }
      }
    }
  }
  return out;
}

void blend(uint8_t* p, const uint8_t* c) {
  for (int i = 0; i < 3; ++i)
    p[i] = static_cast<uint8_t>((c[i] * c[3] + p[i] * (UINT8_MAX - c[3]) + 127) / UINT8_MAX);
}

// Transparent pixels as a checkerboard, blocking cells filled and outlined in red.
void drawCollision(ZEL_TileMap& map, RgbaImage& image) {
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      uint8_t* p = image.at(x, y);
      if (p[3] == 0) memset(p, ((x / CHECKER_SIDE + y / CHECKER_SIDE) % 2) ? CHECKER_DARK : CHECKER_LIGHT, 3);
      p[3] = UINT8_MAX;
    }
  }
  const int tw = map.get_largeur_tile(), th = map.get_hauteur_tile();
  for (unsigned r = 0; r < map.get_nb_lignes(); ++r) {
    for (unsigned c = 0; c < map.get_nb_colonnes(); ++c) {
      if (map.canWalkAt(static_cast<long>(c) * tw, static_cast<long>(r) * th)) continue;
      for (int y = 0; y < th; ++y) {
        for (int x = 0; x < tw; ++x) {
          const bool edge = x == 0 || y == 0 || x == tw - 1 || y == th - 1;
          blend(image.at(static_cast<int>(c) * tw + x, static_cast<int>(r) * th + y),
                edge ? OUTLINE_RED : BLOCKED_RED);
        }
      }
    }
  }
}

}  // namespace

int runRender(const std::vector<std::string>& words) {
  const Args args(words, 3, {"--scale"}, {"--collision"});
  const int scale = args.number("--scale", 1, 1, MAX_SCALE);
  checkEngineLevel(args[0], args[1]);
  HeadlessScreen screen(CHUNK_SIDE, CHUNK_SIDE);
  ZEL_TileMap map(args[0].c_str(), &screen.box);
  map.ReadMap(args[1].c_str());
  const int64_t w = int64_t{map.get_largeur()} * scale, h = int64_t{map.get_hauteur()} * scale;
  if (w < 1 || h < 1 || w > MAX_IMAGE_SIDE || h > MAX_IMAGE_SIDE) {
    throw ToolError(args[1] + ": a picture of " + std::to_string(w) + " x " + std::to_string(h) +
                    " pixels (1 to " + std::to_string(MAX_IMAGE_SIDE) + " a side)");
  }
  RgbaImage image = drawLevel(map, screen);
  if (args.has("--collision")) drawCollision(map, image);
  writePng(args[2], scale == 1 ? image : scaled(image, scale));
  return 0;
}
