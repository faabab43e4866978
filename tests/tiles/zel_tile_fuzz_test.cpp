// Damaged .tle and .map files: every truncation and random byte changes
// (fixed seeds), each loaded in its own child, must load or end with one of
// the loaders' messages and status 255, never with a crash.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "anim_files.h"
#include "child_process.h"
#include "files.h"
#include "tile_files.h"
#include "zel_grafbox_sdl.h"
#include "zel_tile.h"
#include "zel_tile_map.h"

namespace {

const char READ_ERROR[] = "erreur de lecture de la mosaique";
const char NON_CONFORMING[] = "fichier non conforme";
const int CHILD_TIMEOUT_MS = 10000;
const int FLIP_ROUNDS = 120;
const int MAX_FLIPS = 3;

// Three small tiles of different sizes: 13 + 16, 13 + 24 and 13 + 32 bytes.
std::vector<uint8_t> validTileSet() {
  std::vector<uint8_t> bytes;
  appendBytes(bytes, tleRecord(2, 2, {1, 1, 2, 3, 1}, [](int x, int y) {
                return TileRgb{uint8_t(x), uint8_t(y), 7};
              }));
  appendBytes(bytes, tleRecord(3, 2, {0, 0, 0, 0, 2}, [](int x, int y) {
                return TileRgb{9, uint8_t(x), uint8_t(y)};
              }));
  appendBytes(bytes, tleRecord(2, 4, {5, 1, 0, 0, 1}, [](int x, int y) {
                return TileRgb{uint8_t(y), 4, uint8_t(x)};
              }));
  return bytes;
}
const size_t RECORD_ENDS[] = {29, 66, 111};

// 6 x 5 cells of 16 x 16 pixels using the three tiles.
const MapHeader MAP_HEADER = {6, 5, 16, 16, 1, 2, 3, 4, 5};
std::vector<uint16_t> validCells() {
  std::vector<uint16_t> cells;
  for (int i = 0; i < 30; ++i) cells.push_back(static_cast<uint16_t>(i % 3));
  return cells;
}

bool endedCleanly(const ChildResult& r) {
  return r.exited && r.exitCode == 0 && r.out.empty() && r.err.empty();
}

bool endedWith(const ChildResult& r, const std::string& out, const std::string& err) {
  return r.exited && r.exitCode == 255 && r.out == out && r.err == err;
}

// Loads set as a tile map, then map if given.
ChildResult loadMap(const std::string& set, const std::string& map) {
  return runInChild(
      [&] {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        ZEL_GrafboxSDL box(64, 64, 32, false);
        box.setVideoMode(64, 64, 32, false);
        ZEL_TileMap m(set.c_str(), &box);
        if (!map.empty()) m.ReadMap(map.c_str());
      },
      CHILD_TIMEOUT_MS);
}

std::vector<uint8_t> flipped(std::vector<uint8_t> bytes, std::mt19937& random) {
  const int flips = std::uniform_int_distribution<int>(1, MAX_FLIPS)(random);
  for (int i = 0; i < flips; ++i) {
    const size_t at = std::uniform_int_distribution<size_t>(0, bytes.size() - 1)(random);
    bytes[at] = static_cast<uint8_t>(std::uniform_int_distribution<int>(0, 255)(random));
  }
  return bytes;
}

}  // namespace

TEST(TileFuzzTest, TruncatedTileSetsCountTheirWholeRecords) {
  TempDir dir;
  const std::vector<uint8_t> bytes = validTileSet();
  ASSERT_EQ(bytes.size(), RECORD_ENDS[2]);
  const std::string set = dir.file("cut.tle");
  for (size_t cut = 0; cut <= bytes.size(); ++cut) {
    writeFile(set, std::vector<uint8_t>(bytes.begin(), bytes.begin() + cut));
    int whole = 0;
    for (size_t end : RECORD_ENDS) whole += cut >= end ? 1 : 0;
    const ChildResult r = runInChild(
        [&] {
          setenv("SDL_VIDEODRIVER", "dummy", 1);
          ZEL_GrafboxSDL box(64, 64, 32, false);
          box.setVideoMode(64, 64, 32, false);
          ZEL_TileMap m(set.c_str(), &box);
          CHILD_CHECK(m.get_nb_tiles() == whole);
        },
        CHILD_TIMEOUT_MS);
    EXPECT_TRUE(endedCleanly(r)) << "cut at " << cut << ": " << describe(r);
  }
}

