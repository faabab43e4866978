#include "zel_tile_map.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <memory>
#include <set>
#include <string>
#include <utility>

#include "anim_files.h"
#include "child_process.h"
#include "files.h"
#include "tile_files.h"
#include "zel_grafbox_sdl.h"
#include "zel_surface.h"
#include "zel_tile.h"

namespace {

const TileRgb GREEN = {0, 200, 0};
const TileRgb GREY = {90, 90, 90};
const TileRgb RED = {255, 0, 0};
const char NON_CONFORMING[] = "fichier non conforme";
const char NEW_GRID_MEMORY[] = "pas assez de memoire pour allouer la nouvelle MAP ";
const int CELL = 16;

// Tile 0 walkable, tile 1 solid, tile 2 walkable: 16 x 16 each.
std::vector<uint8_t> threeTileSet() {
  std::vector<uint8_t> bytes = plainTle(CELL, CELL, GREEN, 1);
  appendBytes(bytes, plainTle(CELL, CELL, GREY, 2));
  appendBytes(bytes, plainTle(CELL, CELL, RED, 1));
  return bytes;
}

const MapHeader THREE_BY_TWO = {3, 2, CELL, CELL, 11, 12, 13, 0xA1B2C3D4, 14};

typedef std::set<std::pair<int, int>> Cells;

class TileMapTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.ok());
    box.reset(new ZEL_GrafboxSDL(WIDTH, HEIGHT, 32, false));
    box->init_graf();
  }
  std::string file(const std::string& name, const std::vector<uint8_t>& bytes) {
    writeFile(dir.file(name), bytes);
    return dir.file(name);
  }
  std::unique_ptr<ZEL_TileMap> tileMap(const std::vector<uint8_t>& tle) {
    return std::unique_ptr<ZEL_TileMap>(new ZEL_TileMap(file("set.tle", tle).c_str(), box.get()));
  }
  static std::vector<int> allTiles(ZEL_TileMap& m) {
    std::vector<int> v;
    for (unsigned r = 0; r < m.get_nb_lignes(); ++r)
      for (unsigned c = 0; c < m.get_nb_colonnes(); ++c) v.push_back(m.getTile(c, r));
    return v;
  }
  // The cells that make probe() answer 1 when each is the only solid one.
  static Cells cellsProbedBy(ZEL_TileMap& m, const std::function<int()>& probe) {
    Cells hits;
    for (unsigned r = 0; r < m.get_nb_lignes(); ++r)
      for (unsigned c = 0; c < m.get_nb_colonnes(); ++c) {
        m.setTile(1, c, r);
        if (probe() == 1) hits.insert({static_cast<int>(c), static_cast<int>(r)});
        m.setTile(0, c, r);
      }
    return hits;
  }
  static const int WIDTH = 160;
  static const int HEIGHT = 120;
  TempDir dir;
  std::unique_ptr<ZEL_GrafboxSDL> box;
};

}  // namespace

TEST_F(TileMapTest, TileSetHoldsTheWholeNonEmptyRecords) {
  std::vector<uint8_t> bytes = plainTle(2, 3, GREEN, 1);
  appendBytes(bytes, plainTle(4, 1, GREY, 0));
  appendBytes(bytes, plainTle(1, 1, RED, 1));
  std::vector<uint8_t> cut = plainTle(2, 2, RED, 1);
  cut.resize(cut.size() - 3);
  appendBytes(bytes, cut);
  auto m = tileMap(bytes);
  ASSERT_EQ(m->get_nb_tiles(), 3);
  EXPECT_EQ(m->getCorrespondance(0)->get_hauteur(), 3);
  EXPECT_EQ(m->getCorrespondance(1)->get_largeur(), 4);
  EXPECT_FALSE(m->getCorrespondance(1)->IsWalkable());
  EXPECT_EQ(m->getCorrespondance(3), nullptr);
  EXPECT_EQ(m->get_nb_colonnes(), 0u);
  EXPECT_EQ(m->getTile(0, 0), -1);

  // An empty record ends the set; records after it are not part of it.
  bytes = plainTle(2, 2, GREEN, 1);
  appendBytes(bytes, plainTle(0, 5, GREY, 1));
  appendBytes(bytes, plainTle(2, 2, RED, 1));
  EXPECT_EQ(tileMap(bytes)->get_nb_tiles(), 1);
  EXPECT_EQ(tileMap({})->get_nb_tiles(), 0);
}

