#include <gtest/gtest.h>
#include <sys/resource.h>

#include <climits>
#include <string>

#include "dummy_screen.h"
#include "files.h"
#include "hostile_files.h"
#include "tile_files.h"
#include "zel_tile.h"
#include "zel_tile_map.h"

namespace {

const char READ_ERROR[] = "erreur de lecture de la mosaique", NON_CONFORMING[] = "fichier non conforme";
const std::string OPEN_ERROR = "erreur d'ouverture du fichier ";
const std::string WRITE_ERROR = "erreur d'ecriture dans le fichier ";
const char NEW_GRID[] = "pas assez de memoire pour allouer la nouvelle MAP ";
const char DUMP[] = "(0,0,0)(1,0,0)\n(0,1,0)(1,1,0)\n-----------------------------------\n";
const int FATAL = 255, TILE_NUMBERS = 65536;  // one more tile than a .map can name
const long GROWTH_LIMIT_KB = 16 * 1024;
const int MUTATIONS = 120;
const size_t TLE_SIZE_BYTES = 8, MAP_HEADER_BYTES = 24, CELLS = 30;
const size_t RECORD_ENDS[] = {29, 66, 111};
typedef std::function<void(ZEL_GrafboxSDL&)> Load;

// Tiles of 2 x 2, 3 x 2 and 2 x 4 pixels; pixel (x, y) of tile n is (x, y, n).
std::vector<uint8_t> tileSet() {
  std::vector<uint8_t> bytes;
  for (uint8_t n = 0; n < 3; ++n)
    appendBytes(bytes, tleRecord(2 + n % 2, 2 << (n / 2), {1, 1, 2, 3, 1}, [n](int x, int y) {
                  return TileRgb{uint8_t(x), uint8_t(y), n};
                }));
  return bytes;
}

std::string written(const std::string& path, const std::vector<uint8_t>& bytes) {
  writeFile(path, bytes);
  return path;
}

// Loads the tile set `tle`, then runs f on the map.
Load onMap(const std::string& tle, const std::function<void(ZEL_TileMap&)>& f) {
  return [=](ZEL_GrafboxSDL& box) {
    ZEL_TileMap m(tle.c_str(), &box);
    f(m);
  };
}

// Writes tile 0 of the set `tle` as the file `to`.
Load writeTile0(const std::string& tle, const std::string& to) {
  return onMap(tle, [to](ZEL_TileMap& m) { m.getCorrespondance(0)->WriteTle(to.c_str()); });
}

// From now on, a process that ends with its resident set grown by the limit ends with status 1.
void limitGrowth() {
  static rusage start, end;
  getrusage(RUSAGE_SELF, &start);
  atexit([] {
    getrusage(RUSAGE_SELF, &end);
    if (end.ru_maxrss - start.ru_maxrss > GROWTH_LIMIT_KB) _exit(1);
  });
}

struct Ending {
  Load load;
  std::string out, err = "";
  int status = FATAL;
};

}  // namespace

