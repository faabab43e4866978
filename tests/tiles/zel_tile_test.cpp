#include "zel_tile.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "anim_files.h"
#include "child_process.h"
#include "files.h"
#include "tile_files.h"
#include "zel_grafbox_sdl.h"
#include "zel_surface_sdl.h"

namespace {

const TileRgb BACKGROUND = {10, 20, 30};
const TileRgb RED = {255, 0, 0};
const TileRgb BLUE = {0, 0, 255};
const char READ_ERROR[] = "erreur de lecture de la mosaique";

// Pixel (x, y) of record number n: distinct in every channel.
TileRgb patternColour(int n, int x, int y) {
  return {static_cast<uint8_t>(40 * n + x + 1), static_cast<uint8_t>(10 * y + 3),
          static_cast<uint8_t>(200 - n)};
}

// Three records of different sizes and attribute bytes; the fourth pixel
// byte is 0xAB, which a writer replaces with 0.
std::vector<uint8_t> threeRecords(uint8_t fourth = 0xAB) {
  std::vector<uint8_t> bytes;
  appendBytes(bytes, tleRecord(
                         2, 1, {7, 1, 8, 9, 1}, [](int x, int y) { return patternColour(0, x, y); },
                         fourth));
  appendBytes(bytes, tleRecord(
                         3, 2, {0, 2, 0, 0, 2}, [](int x, int y) { return patternColour(1, x, y); },
                         fourth));
  appendBytes(bytes, tleRecord(
                         1, 2, {0, 0, 0, 0, 0}, [](int x, int y) { return patternColour(2, x, y); },
                         fourth));
  return bytes;
}

const long RECORD_ENDS[] = {13 + 8, 13 + 8 + 13 + 24, 13 + 8 + 13 + 24 + 13 + 8};

TileRgb tilePixel(ZEL_Tile& t, int x, int y) {
  TileRgb c;
  t.getSurface()->getPixel(x, y, &c.r, &c.g, &c.b);
  return c;
}

bool isKeyed(ZEL_Tile& t) {
  return (static_cast<ZEL_SurfaceSDL*>(t.getSurface())->getInternalData()->flags &
          SDL_SRCCOLORKEY) != 0;
}

class TileTest : public ::testing::Test {
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
  TileRgb screenAt(int x, int y) {
    TileRgb c;
    box->get_pix(x, y, &c.r, &c.g, &c.b);
    return c;
  }
  static const int WIDTH = 64;
  static const int HEIGHT = 48;
  TempDir dir;
  std::unique_ptr<ZEL_GrafboxSDL> box;
};

}  // namespace

TEST_F(TileTest, ReadsRecordsInOrderUntilTheEnd) {
  FILE* f = fopen(file("three.tle", threeRecords()).c_str(), "rb");
  ASSERT_NE(f, nullptr);
  ZEL_Tile a(box.get()), b(box.get()), c(box.get()), end(box.get());
  EXPECT_EQ(a.ReadTle(f), 1);
  EXPECT_EQ(ftell(f), RECORD_ENDS[0]);
  EXPECT_EQ(b.ReadTle(f), 1);
  EXPECT_EQ(c.ReadTle(f), 1);
  EXPECT_EQ(end.ReadTle(f), -1);
  fclose(f);

  EXPECT_EQ(a.get_largeur(), 2);
  EXPECT_EQ(a.get_hauteur(), 1);
  EXPECT_EQ(b.get_largeur(), 3);
  EXPECT_EQ(b.get_hauteur(), 2);
  EXPECT_EQ(tilePixel(a, 1, 0), patternColour(0, 1, 0));
  EXPECT_EQ(tilePixel(b, 2, 1), patternColour(1, 2, 1));
  EXPECT_EQ(tilePixel(c, 0, 1), patternColour(2, 0, 1));
  // Only the value 1 means walkable, and only 1 keys out black.
  EXPECT_TRUE(a.IsWalkable());
  EXPECT_FALSE(b.IsWalkable());
  EXPECT_FALSE(c.IsWalkable());
  EXPECT_TRUE(isKeyed(a));
  EXPECT_FALSE(isKeyed(b));
  EXPECT_FALSE(isKeyed(c));
  EXPECT_EQ(end.get_largeur(), 0);
  EXPECT_EQ(end.get_hauteur(), 0);

  // Reading again replaces the image.
  ZEL_Tile again(box.get());
  again.ReadTle(file("three.tle", threeRecords()).c_str());
  EXPECT_EQ(again.get_largeur(), 2);
  again.ReadTle(file("one.tle", plainTle(4, 3, BLUE, 1)).c_str());
  EXPECT_EQ(again.get_largeur(), 4);
  EXPECT_EQ(again.getSurface()->getLargeur(), 4);
  EXPECT_EQ(tilePixel(again, 3, 2), BLUE);
}

