#include "zel_tile_map.h"

#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <string>
#include <tuple>

#include "dummy_screen.h"
#include "files.h"
#include "tile_files.h"
#include "zel_tile.h"

namespace {

const int CELL = 16, COLUMNS = 10, ROWS = 8;
const TileRgb GREEN = {0, 200, 0}, GREY = {90, 90, 90}, RED = {255, 0, 0}, BACKGROUND = {1, 2, 3};
typedef std::set<std::pair<int, int>> Cells;

// The cells from column c0 to c1 and row r0 to r1, both included.
Cells span(int c0, int c1, int r0, int r1) {
  Cells cells;
  for (int r = r0; r <= r1; ++r)
    for (int c = c0; c <= c1; ++c) cells.insert({c, r});
  return cells;
}

// Tile 2's pixels tell where they are; its black (0, 0) is keyed out.
TileRgb patternAt(int x, int y) { return {uint8_t(x), uint8_t(y), uint8_t(x + y > 0)}; }

// Tile 0 given, tile 1 solid (walkable byte 2), tile 2 patterned with pixel bytes `fourth`.
std::vector<uint8_t> tileSet(const std::vector<uint8_t>& tile0, uint8_t fourth) {
  std::vector<uint8_t> bytes = tile0;
  appendBytes(bytes, plainTle(CELL, CELL, GREY, 2));
  appendBytes(bytes, tleRecord(CELL, CELL, {7, 1, 8, 9, 1}, patternAt, fourth));
  return bytes;
}

// A COLUMNS x ROWS grid of tile 0.
class TileMapTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m.reset(new ZEL_TileMap(file("set.tle", set).c_str(), &screen.box));
    m->setMap(COLUMNS, ROWS, 0);
  }
  std::string file(const std::string& name, const std::vector<uint8_t>& bytes) {
    writeFile(dir.file(name), bytes);
    return dir.file(name);
  }
  std::vector<int> allTiles() {  // read linearly along row 0
    std::vector<int> v;
    for (unsigned i = 0; i < m->get_nb_colonnes() * m->get_nb_lignes(); ++i) v.push_back(m->getTile(i, 0));
    return v;
  }
  DummyScreen screen;
  TempDir dir;
  const std::vector<uint8_t> set = tileSet(plainTle(CELL, CELL, GREEN, 1), 0xAB);
  std::unique_ptr<ZEL_TileMap> m;
};

}  // namespace

// Cells keep the first tile of their number through files and on another map, and setImage the
// same image twice; a new grid clears the header; edits out of range change nothing.
TEST_F(TileMapTest, WriteThenReadKeepsEveryByteAndEditsFollowTheEdges) {
  const MapHeader header = {3, 2, CELL, CELL, 11, 12, 13, 0xA1B2C3D4, 14};
  const std::vector<uint8_t> grid = mapBytes(header, {2, 1, 2, 0, 2, 1});
  m->ReadMap(file("grid.map", grid).c_str());
  EXPECT_EQ(std::make_tuple(m->get_largeur(), m->get_hauteur(), m->get_largeur_tile(), m->get_hauteur_tile()),
            std::make_tuple(48, 32, CELL, CELL));
  ZEL_Surface* image = screen.box.getSurface(2, 1);
  for (int x = 0; x < 2; ++x) image->setPixel(x, 0, RED.r, RED.g, RED.b);
  for (int round = 0; round < 2; ++round) m->getCorrespondance(0)->setImage(image, 7, 1, 8, 9, 1);
  EXPECT_EQ(m->getCorrespondance(0)->getSurface(), image);
  m->WriteMap(dir.file("copy.map").c_str());
  m->WriteTle(dir.file("copy.tle").c_str());
  ZEL_TileMap other(dir.file("copy.tle").c_str(), &screen.box);
  other.ReadMap(dir.file("copy.map").c_str());
  other.WriteMap(dir.file("again.map").c_str());
  const std::vector<uint8_t> tile0 = tleRecord(2, 1, {7, 1, 8, 9, 1}, [](int, int) { return RED; });
  EXPECT_EQ(readFile(dir.file("copy.tle")), tileSet(tile0, 0));
  EXPECT_EQ(readFile(dir.file("again.map")), grid);

  m->setMap(3, 2, 1);
  m->WriteMap(dir.file("new.map").c_str());
  const std::vector<uint8_t> cleared = mapBytes({3, 2, 2, 1, 0, 0, 0, 0, 0}, std::vector<uint16_t>(6, 1));
  EXPECT_EQ(readFile(dir.file("new.map")), cleared);
  const int edits[][3] = {{0, 2, 0}, {2, 2, 1}, {0, 0, 1}, {0, 3, 0}, {0, 0, 2}, {-1, 1, 1}, {3, 1, 1}};
  for (const auto& e : edits) m->setTile(e[0], e[1], e[2]);  // the last four are out of range
  EXPECT_EQ(allTiles(), (std::vector<int>{1, 1, 0, 0, 1, 2}));
  EXPECT_EQ(std::vector<int>({m->getTile(0, 2), m->getTile(0, 0x80000000u), m->getTile(UINT_MAX, UINT_MAX)}),
            std::vector<int>(3, -1));
  m->insere_colonne(0);
  m->insere_ligne(0);
  EXPECT_EQ(std::make_pair(m->get_largeur(), m->get_hauteur()), std::make_pair(8, 3));
  EXPECT_EQ(allTiles(), (std::vector<int>{1, 1, 0, 0, 0, 1, 2, 2, 0, 1, 2, 2}));
  m->setMap(0, 2, 1);  // empty grids grow with tile 0
  m->insere_colonne(7);
  m->insere_ligne(0);
  EXPECT_EQ(allTiles(), (std::vector<int>{0, 0, 0}));
}