TEST_F(TileMapTest, ReadMapLoadsSizesCellsAndShortBlocks) {
  auto m = tileMap(threeTileSet());
  const std::vector<uint8_t> bytes = mapBytes(THREE_BY_TWO, {0, 1, 2, 2, 1, 0});
  ASSERT_EQ(bytes.size(), 36u);
  m->ReadMap(file("a.map", bytes).c_str());
  EXPECT_EQ(m->get_largeur(), 48);
  EXPECT_EQ(m->get_hauteur(), 32);
  EXPECT_EQ(m->get_largeur_tile(), CELL);
  EXPECT_EQ(allTiles(*m), (std::vector<int>{0, 1, 2, 2, 1, 0}));

  // Missing numbers, and a half number, read as tile 0.
  std::vector<uint8_t> cut = mapBytes(THREE_BY_TWO, {2, 2, 2, 1, 0x0102, 0});
  cut.resize(24 + 2 * 3 + 1);
  m->ReadMap(file("cut.map", cut).c_str());
  EXPECT_EQ(allTiles(*m), (std::vector<int>{2, 2, 2, 0, 0, 0}));

  // The largest grids the limits allow load from a bare header.
  m->ReadMap(file("big.map", mapBytes({2048, 2048, 1, 1, 0, 0, 0, 0, 0}, {})).c_str());
  EXPECT_EQ(m->get_largeur(), 2048);
  EXPECT_EQ(m->getTile(2047, 2047), 0);
  m->ReadMap(file("wide.map", mapBytes({1, 1, 1 << 30, 1 << 30, 0, 0, 0, 0, 0}, {1})).c_str());
  EXPECT_EQ(m->get_largeur(), ZEL_TileMap::MAX_WORLD_SIDE);
  EXPECT_EQ(m->get_hauteur(), ZEL_TileMap::MAX_WORLD_SIDE);
  EXPECT_EQ(m->getTile(0, 0), 1);
}

TEST_F(TileMapTest, WriteMapThenReadMapKeepsGridHeaderAndSharing) {
  auto m = tileMap(threeTileSet());
  const std::vector<uint8_t> source = mapBytes(THREE_BY_TWO, {2, 1, 2, 0, 2, 1});
  m->ReadMap(file("a.map", source).c_str());
  const std::string copy = dir.file("copy.map");
  m->WriteMap(copy.c_str());
  EXPECT_EQ(readFile(copy), source);

  // Cells that shared a tile still share it, on this map and on another.
  m->ReadMap(copy.c_str());
  auto other = tileMap(threeTileSet());
  other->ReadMap(copy.c_str());
  for (ZEL_TileMap* t : {m.get(), other.get()}) {
    EXPECT_EQ(t->get_largeur(), 48);
    EXPECT_EQ(t->get_hauteur(), 32);
    EXPECT_EQ(allTiles(*t), (std::vector<int>{2, 1, 2, 0, 2, 1}));
  }
  const std::string again = dir.file("again.map");
  other->WriteMap(again.c_str());
  EXPECT_EQ(readFile(again), source);
}

TEST_F(TileMapTest, WriteTleThenReadBackKeepsTheTileSet) {
  std::vector<uint8_t> bytes = tleRecord(2, 3, {1, 1, 2, 3, 1}, [](int x, int y) {
    return TileRgb{static_cast<uint8_t>(x + 1), static_cast<uint8_t>(y + 1), 9};
  });
  appendBytes(bytes, tleRecord(3, 1, {4, 0, 5, 6, 7}, [](int x, int) {
                return TileRgb{static_cast<uint8_t>(100 + x), 0, 1};
              }));
  auto m = tileMap(bytes);
  const std::string copy = dir.file("copy.tle");
  m->WriteTle(copy.c_str());
  EXPECT_EQ(readFile(copy), bytes);
  ZEL_TileMap back(copy.c_str(), box.get());
  ASSERT_EQ(back.get_nb_tiles(), 2);
  EXPECT_EQ(back.getCorrespondance(1)->get_largeur(), 3);
  TileRgb c;
  back.getCorrespondance(0)->getSurface()->getPixel(1, 2, &c.r, &c.g, &c.b);
  EXPECT_EQ(c, (TileRgb{2, 3, 9}));
}