TEST_F(TileTest, SkipCountsWholeNonEmptyRecordsOnly) {
  std::vector<uint8_t> bytes = threeRecords();
  std::vector<uint8_t> cut = plainTle(2, 2, RED, 1);
  cut.resize(cut.size() - 1);  // header complete, pixel block one byte short
  appendBytes(bytes, cut);
  FILE* f = fopen(file("four.tle", bytes).c_str(), "rb");
  ZEL_Tile scratch(box.get());
  scratch.ReadTle(file("one.tle", plainTle(4, 3, BLUE, 1)).c_str());
  for (long recordEnd : RECORD_ENDS) {
    EXPECT_EQ(scratch.SkipTle(f), 1);
    EXPECT_EQ(ftell(f), recordEnd);
  }
  EXPECT_EQ(scratch.SkipTle(f), -1);
  EXPECT_EQ(scratch.SkipTle(f), -1);
  fclose(f);
  // The tile itself is untouched.
  EXPECT_EQ(scratch.get_largeur(), 4);
  EXPECT_TRUE(scratch.IsWalkable());

  // Records of no width or no height end the count.
  for (const auto& empty : {plainTle(0, 3, RED, 1), plainTle(3, 0, RED, 1)}) {
    std::vector<uint8_t> withEmpty = empty;
    appendBytes(withEmpty, plainTle(1, 1, RED, 1));
    f = fopen(file("empty.tle", withEmpty).c_str(), "rb");
    EXPECT_EQ(scratch.SkipTle(f), -1);
    fclose(f);
  }
  f = fopen(file("nothing.tle", {}).c_str(), "rb");
  EXPECT_EQ(scratch.SkipTle(f), -1);
  fclose(f);
}

TEST_F(TileTest, WriteThenReadKeepsSizesAttributesAndPixels) {
  const std::string source = file("three.tle", threeRecords());
  const std::string copy = dir.file("copy.tle");
  FILE* in = fopen(source.c_str(), "rb");
  FILE* out = fopen(copy.c_str(), "wb");
  for (int i = 0; i < 3; ++i) {
    ZEL_Tile t(box.get());
    ASSERT_EQ(t.ReadTle(in), 1);
    t.WriteTle(out);
  }
  fclose(in);
  fclose(out);
  // The same bytes, with every fourth pixel byte written as 0.
  EXPECT_EQ(readFile(copy), threeRecords(0));

  // The named form reads the first record only.
  ZEL_Tile first(box.get());
  first.ReadTle(copy.c_str());
  EXPECT_EQ(first.get_largeur(), 2);
  EXPECT_EQ(tilePixel(first, 0, 0), patternColour(0, 0, 0));
  EXPECT_TRUE(first.IsWalkable());
  EXPECT_TRUE(isKeyed(first));

  // Largest side accepted.
  ZEL_Tile wide(box.get());
  wide.ReadTle(file("wide.tle", plainTle(ZEL_Tile::MAX_SIDE, 1, RED, 0)).c_str());
  EXPECT_EQ(wide.get_largeur(), ZEL_Tile::MAX_SIDE);
  EXPECT_EQ(tilePixel(wide, ZEL_Tile::MAX_SIDE - 1, 0), RED);
}

TEST_F(TileTest, SetImageWritesTheSameRecordAsReading) {
  const std::vector<uint8_t> record = tleRecord(
      3, 2, {7, 1, 8, 9, 1}, [](int x, int y) { return x == 1 && y == 1 ? TileRgb{0, 0, 0} : patternColour(1, x, y); });
  ZEL_Surface* image = box->getSurface(3, 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) {
      const TileRgb c = x == 1 && y == 1 ? TileRgb{0, 0, 0} : patternColour(1, x, y);
      image->setPixel(x, y, c.r, c.g, c.b);
    }
  ZEL_Tile t(box.get());
  t.ReadTle(file("one.tle", plainTle(4, 3, BLUE, 0)).c_str());  // replaced below
  t.setImage(image, 7, 1, 8, 9, 1);
  EXPECT_EQ(t.getSurface(), image);
  EXPECT_EQ(t.get_largeur(), 3);
  EXPECT_EQ(t.get_hauteur(), 2);
  EXPECT_TRUE(t.IsWalkable());
  EXPECT_TRUE(isKeyed(t));
  const std::string out = dir.file("made.tle");
  FILE* f = fopen(out.c_str(), "wb");
  t.WriteTle(f);
  fclose(f);
  EXPECT_EQ(readFile(out), record);

  // Solid and opaque; the same image again is kept, not freed.
  ZEL_Surface* plain = box->getSurface(1, 1);
  plain->setPixel(0, 0, 0, 0, 0);
  ZEL_Tile solid(box.get());
  solid.setImage(plain, 0, 2, 0, 0, 2);
  solid.setImage(plain, 0, 0, 0, 0, 0);
  EXPECT_EQ(solid.getSurface(), plain);
  EXPECT_FALSE(solid.IsWalkable());
  EXPECT_FALSE(isKeyed(solid));
}