// Rows include both ends, columns leave the end row out; boxes probe the rows of y + h and y and
// the columns of x + w and x, clamped to the grid; canWalkAt clamps only below it.
TEST_F(TileMapTest, ProbesCoverTheirCellsExactly) {
  ZEL_TileMap& t = *m;
  const std::pair<std::function<int()>, Cells> probes[] = {
      {[&] { return t.isSolidInRow(3, 2, 5); }, span(2, 5, 3, 3)},
      {[&] { return t.isSolidInColumn(4, 2, 5); }, span(4, 4, 2, 4)},
      {[&] { return t.isSolidInRow(7, INT_MIN, INT_MAX); }, span(0, 9, 7, 7)},
      {[&] { return t.isSolidInColumn(9, -3, INT_MAX); }, span(9, 9, 0, 7)},
      {[&] { return t.isSolidInRow(8, 0, 9) || t.isSolidInRow(3, 5, 4) || t.isSolidInColumn(4, 2, 2); }, {}},
      {[&] { return t.collisionSouthAt(16, 16, 16, 16); }, span(1, 2, 2, 2)},
      {[&] { return t.collisionNorthAt(16, 16, 16, 16); }, span(1, 2, 1, 1)},
      {[&] { return t.collisionEastAt(16, 17, 16, 31); }, span(2, 2, 1, 2)},
      {[&] { return t.collisionWestAt(16, 16, 16, 16); }, span(1, 1, 1, 1)},
      {[&] { return t.collisionSouthAt(17, 17, 14, 14); }, span(1, 1, 1, 1)},
      {[&] { return t.collisionEastAt(17, 17, 14, 14) + t.collisionWestAt(16, 16, 16, 8); }, {}},
      {[&] { return t.collisionEastAt(150, 16, 16, 16); }, span(9, 9, 1, 1)},
      {[&] { return t.collisionNorthAt(16, -20, 16, 16); }, span(1, 2, 0, 0)},
      {[&] { return t.collisionSouthAt(0, 120, 16, 16); }, span(0, 1, 7, 7)},
      {[&] { return t.collisionEastAt(INT_MAX - 5, 16, 16, 16); }, span(9, 9, 1, 1)},
      {[&] { return t.collisionSouthAt(16, INT_MAX - 5, 0, 16); }, span(1, 1, 7, 7)},
      {[&] { return 1 - t.canWalkAt(48, 32) + 1 - t.canWalkAt(159, 127); }, {{3, 2}, {9, 7}}},
      {[&] { return 1 - t.canWalkAt(-100, -5); }, span(0, 0, 0, 0)},
      {[&] { return (1 - t.canWalkAt(160, 0)) * (1 - t.canWalkAt(0, 128)); }, span(0, 9, 0, 7)},
  };
  for (size_t i = 0; i < sizeof probes / sizeof probes[0]; ++i) {
    Cells hits;  // the cells that make the probe answer 1 when each is the only solid one
    for (int r = 0; r < ROWS; ++r)
      for (int c = 0; c < COLUMNS; ++c) {
        t.setTile(1, c, r);
        if (probes[i].first() == 1) hits.insert({c, r});
        t.setTile(0, c, r);
      }
    EXPECT_EQ(hits, probes[i].second) << "probe " << i;
  }
  const long clamps[][3] = {{-5, 0, 0},   {15, 0, 0},  {16, 1, 1},      {127, 7, 7},
                            {128, 8, 7}, {160, 9, 7}, {LONG_MAX, 9, 7}};  // world x or y, column, row
  for (const auto& c : clamps) {
    const std::pair<long, long> cell(t.xworld_to_xtile(c[0]), t.yworld_to_ytile(c[0]));
    EXPECT_EQ(cell, std::make_pair(c[1], c[2])) << c[0];
  }
  ZEL_TileMap fresh(dir.file("set.tle").c_str(), &screen.box);  // without a grid every answer is 0
  EXPECT_EQ(std::vector<int>({fresh.xworld_to_xtile(50), fresh.yworld_to_ytile(50),
                              fresh.collisionSouthAt(0, 0, 9, 9), fresh.canWalkAt(0, 0)}),
            std::vector<int>(4, 0));
}