TEST_F(TileMapTest, GridEditsFollowTheirEdges) {
  auto m = tileMap(threeTileSet());
  m->ReadMap(file("a.map", mapBytes(THREE_BY_TWO, {0, 0, 0, 0, 0, 0})).c_str());
  m->setMap(3, 2, 1);
  EXPECT_EQ(m->get_largeur(), 48);
  EXPECT_EQ(m->get_hauteur(), 32);
  EXPECT_EQ(allTiles(*m), std::vector<int>(6, 1));
  // The header attributes are cleared.
  const std::string written = dir.file("w.map");
  m->WriteMap(written.c_str());
  EXPECT_EQ(readFile(written),
            mapBytes({3, 2, CELL, CELL, 0, 0, 0, 0, 0}, std::vector<uint16_t>(6, 1)));

  m->setTile(0, 2, 0);
  m->setTile(2, 2, 1);
  m->setTile(0, 0, 1);
  // Out of range: nothing changes.
  m->setTile(0, 3, 0);
  m->setTile(0, 0, 2);
  m->setTile(-1, 1, 1);
  m->setTile(3, 1, 1);
  EXPECT_EQ(allTiles(*m), (std::vector<int>{1, 1, 0, 0, 1, 2}));

  // Linear positions: column 5 of row 0 is cell (2, 1).
  EXPECT_EQ(m->getTile(5, 0), 2);
  EXPECT_EQ(m->getTile(0, 2), -1);
  EXPECT_EQ(m->getTile(0, 0x80000000u), -1);
  EXPECT_EQ(m->getTile(UINT_MAX, UINT_MAX), -1);

  m->insere_colonne(0);
  EXPECT_EQ(m->get_nb_colonnes(), 4u);
  EXPECT_EQ(m->get_largeur(), 64);
  EXPECT_EQ(m->get_hauteur(), 32);
  EXPECT_EQ(allTiles(*m), (std::vector<int>{1, 1, 0, 0, 0, 1, 2, 2}));
  m->insere_ligne(0);
  EXPECT_EQ(m->get_nb_lignes(), 3u);
  EXPECT_EQ(m->get_hauteur(), 48);
  EXPECT_EQ(allTiles(*m), (std::vector<int>{1, 1, 0, 0, 0, 1, 2, 2, 0, 1, 2, 2}));

  // Empty grids grow with tile 0.
  m->setMap(0, 2, 1);
  m->insere_colonne(7);
  EXPECT_EQ(allTiles(*m), (std::vector<int>{0, 0}));
  auto fresh = tileMap(threeTileSet());
  fresh->insere_colonne(0);
  fresh->insere_colonne(0);
  EXPECT_EQ(fresh->get_nb_colonnes(), 2u);
  fresh->insere_ligne(0);
  EXPECT_EQ(allTiles(*fresh), (std::vector<int>{0, 0}));
}

TEST_F(TileMapTest, WorldToCellClampsToTheGrid) {
  auto m = tileMap(threeTileSet());
  m->setMap(10, 8, 0);
  EXPECT_EQ(m->xworld_to_xtile(-5), 0);
  EXPECT_EQ(m->xworld_to_xtile(15), 0);
  EXPECT_EQ(m->xworld_to_xtile(16), 1);
  EXPECT_EQ(m->xworld_to_xtile(159), 9);
  EXPECT_EQ(m->xworld_to_xtile(160), 9);
  EXPECT_EQ(m->xworld_to_xtile(1000), 9);
  EXPECT_EQ(m->xworld_to_xtile(LONG_MAX), 9);
  EXPECT_EQ(m->xworld_to_xtile(LONG_MIN), 0);
  EXPECT_EQ(m->yworld_to_ytile(-1), 0);
  EXPECT_EQ(m->yworld_to_ytile(31), 1);
  EXPECT_EQ(m->yworld_to_ytile(32), 2);
  EXPECT_EQ(m->yworld_to_ytile(127), 7);
  EXPECT_EQ(m->yworld_to_ytile(128), 7);

  // Without a grid every answer is the first cell or nothing.
  auto fresh = tileMap(threeTileSet());
  EXPECT_EQ(fresh->xworld_to_xtile(50), 0);
  EXPECT_EQ(fresh->collisionSouthAt(0, 0, 16, 16), 0);
  EXPECT_EQ(fresh->canWalkAt(0, 0), 0);
}