TEST(TileExitTest, EndingsAreExact) {
  TempDir dir;
  const std::vector<uint8_t> tiles = tileSet();
  const std::string missing = dir.file("missing"), noDir = dir.file("no/such"), many = dir.file("many.map");
  const std::string set = written(dir.file("set.tle"), tiles);
  const std::string empty = written(dir.file("empty.tle"), plainTle(0, 2, {1, 2, 3}, 1));
  const std::string wide = written(dir.file("wide.tle"), plainTle(ZEL_Tile::MAX_SIDE, 1, {1, 2, 3}, 1));
  const std::string cut = written(dir.file("cut.tle"), {tiles.begin(), tiles.begin() + RECORD_ENDS[0] - 1});
  std::vector<uint8_t> bytes = tleRecord(ZEL_Tile::MAX_SIDE, ZEL_Tile::MAX_SIDE, {0, 0, 0, 0, 1}, nullptr);
  bytes.resize(21, 0x55);  // the largest tile announced by a few bytes
  const std::string huge = written(dir.file("huge.tle"), bytes);
  bytes.clear();
  for (int n = 0; n <= TILE_NUMBERS; ++n) appendBytes(bytes, plainTle(1, 1, {1, 2, 3}, 1));
  const std::string manyTle = written(dir.file("many.tle"), bytes);
  std::vector<Ending> endings = {
      {[&](ZEL_GrafboxSDL& b) { ZEL_Tile(&b).ReadTle(missing.c_str()); }, OPEN_ERROR + missing},
      {[&](ZEL_GrafboxSDL& b) { ZEL_Tile(&b).ReadTle(wide.c_str()); }, "", "", 0},
      {[&](ZEL_GrafboxSDL& b) {
         limitGrowth();
         ZEL_Tile(&b).ReadTle(huge.c_str());
       }, READ_ERROR},
      // A short pixel block: on standard error from a stream, on standard output by name.
      {[&](ZEL_GrafboxSDL& b) { ZEL_Tile(&b).ReadTle(fopen(cut.c_str(), "rb")); }, "", READ_ERROR},
      {[&](ZEL_GrafboxSDL& b) { ZEL_Tile(&b).ReadTle(cut.c_str()); }, READ_ERROR},
      // A tile written by name dumps its pixels.
      {writeTile0(set, dir.file("out.tle")), "", DUMP, 0},
      {writeTile0(set, "/dev/full"), WRITE_ERROR + "/dev/full", DUMP},
      {writeTile0(set, noDir), WRITE_ERROR + noDir},
      {onMap(missing, [](ZEL_TileMap&) {}), OPEN_ERROR + missing + "\n"},
      {onMap(set, [&](ZEL_TileMap& m) { m.ReadMap(missing.c_str()); }), OPEN_ERROR + missing},
      {onMap(empty, [](ZEL_TileMap& m) { m.setMap(1, 1, 0); }),  // an empty record ends a set
       "tu essayes d'initialiser ta tile_map avec un indice hors borne!\n"},
      {onMap(set, [&](ZEL_TileMap& m) { m.WriteTle(noDir.c_str()); }), WRITE_ERROR + noDir},
      {onMap(set, [&](ZEL_TileMap& m) { m.WriteTle("/dev/full"); }), WRITE_ERROR + "/dev/full"},
      {onMap(set, [&](ZEL_TileMap& m) { m.WriteMap(noDir.c_str()); }), WRITE_ERROR + noDir},
      {onMap(set, [&](ZEL_TileMap& m) {
         m.setMap(3, 2, 0);
         m.WriteMap("/dev/full");
       }), WRITE_ERROR + "/dev/full"},
      {onMap(manyTle, [&](ZEL_TileMap& m) {
         m.setMap(1, 1, TILE_NUMBERS);
         m.WriteMap(many.c_str());
       }), WRITE_ERROR + many},
  };
  const int grids[][2] = {{-1, 2}, {2, -1}, {2049, 2048}, {INT_MAX, INT_MAX}};
  for (const auto& g : grids)
    endings.push_back({onMap(set, [g](ZEL_TileMap& m) { m.setMap(g[0], g[1], 0); }), NEW_GRID});
  // Tile sides out of range, read and skipped; map headers at and past the limits.
  const int32_t over = ZEL_Tile::MAX_SIDE + 1, sides[][2] = {{INT32_MIN, 1}, {1, -1}, {over, 1}, {1, over}};
  for (const auto& s : sides) {
    bytes = tleRecord(s[0], s[1], {0, 0, 0, 0, 1}, nullptr);
    bytes.resize(bytes.size() + 64);
    const std::string path = written(dir.file(std::to_string(endings.size()) + ".tle"), bytes);
    endings.push_back({[path](ZEL_GrafboxSDL& b) { ZEL_Tile(&b).ReadTle(path.c_str()); }, READ_ERROR});
    endings.push_back({[path](ZEL_GrafboxSDL& b) { ZEL_Tile(&b).SkipTle(fopen(path.c_str(), "rb")); },
                       READ_ERROR});
  }
  const std::pair<MapHeader, int> headers[] = {
      {{2048, 2048, 1, 1, 0, 0, 0, 0, 0}, 0}, {{1, 1, 1 << 30, 1 << 30, 0, 0, 0, 0, 0}, 0},
      {{2049, 2048, 1, 1, 0, 0, 0, 0, 0}, FATAL}, {{2, 1, 1 << 30, 1, 0, 0, 0, 0, 0}, FATAL},
      {{65536, 65536, 1, 1, 0, 0, 0, 0, 0}, FATAL}, {{65536, 1, 65536, 1, 0, 0, 0, 0, 0}, FATAL},
      {{0xFFFFFFFF, 1, 1, 1, 0, 0, 0, 0, 0}, FATAL}, {{1, 3, 1, 1 << 29, 0, 0, 0, 0, 0}, FATAL},
      {{0, 2, 16, 16, 0, 0, 0, 0, 0}, FATAL}, {{2, 0, 16, 16, 0, 0, 0, 0, 0}, FATAL},
      {{2, 2, 0, 16, 0, 0, 0, 0, 0}, FATAL}, {{1, 1, INT32_MIN, -16, 0, 0, 0, 0, 0}, FATAL},
      {{3, 1, 16, 16, 0, 0, 0, 0, 0}, FATAL}};  // refused rows name tile 3, past the set
  for (const auto& h : headers) {
    const std::string path = dir.file(std::to_string(endings.size()) + ".map");
    written(path, mapBytes(h.first, {0, 2, uint16_t(h.second ? 3 : 1)}));
    endings.push_back({onMap(set, [path](ZEL_TileMap& m) { m.ReadMap(path.c_str()); }),
                       h.second ? NON_CONFORMING : "", "", h.second});
  }
  for (size_t i = 0; i < endings.size(); ++i) {
    const ChildResult r = runInChild([&] {
      DummyScreen screen;
      endings[i].load(screen.box);
    });
    const Ending& e = endings[i];
    EXPECT_TRUE(r.exited && r.exitCode == e.status && r.out == e.out && r.err == e.err)
        << "ending " << i << ": " << describe(r);
  }
}

