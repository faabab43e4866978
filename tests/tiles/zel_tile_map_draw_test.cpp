#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>

#include "anim_files.h"
#include "files.h"
#include "tile_files.h"
#include "zel_grafbox_sdl.h"
#include "zel_tile_map.h"

namespace {

// 10 x 8 cells of 8 x 6 pixels, each cell its own tile: the colour of a
// screen pixel tells which cell and which pixel of it landed there.
const int COLUMNS = 10;
const int ROWS = 8;
const int TILE_W = 8;
const int TILE_H = 6;
const int WORLD_W = COLUMNS * TILE_W;
const int WORLD_H = ROWS * TILE_H;
const int SCREEN_W = 160;
const int SCREEN_H = 120;
const TileRgb BACKGROUND = {1, 2, 3};
const TileRgb BLACK = {0, 0, 0};

// Each tile's last pixel is black; even tiles key black out.
bool isBlackPixel(int x, int y) { return x == TILE_W - 1 && y == TILE_H - 1; }

TileRgb tileColour(int tile, int x, int y) {
  if (isBlackPixel(x, y)) return BLACK;
  return {static_cast<uint8_t>(10 + 3 * tile), static_cast<uint8_t>(5 + 30 * x),
          static_cast<uint8_t>(5 + 40 * y)};
}

std::vector<uint8_t> tileSet() {
  std::vector<uint8_t> bytes;
  for (int n = 0; n < COLUMNS * ROWS; ++n) {
    const uint8_t transparent = n % 2 == 0 ? 1 : 0;
    appendBytes(bytes, tleRecord(TILE_W, TILE_H, {0, transparent, 0, 0, 1},
                                 [n](int x, int y) { return tileColour(n, x, y); }));
  }
  return bytes;
}

struct Viewport {
  long xworld, yworld;
  int xscreen, yscreen, largeur, hauteur;
};

std::string describe(const Viewport& v) {
  std::ostringstream s;
  s << "world (" << v.xworld << ", " << v.yworld << ") at screen (" << v.xscreen << ", "
    << v.yscreen << "), " << v.largeur << " x " << v.hauteur;
  return s.str();
}

// What a screen pixel must show after drawing through v.
TileRgb expectedAt(const Viewport& v, int sx, int sy) {
  const bool inView = sx >= v.xscreen && sx < v.xscreen + v.largeur && sy >= v.yscreen &&
                      sy < v.yscreen + v.hauteur;
  if (!inView) return BACKGROUND;
  const long wx = v.xworld + (sx - v.xscreen);
  const long wy = v.yworld + (sy - v.yscreen);
  if (wx < 0 || wy < 0 || wx >= WORLD_W || wy >= WORLD_H) return BACKGROUND;
  const int tile = static_cast<int>((wy / TILE_H) * COLUMNS + wx / TILE_W);
  const int px = static_cast<int>(wx % TILE_W);
  const int py = static_cast<int>(wy % TILE_H);
  if (isBlackPixel(px, py) && tile % 2 == 0) return BACKGROUND;
  return tileColour(tile, px, py);
}

class TileMapDrawTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.ok());
    box.reset(new ZEL_GrafboxSDL(SCREEN_W, SCREEN_H, 32, false));
    box->init_graf();
    writeFile(dir.file("cells.tle"), tileSet());
    std::vector<uint16_t> cells;
    for (int i = 0; i < COLUMNS * ROWS; ++i) cells.push_back(static_cast<uint16_t>(i));
    writeFile(dir.file("cells.map"),
              mapBytes({COLUMNS, ROWS, TILE_W, TILE_H, 0, 0, 0, 0, 0}, cells));
    map.reset(new ZEL_TileMap(dir.file("cells.tle").c_str(), box.get()));
    map->ReadMap(dir.file("cells.map").c_str());
  }
  void TearDown() override {
    map.reset();
    box.reset();
  }

  // Clips to the viewport as the view does, draws, and compares the whole
  // screen; returns the number of wrong pixels, reporting the first.
  int drawAndCount(const Viewport& v, bool withBox) {
    box->set_clipping(0, 0, SCREEN_W, SCREEN_H);
    box->fill_virtual(BACKGROUND.r, BACKGROUND.g, BACKGROUND.b);
    box->set_clipping(
        static_cast<unsigned short>(v.xscreen), static_cast<unsigned short>(v.yscreen),
        static_cast<unsigned short>(v.largeur), static_cast<unsigned short>(v.hauteur));
    if (withBox) {
      map->draw(v.xworld, v.yworld, v.xscreen, v.yscreen, v.largeur, v.hauteur, box.get());
    } else {
      map->draw(v.xworld, v.yworld, v.xscreen, v.yscreen, v.largeur, v.hauteur);
    }
    int wrong = 0;
    for (int sy = 0; sy < SCREEN_H; ++sy) {
      for (int sx = 0; sx < SCREEN_W; ++sx) {
        TileRgb got;
        box->get_pix(sx, sy, &got.r, &got.g, &got.b);
        const TileRgb want = expectedAt(v, sx, sy);
        if (!(got == want) && wrong++ == 0) {
          ADD_FAILURE() << describe(v) << ": pixel (" << sx << ", " << sy << ") is (" << int(got.r)
                        << "," << int(got.g) << "," << int(got.b) << "), want (" << int(want.r)
                        << "," << int(want.g) << "," << int(want.b) << ")";
        }
      }
    }
    return wrong;
  }

  TempDir dir;
  std::unique_ptr<ZEL_GrafboxSDL> box;
  std::unique_ptr<ZEL_TileMap> map;
};

}  // namespace

TEST_F(TileMapDrawTest, EveryTileLandsAtItsScreenPlace) {
  const Viewport views[] = {
      {13, 5, 20, 10, 48, 36},  // scrolled into a cell on both axes; the last cells are cut
      {20, 0, 0, 0, 64, 32},    // first column starts 4 pixels left of the screen
      {0, 0, 0, 0, SCREEN_W, SCREEN_H},  // larger than the world: nothing beyond it
      {70, 40, 30, 30, 40, 30},          // past the world's right and bottom edges
      {7, 5, 100, 90, 1, 1},             // one pixel: a cell's last pixel
      {-6, -4, 40, 40, 30, 20},          // before the world: the negative cells are skipped
  };
  for (const Viewport& v : views) EXPECT_EQ(drawAndCount(v, false), 0) << describe(v);
  EXPECT_EQ(drawAndCount(views[0], true), 0);
}