TEST_F(TileMapTest, CellProbesCoverTheirRangesExactly) {
  auto m = tileMap(threeTileSet());
  m->setMap(10, 8, 0);
  // Rows: both ends included.
  EXPECT_EQ(cellsProbedBy(*m, [&] { return m->isSolidInRow(3, 2, 5) ? 1 : 0; }),
            (Cells{{2, 3}, {3, 3}, {4, 3}, {5, 3}}));
  // Columns: the end row excluded.
  EXPECT_EQ(cellsProbedBy(*m, [&] { return m->isSolidInColumn(4, 2, 5) ? 1 : 0; }),
            (Cells{{4, 2}, {4, 3}, {4, 4}}));
  // Ranges beyond the grid are cut to it; empty ranges probe nothing.
  EXPECT_EQ(cellsProbedBy(*m, [&] { return m->isSolidInRow(7, INT_MIN, INT_MAX) ? 1 : 0; }).size(),
            10u);
  EXPECT_EQ(cellsProbedBy(*m, [&] { return m->isSolidInColumn(9, -3, INT_MAX) ? 1 : 0; }).size(),
            8u);
  EXPECT_TRUE(cellsProbedBy(*m, [&] { return m->isSolidInRow(8, 0, 9) ? 1 : 0; }).empty());
  EXPECT_TRUE(cellsProbedBy(*m, [&] { return m->isSolidInRow(3, 5, 4) ? 1 : 0; }).empty());
  EXPECT_TRUE(cellsProbedBy(*m, [&] { return m->isSolidInColumn(4, 2, 2) ? 1 : 0; }).empty());
  EXPECT_TRUE(cellsProbedBy(*m, [&] { return m->isSolidInColumn(-1, 0, 8) ? 1 : 0; }).empty());
  // Tile 2 is walkable too: only the walkable byte 1 lets actors through.
  m->setTile(2, 0, 0);
  EXPECT_FALSE(m->isSolidInRow(0, 0, 9));
}

TEST_F(TileMapTest, BoxCollisionsProbeTheirSideOnly) {
  auto m = tileMap(threeTileSet());
  m->setMap(10, 8, 0);
  auto south = [&](int x, int y, int w, int h) {
    return cellsProbedBy(*m, [=, &m] { return m->collisionSouthAt(x, y, w, h); });
  };
  auto north = [&](int x, int y, int w, int h) {
    return cellsProbedBy(*m, [=, &m] { return m->collisionNorthAt(x, y, w, h); });
  };
  auto east = [&](int x, int y, int w, int h) {
    return cellsProbedBy(*m, [=, &m] { return m->collisionEastAt(x, y, w, h); });
  };
  auto west = [&](int x, int y, int w, int h) {
    return cellsProbedBy(*m, [=, &m] { return m->collisionWestAt(x, y, w, h); });
  };

  // A 16 x 16 box at (16, 16): the floor row 2 and the right column 2 are
  // probed, the row of the bottom edge is not probed sideways.
  EXPECT_EQ(south(16, 16, 16, 16), (Cells{{1, 2}, {2, 2}}));
  EXPECT_EQ(north(16, 16, 16, 16), (Cells{{1, 1}, {2, 1}}));
  EXPECT_EQ(east(16, 16, 16, 16), (Cells{{2, 1}}));
  EXPECT_EQ(west(16, 16, 16, 16), (Cells{{1, 1}}));
  // One pixel lower, the box spans rows 1 and 2 and its bottom is in row 2.
  EXPECT_EQ(east(16, 17, 16, 16), (Cells{{2, 1}}));
  EXPECT_EQ(east(16, 17, 16, 31), (Cells{{2, 1}, {2, 2}}));
  // Inside one cell.
  EXPECT_EQ(south(17, 17, 14, 14), (Cells{{1, 1}}));
  EXPECT_TRUE(east(17, 17, 14, 14).empty());
  // Eight pixels high within one row: no sideways probe at all.
  EXPECT_TRUE(east(16, 16, 16, 8).empty());
  EXPECT_TRUE(west(16, 16, 16, 8).empty());
  // Edges beyond the world clamp to its last and first cells.
  EXPECT_EQ(east(150, 16, 16, 16), (Cells{{9, 1}}));
  EXPECT_EQ(south(150, 16, 16, 16), (Cells{{9, 2}}));
  EXPECT_EQ(north(16, -20, 16, 16), (Cells{{1, 0}, {2, 0}}));
  EXPECT_EQ(south(0, 120, 16, 16), (Cells{{0, 7}, {1, 7}}));
  EXPECT_EQ(east(INT_MAX - 5, 16, 16, 16), (Cells{{9, 1}}));
  EXPECT_EQ(south(16, INT_MAX - 5, 0, 16), (Cells{{1, 7}}));
}