// Tiles (c + r) % 3 seen through viewports: every screen pixel shows its tile's pixel or the background.
TEST_F(TileMapTest, EveryTileLandsAtItsScreenPlace) {
  for (int r = 0; r < ROWS; ++r)
    for (int c = 0; c < COLUMNS; ++c) m->setTile((c + r) % 3, c, r);
  const struct {
    long xworld, yworld;
    int xscreen, yscreen, width, height;
  } views[] = {{13, 7, 5, 10, 40, 36},   // scrolled into a cell on both axes; the last cells cut
               {150, 120, 0, 0, 64, 64},  // past the world's edges
               {-6, -4, 20, 20, 30, 20}};  // before the world: negative cells skipped
  for (int i = 0; i < 6; ++i) {
    const auto& v = views[i / 2];
    screen.box.set_clipping(0, 0, DummyScreen::SIDE, DummyScreen::SIDE);
    screen.box.fill_virtual(BACKGROUND.r, BACKGROUND.g, BACKGROUND.b);
    screen.box.set_clipping(uint16_t(v.xscreen), uint16_t(v.yscreen), uint16_t(v.width), uint16_t(v.height));
    if (i % 2 == 0) m->draw(v.xworld, v.yworld, v.xscreen, v.yscreen, v.width, v.height);
    else m->draw(v.xworld, v.yworld, v.xscreen, v.yscreen, v.width, v.height, &screen.box);
    int wrong = 0;
    for (int sy = 0; sy < DummyScreen::SIDE; ++sy)
      for (int sx = 0; sx < DummyScreen::SIDE; ++sx) {
        const long wx = v.xworld + sx - v.xscreen, wy = v.yworld + sy - v.yscreen;
        const bool inView =
            sx >= v.xscreen && sx < v.xscreen + v.width && sy >= v.yscreen && sy < v.yscreen + v.height;
        const bool seen = inView && wx >= 0 && wy >= 0 && wx < COLUMNS * CELL && wy < ROWS * CELL;
        const int tile = seen ? int(wx / CELL + wy / CELL) % 3 : -1, x = int(wx % CELL), y = int(wy % CELL);
        const TileRgb pattern = x + y > 0 ? patternAt(x, y) : BACKGROUND;
        const TileRgb want = tile == 0 ? GREEN : tile == 1 ? GREY : tile == 2 ? pattern : BACKGROUND;
        TileRgb got;
        screen.box.get_pix(sx, sy, &got.r, &got.g, &got.b);
        wrong += !(got == want);
      }
    EXPECT_EQ(wrong, 0) << "view " << i / 2 << (i % 2 ? " with the box" : "");
  }
}