TEST_F(TileTest, DrawPassesSixteenBitPositions) {
  ZEL_Tile t(box.get());
  t.ReadTle(
      file("rb.tle", tleRecord(2, 2, {0, 1, 0, 0, 1},
                               [](int x, int y) {
                                 return x == 0 && y == 0 ? TileRgb{0, 0, 0} : (x == 1 ? BLUE : RED);
                               }))
          .c_str());
  box->set_clipping(0, 0, WIDTH, HEIGHT);
  box->fill_virtual(BACKGROUND.r, BACKGROUND.g, BACKGROUND.b);
  t.draw(10, 20);
  EXPECT_EQ(screenAt(10, 20), BACKGROUND);  // black is keyed out
  EXPECT_EQ(screenAt(11, 20), BLUE);
  EXPECT_EQ(screenAt(10, 21), RED);
  EXPECT_EQ(screenAt(12, 20), BACKGROUND);

  // -1 arrives as 65535: one column left of the edge, clipped.
  box->fill_virtual(BACKGROUND.r, BACKGROUND.g, BACKGROUND.b);
  t.draw(static_cast<unsigned int>(-1), 30, box.get());
  EXPECT_EQ(screenAt(0, 30), BLUE);
  EXPECT_EQ(screenAt(0, 31), BLUE);
  EXPECT_EQ(screenAt(1, 30), BACKGROUND);
  // Only the low 16 bits count.
  box->fill_virtual(BACKGROUND.r, BACKGROUND.g, BACKGROUND.b);
  t.draw(0x10000 + 5, 0x10000 + 6);
  EXPECT_EQ(screenAt(6, 6), BLUE);
  EXPECT_EQ(screenAt(5, 7), RED);

  // A tile never read draws nothing.
  ZEL_Tile unread(box.get());
  box->fill_virtual(BACKGROUND.r, BACKGROUND.g, BACKGROUND.b);
  unread.draw(0, 0);
  EXPECT_EQ(screenAt(0, 0), BACKGROUND);
}

TEST(TileOutputTest, NamedWriteDumpsThePixelsOnStandardError) {
  TempDir dir;
  const std::string source = dir.file("rb.tle");
  const std::string target = dir.file("out.tle");
  writeFile(source, tleRecord(
                        2, 1, {1, 0, 2, 3, 4}, [](int x, int) { return x == 0 ? RED : BLUE; }, 9));
  const ChildResult r = runOnDummyScreen([&](ZEL_GrafboxSDL& box) {
    ZEL_Tile t(&box);
    t.ReadTle(source.c_str());
    t.WriteTle(target.c_str());
  });
  ASSERT_TRUE(r.exited && r.exitCode == 0) << describe(r);
  EXPECT_EQ(r.err, "(255,0,0)(0,0,255)\n-----------------------------------\n");
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(readFile(target),
            tleRecord(2, 1, {1, 0, 2, 3, 4}, [](int x, int) { return x == 0 ? RED : BLUE; }));
}

TEST(TileExitTest, FilesThatCannotBeOpenedOrWritten) {
  TempDir dir;
  const std::string missing = dir.file("missing.tle");
  ChildResult r =
      runOnDummyScreen([&](ZEL_GrafboxSDL& box) { ZEL_Tile(&box).ReadTle(missing.c_str()); });
  EXPECT_TRUE(r.exited && r.exitCode == 255) << describe(r);
  EXPECT_EQ(r.out, "erreur d'ouverture du fichier " + missing);

  const std::string noDir = dir.file("no/such.tle");
  r = runOnDummyScreen([&](ZEL_GrafboxSDL& box) { ZEL_Tile(&box).WriteTle(noDir.c_str()); });
  EXPECT_TRUE(r.exited && r.exitCode == 255) << describe(r);
  EXPECT_EQ(r.out, "erreur d'ecriture dans le fichier " + noDir);

  // A device that takes no bytes: the lost record is reported.
  const std::string source = dir.file("one.tle");
  writeFile(source, plainTle(2, 2, RED, 1));
  r = runOnDummyScreen([&](ZEL_GrafboxSDL& box) {
    ZEL_Tile t(&box);
    t.ReadTle(source.c_str());
    t.WriteTle("/dev/full");
  });
  EXPECT_TRUE(r.exited && r.exitCode == 255) << describe(r);
  EXPECT_EQ(r.out, "erreur d'ecriture dans le fichier /dev/full");
}