TEST_F(TileMapTest, CanWalkAtIsNotClampedBeyondTheGrid) {
  auto m = tileMap(threeTileSet());
  m->setMap(10, 8, 0);
  m->setTile(1, 3, 2);
  EXPECT_EQ(m->canWalkAt(48, 32), 0);
  EXPECT_EQ(m->canWalkAt(63, 47), 0);
  EXPECT_EQ(m->canWalkAt(47, 32), 1);
  EXPECT_EQ(m->canWalkAt(48, 48), 1);
  EXPECT_EQ(m->canWalkAt(159, 127), 1);
  EXPECT_EQ(m->canWalkAt(160, 0), 0);
  EXPECT_EQ(m->canWalkAt(0, 128), 0);
  EXPECT_EQ(m->canWalkAt(-100, -5), 1);
  m->setTile(1, 0, 0);
  EXPECT_EQ(m->canWalkAt(-100, -5), 0);
}

TEST(TileMapExitTest, MissingFilesAndOutOfRangeGrids) {
  TempDir dir;
  const std::string missing = dir.file("missing.tle");
  ChildResult r =
      runOnDummyScreen([&](ZEL_GrafboxSDL& box) { ZEL_TileMap(missing.c_str(), &box); });
  EXPECT_TRUE(r.exited && r.exitCode == 255) << describe(r);
  EXPECT_EQ(r.out, "erreur d'ouverture du fichier " + missing + "\n");

  const std::string set = dir.file("set.tle");
  writeFile(set, threeTileSet());
  r = runOnDummyScreen(
      [&](ZEL_GrafboxSDL& box) { ZEL_TileMap(set.c_str(), &box).ReadMap(missing.c_str()); });
  EXPECT_TRUE(r.exited && r.exitCode == 255) << describe(r);
  EXPECT_EQ(r.out, "erreur d'ouverture du fichier " + missing);

  const std::string empty = dir.file("empty.tle");
  writeFile(empty, {});
  const char* const outOfRange =
      "tu essayes d'initialiser ta tile_map avec un indice hors borne!\n";
  r = runOnDummyScreen(
      [&](ZEL_GrafboxSDL& box) { ZEL_TileMap(empty.c_str(), &box).setMap(1, 1, 0); });
  EXPECT_TRUE(r.exited && r.exitCode == 255 && r.out == outOfRange) << describe(r);
  r = runOnDummyScreen(
      [&](ZEL_GrafboxSDL& box) { ZEL_TileMap(set.c_str(), &box).setMap(1, 1, 3); });
  EXPECT_TRUE(r.exited && r.exitCode == 255 && r.out == outOfRange) << describe(r);

  const std::pair<int, int> refused[] = {{-1, 2}, {2, -1}, {2049, 2048}, {INT_MAX, INT_MAX}};
  for (const auto& size : refused) {
    r = runOnDummyScreen([&](ZEL_GrafboxSDL& box) {
      ZEL_TileMap(set.c_str(), &box).setMap(size.first, size.second, 0);
    });
    EXPECT_TRUE(r.exited && r.exitCode == 255 && r.out == NEW_GRID_MEMORY) << describe(r);
  }
  // Growing past the cell limit.
  r = runOnDummyScreen([&](ZEL_GrafboxSDL& box) {
    ZEL_TileMap m(set.c_str(), &box);
    m.setMap(2048, 2048, 0);
    m.insere_ligne(0);
  });
  EXPECT_TRUE(r.exited && r.exitCode == 255 && r.out == NEW_GRID_MEMORY) << describe(r);
}