TEST(TileFuzzTest, TruncatedRecordsReadByNameEndWithTheReadMessage) {
  TempDir dir;
  const std::vector<uint8_t> bytes = validTileSet();
  const std::string set = dir.file("cut.tle");
  for (size_t cut = 0; cut <= RECORD_ENDS[0]; ++cut) {
    writeFile(set, std::vector<uint8_t>(bytes.begin(), bytes.begin() + cut));
    const ChildResult r = runOnDummyScreen([&](ZEL_GrafboxSDL& box) {
      ZEL_Tile t(&box);
      t.ReadTle(set.c_str());
    });
    // Without the whole header the block is empty; with it, it must be whole.
    const bool loads = cut < 8 || cut == RECORD_ENDS[0];
    EXPECT_TRUE(loads ? endedCleanly(r) : endedWith(r, READ_ERROR, ""))
        << "cut at " << cut << ": " << describe(r);
  }
}

TEST(TileFuzzTest, TruncatedMapsAreRefusedOrLoadWithTileZero) {
  TempDir dir;
  const std::string set = dir.file("set.tle");
  writeFile(set, validTileSet());
  const std::vector<uint8_t> bytes = mapBytes(MAP_HEADER, validCells());
  const std::string map = dir.file("cut.map");
  const size_t header = 24;
  for (size_t cut = 0; cut <= bytes.size(); ++cut) {
    writeFile(map, std::vector<uint8_t>(bytes.begin(), bytes.begin() + cut));
    const ChildResult r = runOnDummyScreen([&](ZEL_GrafboxSDL& box) {
      ZEL_TileMap m(set.c_str(), &box);
      m.ReadMap(map.c_str());
      const std::vector<uint16_t> cells = validCells();
      for (unsigned i = 0; i < cells.size(); ++i) {
        const bool present = header + 2 * (i + 1) <= cut;
        CHILD_CHECK(m.getTile(i % 6, i / 6) == (present ? cells[i] : 0));
      }
    });
    EXPECT_TRUE(cut < header ? endedWith(r, NON_CONFORMING, "") : endedCleanly(r))
        << "cut at " << cut << ": " << describe(r);
  }
}

TEST(TileFuzzTest, ChangedTileSetBytesLoadOrEndWithAMessage) {
  TempDir dir;
  const std::vector<uint8_t> bytes = validTileSet();
  const std::string set = dir.file("changed.tle");
  const std::string map = dir.file("valid.map");
  writeFile(map, mapBytes(MAP_HEADER, validCells()));
  std::mt19937 random(20240601);
  int loaded = 0, badSize = 0, shortSet = 0;
  for (int round = 0; round < FLIP_ROUNDS; ++round) {
    writeFile(set, flipped(bytes, random));
    const ChildResult r = loadMap(set, map);
    // Bad sizes are refused while counting; a set cut short leaves the map
    // naming tiles that are not there.
    loaded += endedCleanly(r) ? 1 : 0;
    badSize += endedWith(r, READ_ERROR, "") ? 1 : 0;
    shortSet += endedWith(r, NON_CONFORMING, "") ? 1 : 0;
    EXPECT_TRUE(endedCleanly(r) || endedWith(r, READ_ERROR, "") || endedWith(r, NON_CONFORMING, ""))
        << "round " << round << ": " << describe(r);
  }
  // The changes reached every outcome.
  EXPECT_GT(loaded, 0);
  EXPECT_GT(badSize, 0);
  EXPECT_GT(shortSet, 0);
}

TEST(TileFuzzTest, ChangedMapBytesLoadOrEndWithAMessage) {
  TempDir dir;
  const std::string set = dir.file("set.tle");
  writeFile(set, validTileSet());
  const std::vector<uint8_t> bytes = mapBytes(MAP_HEADER, validCells());
  const std::string map = dir.file("changed.map");
  std::mt19937 random(19700101);
  int loaded = 0, refused = 0;
  for (int round = 0; round < FLIP_ROUNDS; ++round) {
    std::vector<uint8_t> changed = flipped(bytes, random);
    // Most rounds change the header, where the sizes are.
    if (round % 2 == 0) changed[std::uniform_int_distribution<size_t>(0, 15)(random)] ^= 0x80;
    writeFile(map, changed);
    const ChildResult r = loadMap(set, map);
    loaded += endedCleanly(r) ? 1 : 0;
    refused += endedWith(r, NON_CONFORMING, "") ? 1 : 0;
    EXPECT_TRUE(endedCleanly(r) || endedWith(r, NON_CONFORMING, ""))
        << "round " << round << ": " << describe(r);
  }
  EXPECT_GT(loaded, 0);
  EXPECT_GT(refused, 0);
}
