#include <gtest/gtest.h>
#include <sys/resource.h>

#include <climits>
#include <cmath>
#include <set>
#include <tuple>

#include "dummy_screen.h"
#include "engine_files.h"
#include "world.h"
#include "zel_path_gravity.h"
#include "zel_tile.h"
#include "zel_tracker2d.h"
#include "zel_view.h"

namespace {

const int CELL = 16, COLUMNS = 10, ROWS = 8;
const TileRgb GREEN = {0, 200, 0}, GREY = {90, 90, 90}, RED = {255, 0, 0}, BACKGROUND = {1, 2, 3};
const char READ_ERROR[] = "erreur de lecture de la mosaique", NON_CONFORMING[] = "fichier non conforme";
const std::string OPEN_ERROR = "erreur d'ouverture du fichier ";
const std::string WRITE_ERROR = "erreur d'ecriture dans le fichier ";
const char DUMP[] = "(0,0,0)(1,0,1)\n(0,1,1)(1,1,1)\n-----------------------------------\n";
const char NEW_GRID[] = "pas assez de memoire pour allouer la nouvelle MAP ";
const int FATAL = 255, PIXEL_BYTES = 4, TILE_NUMBERS = 65536, GROWTH_LIMIT_KB = 16 * 1024;
const size_t CELLS = 30;
typedef std::set<std::pair<int, int>> Cells;
typedef std::function<void(ZEL_GrafboxSDL&)> Load;

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

// Patterned tiles of 2 x 2, 3 x 2 and 2 x 4 pixels.
std::vector<uint8_t> smallSet() {
  std::vector<uint8_t> bytes;
  for (int n = 0; n < 3; ++n) appendBytes(bytes, tleRecord(2 + n % 2, 2 << (n / 2), {}, patternAt));
  return bytes;
}

// Loads the tile set `tle`, then runs f on the map.
Load onMap(const std::string& tle, const std::function<void(ZEL_TileMap&)>& f) {
  return [=](ZEL_GrafboxSDL& box) { f(*std::make_unique<ZEL_TileMap>(tle.c_str(), &box)); };
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

// A COLUMNS x ROWS grid of tile 0.
class TileMapTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m.reset(new ZEL_TileMap(writeFile(dir.file("set.tle"), set).c_str(), &screen.box));
    m->setMap(COLUMNS, ROWS, 0);
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

// Bytes survive setImage given twice; new grids clear the header; edits off the grid do nothing.
TEST_F(TileMapTest, WriteThenReadKeepsEveryByteAndEditsFollowTheEdges) {
  const auto grid = mapBytes({3, 2, CELL, CELL, 11, 12, 13, 0xA1B2C3D4, 14}, {2, 1, 2, 0, 2, 1});
  m->ReadMap(writeFile(dir.file("grid.map"), grid).c_str());
  ZEL_Surface* image = screen.box.getSurface(2, 1);
  for (int x = 0; x < 2; ++x) image->setPixel(x, 0, RED[0], RED[1], RED[2]);
  for (int round = 0; round < 2; ++round) m->getCorrespondance(0)->setImage(image, 0, 0, 0, 0, 1);
  m->WriteMap(dir.file("copy.map").c_str());
  m->WriteTle(dir.file("copy.tle").c_str());
  EXPECT_EQ(readFile(dir.file("copy.tle")), tileSet(plainTle(2, 1, RED, 1), 0));
  EXPECT_EQ(readFile(dir.file("copy.map")), grid);

  m->setMap(3, 2, 1);
  m->WriteMap(dir.file("new.map").c_str());
  EXPECT_EQ(readFile(dir.file("new.map")), mapBytes({3, 2, 2, 1}, std::vector<uint16_t>(6, 1)));
  const int edits[][3] = {{0, 2, 0}, {2, 2, 1}, {0, 0, 1}, {0, 3, 0}, {0, 0, 2}, {-1, 1, 1}, {3, 1, 1}};
  for (const auto& e : edits) m->setTile(e[0], e[1], e[2]);  // the last four are out of range
  EXPECT_EQ(allTiles(), (std::vector<int>{1, 1, 0, 0, 1, 2}));
  const unsigned wrapsToCell2 = 0x55555556;  // in 32 bits, 3 columns of it are cell 2
  EXPECT_EQ(std::make_pair(m->getTile(0, 2), m->getTile(0, wrapsToCell2)), std::make_pair(-1, -1));
  m->insere_colonne(0);
  m->insere_ligne(0);
  EXPECT_EQ(std::make_pair(m->get_largeur(), m->get_hauteur()), std::make_pair(8, 3));
  EXPECT_EQ(allTiles(), (std::vector<int>{1, 1, 0, 0, 0, 1, 2, 2, 0, 1, 2, 2}));
  m->setMap(0, 2, 1);  // empty grids grow with tile 0
  m->insere_colonne(7);
  m->insere_ligne(0);
  EXPECT_EQ(allTiles(), (std::vector<int>{0, 0, 0}));
}

// Rows include both ends, columns leave the end row out; boxes clamp to the grid, canWalkAt only below.
TEST_F(TileMapTest, ProbesCoverTheirCellsExactly) {
  const std::pair<std::function<int()>, Cells> probes[] = {
      {[&] { return m->isSolidInRow(3, 2, 5); }, span(2, 5, 3, 3)},
      {[&] { return m->isSolidInColumn(4, 2, 5); }, span(4, 4, 2, 4)},
      {[&] { return m->isSolidInRow(7, INT_MIN, INT_MAX); }, span(0, 9, 7, 7)},
      {[&] { return m->isSolidInColumn(9, -3, INT_MAX); }, span(9, 9, 0, 7)},
      {[&] { return m->isSolidInRow(8, 0, 9) || m->isSolidInRow(3, 5, 4) || m->isSolidInColumn(4, 2, 2); }, {}},
      {[&] { return m->collisionSouthAt(16, 16, 16, 16); }, span(1, 2, 2, 2)},
      {[&] { return m->collisionNorthAt(16, 16, 16, 16); }, span(1, 2, 1, 1)},
      {[&] { return m->collisionEastAt(16, 17, 16, 31); }, span(2, 2, 1, 2)},
      {[&] { return m->collisionWestAt(16, 16, 16, 16); }, span(1, 1, 1, 1)},
      {[&] { return m->collisionNorthAt(-20, -20, 40, 16); }, span(0, 1, 0, 0)},
      {[&] { return m->collisionSouthAt(0, 112, 16, 16); }, span(0, 1, 7, 7)},  // ends at the world's
      {[&] { return m->collisionEastAt(144, 0, 16, 16); }, span(9, 9, 0, 0)},
      {[&] { return m->collisionEastAt(INT_MAX - 5, 16, 16, 16); }, span(9, 9, 1, 1)},
      {[&] { return m->collisionSouthAt(16, INT_MAX - 5, 0, 16); }, span(1, 1, 7, 7)},
      {[&] { return 1 - m->canWalkAt(48, 32) + 1 - m->canWalkAt(159, 127); }, {{3, 2}, {9, 7}}},
      {[&] { return 1 - m->canWalkAt(-100, -5); }, span(0, 0, 0, 0)},
      {[&] { return (1 - m->canWalkAt(160, 0)) * (1 - m->canWalkAt(0, 128)); }, span(0, 9, 0, 7)},
  };
  for (size_t i = 0; i < sizeof probes / sizeof probes[0]; ++i) {
    Cells hits;  // the cells that make the probe answer 1 when each is the only solid one
    for (int r = 0; r < ROWS; ++r)
      for (int c = 0; c < COLUMNS; ++c) {
        m->setTile(1, c, r);
        if (probes[i].first() == 1) hits.insert({c, r});
        m->setTile(0, c, r);
      }
    EXPECT_EQ(hits, probes[i].second) << "probe " << i;
  }
}

// Tiles (c + r) % 3 seen through viewports: every pixel in view shows its tile's pixel or the background.
TEST_F(TileMapTest, EveryTileLandsAtItsScreenPlace) {
  for (int r = 0; r < ROWS; ++r)
    for (int c = 0; c < COLUMNS; ++c) m->setTile((c + r) % 3, c, r);
  const long views[][6] = {{13, 7, 5, 10, 40, 36},   // into a cell on both axes, the last cells cut
                           {150, 120, 0, 0, 64, 64},  // past the world's edges
                           {-6, -4, 20, 20, 30, 20}};  // before the world: negative cells skipped
  for (const auto& [xworld, yworld, xscreen, yscreen, width, height] : views) {  // ZEL_View draws without a box
    screen.box.fill_virtual(BACKGROUND[0], BACKGROUND[1], BACKGROUND[2]);
    m->draw(xworld, yworld, int(xscreen), int(yscreen), int(width), int(height), &screen.box);
    int wrong = 0;
    for (long sy = yscreen; sy < yscreen + height; ++sy)
      for (long sx = xscreen; sx < xscreen + width; ++sx) {
        const long wx = xworld + sx - xscreen, wy = yworld + sy - yscreen;
        const bool seen = wx >= 0 && wy >= 0 && wx < COLUMNS * CELL && wy < ROWS * CELL;
        const int tile = seen ? int(wx / CELL + wy / CELL) % 3 : -1, x = int(wx % CELL), y = int(wy % CELL);
        const TileRgb pattern = x + y > 0 ? patternAt(x, y) : BACKGROUND;
        const TileRgb want = tile == 0 ? GREEN : tile == 1 ? GREY : tile == 2 ? pattern : BACKGROUND;
        TileRgb got;
        screen.box.get_pix(int(sx), int(sy), &got[0], &got[1], &got[2]);
        wrong += !(got == want);
      }
    EXPECT_EQ(wrong, 0) << "view at " << xworld << ", " << yworld;
  }
}

// Every message-and-exit path ends with its exact bytes and status; files at the limits and cut files load.
TEST(TileExitTest, EndingsAreExact) {
  TempDir dir;
  const std::vector<uint8_t> tiles = smallSet();
  const std::string missing = dir.file("missing"), noDir = dir.file("no/such"), many = dir.file("many.map");
  const std::string set = writeFile(dir.file("set.tle"), tiles);
  const std::string empty = writeFile(dir.file("empty.tle"), plainTle(0, 2, {1, 2, 3}, 1));
  const std::string wide = writeFile(dir.file("wide.tle"), plainTle(ZEL_Tile::MAX_SIDE, 1, {1, 2, 3}, 1));
  const std::string cut = writeFile(dir.file("cut.tle"), {tiles.begin(), tiles.begin() + 28});  // of 29
  const std::string huge = writeFile(dir.file("huge.tle"),  // the largest tile, announced by its header alone
                                     tleRecord(ZEL_Tile::MAX_SIDE, ZEL_Tile::MAX_SIDE, {}, nullptr));
  std::vector<uint8_t> bytes;
  for (int n = 0; n <= TILE_NUMBERS; ++n) appendBytes(bytes, plainTle(1, 1, {1, 2, 3}, 1));
  const std::string manyTle = writeFile(dir.file("many.tle"), bytes);
  std::vector<Ending> endings = {
      {[&](ZEL_GrafboxSDL& b) { ZEL_Tile(&b).ReadTle(missing.c_str()); }, OPEN_ERROR + missing},
      {[&](ZEL_GrafboxSDL& b) { ZEL_Tile(&b).ReadTle(wide.c_str()); }, "", "", 0},
      {[&](ZEL_GrafboxSDL& b) {
         limitGrowth();
         ZEL_Tile(&b).ReadTle(huge.c_str());
       }, READ_ERROR},
      {[&](ZEL_GrafboxSDL& b) { ZEL_Tile(&b).ReadTle(fopen(cut.c_str(), "rb")); }, "", READ_ERROR},  // short
      {[&](ZEL_GrafboxSDL& b) { ZEL_Tile(&b).ReadTle(cut.c_str()); }, READ_ERROR},  // short, read by name
      {onMap(set, [](ZEL_TileMap& m) { m.getCorrespondance(0)->WriteTle("/dev/full"); }),  // dumps pixels
       WRITE_ERROR + "/dev/full", DUMP},
      {onMap(missing, [](ZEL_TileMap&) {}), OPEN_ERROR + missing + "\n"},
      {onMap(set, [&](ZEL_TileMap& m) { m.ReadMap(missing.c_str()); }), OPEN_ERROR + missing},
      {onMap(empty, [](ZEL_TileMap& m) { m.setMap(1, 1, 0); }),  // an empty record ends a set
       "tu essayes d'initialiser ta tile_map avec un indice hors borne!\n"},
      {onMap(set, [&](ZEL_TileMap& m) { m.WriteTle("/dev/full"); }), WRITE_ERROR + "/dev/full"},
      {onMap(set, [&](ZEL_TileMap& m) { m.WriteMap(noDir.c_str()); }), WRITE_ERROR + noDir},
      {onMap(set, [&](ZEL_TileMap& m) { m.WriteMap("/dev/full"); }), WRITE_ERROR + "/dev/full"},
      {onMap(manyTle, [&](ZEL_TileMap& m) {
         m.setMap(1, 1, TILE_NUMBERS);  // one more tile than a .map can name
         m.WriteMap(many.c_str());
       }), WRITE_ERROR + many},
  };
  const int grids[][2] = {{-1, 2}, {2, -1}, {2049, 2048}, {INT_MAX, INT_MAX}};
  for (const auto& g : grids)
    endings.push_back({onMap(set, [g](ZEL_TileMap& m) { m.setMap(g[0], g[1], 0); }), NEW_GRID});
  // Tile sides out of range, with room for their pixels.
  const int32_t over = ZEL_Tile::MAX_SIDE + 1, sides[][2] = {{INT32_MIN, 1}, {1, -1}, {over, 1}, {1, over}};
  for (const auto& s : sides) {
    bytes = tleRecord(s[0], s[1], {0, 0, 0, 0, 1}, nullptr);
    bytes.resize(bytes.size() + over * PIXEL_BYTES);
    const std::string path = writeFile(dir.file(std::to_string(endings.size()) + ".tle"), bytes);
    endings.push_back({[path](ZEL_GrafboxSDL& b) { ZEL_Tile(&b).ReadTle(path.c_str()); }, READ_ERROR});
  }
  const std::pair<MapHeader, int> headers[] = {  // at and past the limits; refused rows name tile 3
      {{2048, 2048, 1, 1}, 0},      {{1, 1, 1 << 30, 1 << 30}, 0}, {{2049, 2048, 1, 1}, FATAL},
      {{2, 1, 1 << 30, 1}, FATAL},  {{65536, 65536, 1, 1}, FATAL}, {{65536, 1, 65536, 1}, FATAL},
      {{0xFFFFFFFF, 1, 1, 1}, FATAL}, {{1, 3, 1, 1 << 29}, FATAL}, {{0, 2, 16, 16}, FATAL},
      {{2, 0, 16, 16}, FATAL},      {{2, 2, 0, 16}, FATAL},        {{1, 1, 16, INT32_MIN}, FATAL},
      {{3, 1, 16, 16}, FATAL}};
  for (const auto& h : headers) {
    const std::string path = writeFile(dir.file(std::to_string(endings.size()) + ".map"),
                                       mapBytes(h.first, {0, 2, uint16_t(h.second ? 3 : 1)}));
    endings.push_back({onMap(set, [path](ZEL_TileMap& m) { m.ReadMap(path.c_str()); }),
                       h.second ? NON_CONFORMING : "", "", h.second});
  }
  // Cut sets keep their whole records (of 29, 37 and 45 bytes); cut maps need their header and read the
  // cells past the cut as tile 0.
  auto cutCopy = [&](const std::vector<uint8_t>& whole, size_t length, const char* suffix) {
    return writeFile(dir.file(std::to_string(endings.size()) + suffix),
                     {whole.begin(), whole.begin() + length});
  };
  for (const auto& [length, kept] :
       {std::pair<size_t, int>{0, 0}, {7, 0}, {28, 0}, {29, 1}, {66, 2}, {110, 2}, {111, 3}})
    endings.push_back(
        {onMap(cutCopy(tiles, length, ".tle"), [](ZEL_TileMap& m) { printf("%d", m.get_nb_tiles()); }),
         std::to_string(kept), "", 0});
  const std::vector<uint8_t> map = mapBytes({6, 5, 16, 16}, std::vector<uint16_t>(CELLS, 2));
  for (const auto& [length, read] :
       {std::pair<size_t, int>{0, -1}, {23, -1}, {24, 0}, {25, 0}, {26, 1}, {83, 29}, {84, 30}}) {
    const Load cells = onMap(set, [path = cutCopy(map, length, ".map")](ZEL_TileMap& m) {
      m.ReadMap(path.c_str());
      for (unsigned i = 0; i < CELLS; ++i) printf("%d", m.getTile(i, 0));
    });
    endings.push_back(read < 0
                          ? Ending{cells, NON_CONFORMING}
                          : Ending{cells, std::string(read, '2') + std::string(CELLS - read, '0'), "", 0});
  }
  for (size_t i = 0; i < endings.size(); ++i) {
    const Ending& e = endings[i];
    const ChildResult r = runInChild([&] {
      DummyScreen screen;
      e.load(screen.box);
    });
    EXPECT_TRUE(r.exited && r.exitCode == e.status && r.out == e.out && r.err == e.err)
        << "ending " << i << ": " << describe(r);
  }
}

namespace {

// Starts where it is placed; moves 100 pixels right on each advance.
struct StepTracker : ZEL_Tracker2D {
  ZEL_Point getPosition() const override { return position; }
  ZEL_Point advance() override { return position = ZEL_Point(position.x + 100, position.y); }
  void setPosition(ZEL_Point p) override { position = p; }
  void setTrackable(ZEL_Trackable2D* t) override { trackable = t; }
  ZEL_Point position = ZEL_Point(0, 0);
  ZEL_Trackable2D* trackable = nullptr;
};

// A 100 x 80 viewport at screen (10, 20) follows and scrolls within the world and hands its point to
// trackers; placed on world (32, 400) it shows the map, public actors, then its client's private ones.
void viewChecks(World& w) {
  ZEL_View d(5, w.space, w.box, nullptr, 10, 20, 100, 80);
  const long follows[][4] = {{40, 10, 0, 0}, {1000, 300, 950, 260}, {1990, 470, 1900, 400}};  // point, view
  for (const auto& f : follows) {
    d.follow(f[0], f[1]);
    EXPECT_EQ(std::make_pair(d.xscreen_to_xworld(7), d.get_yscreen_world()), std::make_pair(f[2] + 7, f[3]));
  }
  const int scrolls[][4] = {{1895, 10, 0, 1895}, {1890, 10, 1, 1900}, {3, -5, 0, 3}, {5, -5, 1, 0}};
  for (const auto& s : scrolls) {  // from, by (left when negative), answer, to
    d.set_xscreen_world(s[0]);
    EXPECT_EQ(s[1] > 0 ? d.scroll_right(s[1]) : d.scroll_left(-s[1]), s[2]) << s[0] << " by " << s[1];
    EXPECT_EQ(d.get_xscreen_world(), s[3]);
  }
  EXPECT_EQ(d.scroll_down(1), 0);  // at the bottom
  CountingActif player(0, w.list(8, 8), 1990, 100);
  ZEL_View wide(1, w.space, w.box, &player, 0, 0, 2400, 480);  // wider than the world: never moves
  wide.set_xscreen_world(200);
  EXPECT_EQ(std::make_pair(wide.scroll_right(1), wide.get_xscreen_world()), std::make_pair(0, 0L));
  StepTracker tracker;
  d.follow(250, 300);
  d.setTracker(&tracker);  // starts at the point followed, then moves the view, not the point
  d.follow(10, 20);
  EXPECT_EQ(std::make_tuple(d.get_xscreen_world(), d.getConsigne().x, tracker.trackable),
            std::make_tuple(350L - 50, 10.0, static_cast<ZEL_Trackable2D*>(&d)));

  const int background = 3, sky = 60, rock = 120, actor = 200;  // red of the tiles and World::list frames
  d.set_xscreen_world(32);
  d.set_yscreen_world(400);
  CountingActif* pub = new CountingActif(0, w.list(4, 4), 40, 406);
  CountingActif* priv = new CountingActif(0, w.list(4, 4), 70, 10);
  w.space->add(pub);
  w.space->add(&d);
  w.space->add(priv);
  w.space->transvase_public_to_private(priv, 5);
  w.box->fill_virtual(background, background, background);
  w.space->step();
  const int pixels[][3] = {{9, 30, background}, {10, 30, sky}, {109, 99, rock}, {110, 99, background},
                           {50, 100, background}, {18, 26, actor}, {80, 30, actor}};
  for (const auto& p : pixels) {
    unsigned char rgb[3];
    w.box->get_pix(p[0], p[1], &rgb[0], &rgb[1], &rgb[2]);
    EXPECT_EQ(rgb[0], p[2]) << p[0] << ", " << p[1];
  }
  EXPECT_EQ(priv->getXworld(), 32 + 70);
  w.space->kill(&d);
  w.space->killAndDestroy(pub);
}

}  // namespace

// An 8 x 24 actor at (16, 440) spans rows 27 to 29: only its floor is solid, from half its height.
TEST(ViewTest, FollowsScrollsTracksAndDrawsWithinTheWorldAndActorsProbeIt) {
  std::vector<std::string> rows(30, std::string(125, '.'));  // 2000 x 480 pixels of cells of 16
  rows.back() = std::string(125, '#');                        // solid along the bottom row
  const ChildResult r = runInWorld([](World& w) {
    viewChecks(w);
    CountingActif a(0, w.list(8, 24), 16, 440);
    ZEL_TileMap& m = *w.tileMap;
    EXPECT_EQ(std::vector<int>({m.collision_south(&a), m.collision_north(&a), m.collision_east(&a),
                                m.collision_west(&a), m.can_walk(&a, 0, 12), m.can_walk(&a, 0, 11)}),
              std::vector<int>({1, 0, 0, 0, 0, 1}));
  }, levelFromText(rows, CELL));
  EXPECT_WORLD_OK(r);
}

// Sums truncate toward zero and hold at the 32-bit ends; moves of 3 pixels turn, ties to the later of west,
// east, south, north. Steps of at most the speed reach each target before the next one is asked for.
TEST(PathGravityTest, PositionsTruncateTurnAndStepWithinTheSpeed) {
  const struct {
    float x, vx, vy, vz, g, dt;
    int speed, calls, wantX, wantY;
    char facing;
  } cases[] = {
      {100, 0, 0, 0, 9.81f, 0.1f, 0, 11, 100, 4, 'W'},  // falls 4.905
      {210, -12.5f, 0, 0, 0, 1, 0, 2, 197, 0, 'W'},    {-5, -0.5f, 0, 0, 0, 1, 0, 2, -5, 0, 'W'},
      {0, -0.7f, -1.5f, 0, 0, 1, 0, 3, -1, -3, 'W'},   {0, 5, -5, 0, 0, 1, 0, 2, 5, -5, 'N'},  // 2 pixels; tie
      {0, 0, 0, 0, 1e30f, 1, 0, 2, 0, INT_MAX, 'S'},   {0, 0, 0, 0, -1e30f, 1, 0, 2, 0, INT_MIN, 'N'},
      {-7, 3, -10, 0, 4, 1, 0, 4, 2, -12, 'E'},        {-7, 3, -10, 0, 4, 1, 0, 8, 14, 28, 'S'},  // a jump
      {0, 30, 40, 0, 0, 1, 10, 2, 6, 8, 'S'},          {0, 30, 40, 0, 0, 1, 10, 6, 30, 40, 'S'},
      {0, 10, 1, 0, 0, 1, 3, 2, 2, 0, 'W'},            {0, 10, 1, 0, 0, 1, 3, 6, 10, 1, 'W'},  // cut short
      {0, 3, 0, 4, 0, 1, 4, 2, 1, 0, 'W'},             {0, 33, 44, 0, 0, 1, 55, 2, 33, 44, 'S'},  // z, reach
      {INT_MIN, 4294967296.0f, 0, 0, 0, 1, 1 << 30, 2, -1073741825, 0, 'E'},  // a distance beyond 32 bits
      {INT_MIN, 4294967296.0f, 0, 0, 0, 1, 1 << 30, 5, INT_MAX, 0, 'E'},      // held at INT_MAX
  };
  for (const auto& c : cases) {
    ZEL_PathGravity p(long(c.x), 0, 0, c.vx, c.vy, c.vz, c.g, c.dt);
    EXPECT_FALSE(p.calculate_next_location(0) || p.calculate_next_location(-4));
    for (int i = 0; i < c.calls; ++i) {
      const double x = p.get_next_location_x(), y = p.get_next_location_y();
      ASSERT_TRUE(c.speed > 0 ? p.calculate_next_location(c.speed) : p.calculate_next_location());
      const double step = std::hypot(p.get_next_location_x() - x, p.get_next_location_y() - y);
      EXPECT_TRUE(c.speed == 0 || step <= c.speed) << step;
    }
    const char facing = p.orientation_north() ? 'N' : p.orientation_south() ? 'S'
                        : p.orientation_east() ? 'E' : p.orientation_west() ? 'W' : '?';
    EXPECT_EQ(std::make_tuple(p.get_next_location_x(), p.get_next_location_y(), facing),
              std::make_tuple(c.wantX, c.wantY, c.facing)) << "case " << &c - cases;
  }
}