TEST(TileMapExitTest, HostileMapHeadersAreNotConforming) {
  TempDir dir;
  const std::string set = dir.file("set.tle");
  writeFile(set, threeTileSet());
  const std::string path = dir.file("bad.map");
  const MapHeader refused[] = {
      {0, 2, 16, 16, 0, 0, 0, 0, 0},        {2, 0, 16, 16, 0, 0, 0, 0, 0},
      {2, 2, 0, 16, 0, 0, 0, 0, 0},         {2, 2, 16, -16, 0, 0, 0, 0, 0},
      {0xFFFFFFFF, 1, 1, 1, 0, 0, 0, 0, 0}, {65536, 65536, 1, 1, 0, 0, 0, 0, 0},
      {2049, 2048, 1, 1, 0, 0, 0, 0, 0},    {2, 1, 1 << 30, 1, 0, 0, 0, 0, 0},
      {1, 3, 1, 1 << 29, 0, 0, 0, 0, 0},    {65536, 1, 65536, 1, 0, 0, 0, 0, 0},
      {1, 1, INT32_MIN, 1, 0, 0, 0, 0, 0},
  };
  for (const MapHeader& h : refused) {
    writeFile(path, mapBytes(h, {0, 0, 0, 0}));
    const ChildResult r = runOnDummyScreen(
        [&](ZEL_GrafboxSDL& box) { ZEL_TileMap(set.c_str(), &box).ReadMap(path.c_str()); });
    EXPECT_TRUE(r.exited && r.exitCode == 255 && r.out == NON_CONFORMING)
        << h.colonnes << " x " << h.lignes << ", " << h.largeurTile << " x " << h.hauteurTile
        << ": " << describe(r);
  }
  // A tile number one past the set.
  writeFile(path, mapBytes(THREE_BY_TWO, {0, 1, 2, 0, 3, 0}));
  const ChildResult r = runOnDummyScreen(
      [&](ZEL_GrafboxSDL& box) { ZEL_TileMap(set.c_str(), &box).ReadMap(path.c_str()); });
  EXPECT_TRUE(r.exited && r.exitCode == 255) << describe(r);
  EXPECT_EQ(r.out, NON_CONFORMING);
}

TEST(TileMapExitTest, WritesThatFailAreReported) {
  TempDir dir;
  const std::string set = dir.file("set.tle");
  writeFile(set, threeTileSet());
  const std::string noDir = dir.file("no/such.map");
  for (const std::string& target : {noDir, std::string("/dev/full")}) {
    ChildResult r = runOnDummyScreen([&](ZEL_GrafboxSDL& box) {
      ZEL_TileMap m(set.c_str(), &box);
      m.setMap(3, 2, 0);
      m.WriteMap(target.c_str());
    });
    EXPECT_TRUE(r.exited && r.exitCode == 255) << describe(r);
    EXPECT_EQ(r.out, "erreur d'ecriture dans le fichier " + target);
    r = runOnDummyScreen(
        [&](ZEL_GrafboxSDL& box) { ZEL_TileMap(set.c_str(), &box).WriteTle(target.c_str()); });
    EXPECT_TRUE(r.exited && r.exitCode == 255) << describe(r);
    EXPECT_EQ(r.out, "erreur d'ecriture dans le fichier " + target);
  }
}