// Cut sets hold their whole records, cut maps read missing cells as tile 0 and are refused without
// their 24-byte header; changed bytes may leave a map naming tiles the set lacks.
TEST(TileFuzzTest, DamagedTileSetsAndMapsLoadOrEndWithAMessage) {
  TempDir dir;
  const std::vector<uint8_t> set = tileSet();
  const std::vector<uint8_t> map = mapBytes({6, 5, 16, 16, 1, 2, 3, 4, 5}, std::vector<uint16_t>(CELLS, 2));
  const std::string goodSet = written(dir.file("good.tle"), set);
  const std::string goodMap = written(dir.file("good.map"), map);
  const std::string path = dir.file("damaged");
  const EngineMessages messages = {{READ_ERROR, NON_CONFORMING}, {}, {}};
  const SweepCounts sets = sweepHostileCopies(set, path, [&](const Damage& d) {
    DummyScreen screen;
    ZEL_TileMap m(path.c_str(), &screen.box);
    int whole = 0;
    for (size_t end : RECORD_ENDS) whole += d.length >= end;
    CHILD_CHECK(!d.cut || m.get_nb_tiles() == whole);
    if (!d.cut) m.ReadMap(goodMap.c_str());
  }, messages, MUTATIONS, 20240601, TLE_SIZE_BYTES);
  const SweepCounts maps = sweepHostileCopies(map, path, [&](const Damage& d) {
    DummyScreen screen;
    ZEL_TileMap m(goodSet.c_str(), &screen.box);
    m.ReadMap(path.c_str());
    CHILD_CHECK(!d.cut || d.length >= MAP_HEADER_BYTES);
    for (unsigned i = 0; d.cut && i < CELLS; ++i)  // two bytes a cell
      CHILD_CHECK(m.getTile(i, 0) == (MAP_HEADER_BYTES + 2 * (i + 1) <= d.length ? 2 : 0));
  }, messages, MUTATIONS, 19700101, MAP_HEADER_BYTES);
  EXPECT_TRUE(sets.loaded > 0 && sets.refused > 0 && maps.loaded > 0);
  EXPECT_GT(maps.refused, static_cast<int>(MAP_HEADER_BYTES));
}