TEST(TileExitTest, ShortPixelBlocksEndTheProcess) {
  TempDir dir;
  std::vector<uint8_t> bytes = plainTle(2, 2, RED, 1);
  bytes.pop_back();
  const std::string path = dir.file("short.tle");
  writeFile(path, bytes);
  // From a stream: closed, then the message on standard error.
  ChildResult r = runOnDummyScreen([&](ZEL_GrafboxSDL& box) {
    FILE* f = fopen(path.c_str(), "rb");
    ZEL_Tile(&box).ReadTle(f);
  });
  EXPECT_TRUE(r.exited && r.exitCode == 255) << describe(r);
  EXPECT_EQ(r.err, READ_ERROR);
  EXPECT_EQ(r.out, "");
  // From a named file: on standard output.
  r = runOnDummyScreen([&](ZEL_GrafboxSDL& box) { ZEL_Tile(&box).ReadTle(path.c_str()); });
  EXPECT_TRUE(r.exited && r.exitCode == 255) << describe(r);
  EXPECT_EQ(r.out, READ_ERROR);
  EXPECT_EQ(r.err, "");
}

TEST(TileExitTest, HostileSizesEndWithTheReadMessage) {
  TempDir dir;
  const std::string path = dir.file("bad.tle");
  const int32_t sizes[][2] = {{-1, 1},
                              {1, -1},
                              {INT32_MIN, INT32_MIN},
                              {ZEL_Tile::MAX_SIDE + 1, 1},
                              {1, ZEL_Tile::MAX_SIDE + 1},
                              {65536, 65536}};
  for (const auto& s : sizes) {
    std::vector<uint8_t> bytes = tleHeader(s[0], s[1], {0, 0, 0, 0, 1});
    bytes.resize(bytes.size() + 64, 0);
    writeFile(path, bytes);
    const std::string what = std::to_string(s[0]) + " x " + std::to_string(s[1]);
    ChildResult r =
        runOnDummyScreen([&](ZEL_GrafboxSDL& box) { ZEL_Tile(&box).ReadTle(path.c_str()); });
    EXPECT_TRUE(r.exited && r.exitCode == 255 && r.out == READ_ERROR) << what << describe(r);
    r = runOnDummyScreen([&](ZEL_GrafboxSDL& box) {
      FILE* f = fopen(path.c_str(), "rb");
      ZEL_Tile(&box).ReadTle(f);
    });
    EXPECT_TRUE(r.exited && r.exitCode == 255 && r.out == READ_ERROR) << what << describe(r);
    r = runOnDummyScreen([&](ZEL_GrafboxSDL& box) {
      FILE* f = fopen(path.c_str(), "rb");
      ZEL_Tile(&box).SkipTle(f);
    });
    EXPECT_TRUE(r.exited && r.exitCode == 255 && r.out == READ_ERROR) << what << describe(r);
  }
}

// A header that announces the largest tile in a 21-byte file: the loader
// gives up before making a 64 MiB image.
TEST(TileExitTest, FewByteFileAllocatesNothingLarge) {
  TempDir dir;
  const std::string path = dir.file("huge.tle");
  std::vector<uint8_t> bytes = tleHeader(ZEL_Tile::MAX_SIDE, ZEL_Tile::MAX_SIDE, {0, 0, 0, 0, 1});
  bytes.resize(21, 0x55);
  writeFile(path, bytes);
  static long baselineKb = 0;
  const ChildResult r = runOnDummyScreen([&](ZEL_GrafboxSDL& box) {
    rusage u;
    getrusage(RUSAGE_SELF, &u);
    baselineKb = u.ru_maxrss;
    atexit([] {
      rusage end;
      getrusage(RUSAGE_SELF, &end);
      fprintf(stderr, "%ld", end.ru_maxrss - baselineKb);
    });
    ZEL_Tile(&box).ReadTle(path.c_str());
  });
  ASSERT_TRUE(r.exited && r.exitCode == 255) << describe(r);
  EXPECT_EQ(r.out, READ_ERROR);
  const long growthKb = atol(r.err.c_str());
  EXPECT_LT(growthKb, 16 * 1024) << "resident set grew by " << growthKb << " KiB";
}
