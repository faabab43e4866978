#include "zel_anim_data.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "anim_files.h"
#include "child_process.h"
#include "zel_grafbox_sdl.h"
#include "zel_surface.h"
#include "zel_timer_sdl.h"

namespace {

struct Rgb {
  unsigned char r, g, b;
  bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

std::ostream& operator<<(std::ostream& os, const Rgb& c) {
  return os << "(" << int(c.r) << "," << int(c.g) << "," << int(c.b) << ")";
}

const Rgb TRANSPARENT = {0, 0, 0};
const Rgb NEAR_BLACK = {0, 0, 1};

Rgb pixel(ZEL_AnimData& a, int frame, int x, int y) {
  Rgb c;
  a.getFrames()->elementAt(frame)->getPixel(x, y, &c.r, &c.g, &c.b);
  return c;
}

// Three 2 x 2 frames: frame f has pixel (x, y) = (10f + 2y + x + 1, 0, 0),
// except pixel (0, 0) of frame 1, black, and (1, 1) of frame 2, near-black.
std::vector<SprRgb> threeFramePixels() {
  std::vector<SprRgb> p;
  for (int f = 0; f < 3; ++f)
    for (int i = 0; i < 4; ++i) p.push_back({static_cast<uint8_t>(10 * f + i + 1), 0, 0});
  p[4] = {0, 0, 0};
  p[11] = {0, 0, 1};
  return p;
}

const std::vector<int32_t> THREE_BOXES = {0, 0, 1, 1, 1, 0, 1, 1, -3, 4, 70000, -1};

// Runs body in a child with a 32-bit screen on SDL's dummy driver.
ChildResult loadInChild(const std::function<void(ZEL_Grafbox&)>& body) {
  return runInChild([&] {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ZEL_GrafboxSDL box(64, 64, 32, false);
    box.setVideoMode(64, 64, 32, false);
    body(box);
  });
}

class AnimDataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    box.reset(new ZEL_GrafboxSDL(64, 64, 32, false));
    box->init_graf();
  }
  void TearDown() override {
    for (const std::string& p : files) remove(p.c_str());
  }
  std::string file(const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::string p = tempPath(name);
    writeFile(p, bytes);
    files.push_back(p);
    return p;
  }
  std::unique_ptr<ZEL_GrafboxSDL> box;
  std::vector<std::string> files;
};

}  // namespace

TEST_F(AnimDataTest, SprLoadsFramesDelaysKeysAndBoxes) {
  const auto bytes = sprBytes(3, 7, 2, 2, threeFramePixels(), THREE_BOXES);
  ASSERT_EQ(bytes.size(), 104u);
  ZEL_AnimData a(file("three.spr", bytes).c_str(), box.get(), nullptr);
  ASSERT_EQ(a.getNbFrames(), 3u);
  EXPECT_EQ(a.get_largeur(), 2u);
  EXPECT_EQ(a.get_hauteur(), 2u);
  for (int f = 0; f < 3; ++f) EXPECT_EQ(*a.getDelays()->elementAt(f), 7u);
  EXPECT_EQ(pixel(a, 0, 1, 1), (Rgb{4, 0, 0}));
  EXPECT_EQ(pixel(a, 2, 1, 0), (Rgb{22, 0, 0}));
  const ZEL_Rect* r = a.getBoundBoxes()->elementAt(2);
  EXPECT_EQ(r->x1, -3);
  EXPECT_EQ(r->y1, 4);
  EXPECT_EQ(r->x2, 70000);
  EXPECT_EQ(r->y2, -1);

  // Black is keyed out, near-black is drawn.
  box->fill_virtual(50, 60, 70);
  box->put_sprite(a.getFrames()->elementAt(1), 10, 10, 2, 2);
  box->put_sprite(a.getFrames()->elementAt(2), 20, 20, 2, 2);
  Rgb c;
  box->get_pix(10, 10, &c.r, &c.g, &c.b);
  EXPECT_EQ(c, (Rgb{50, 60, 70}));
  box->get_pix(21, 21, &c.r, &c.g, &c.b);
  EXPECT_EQ(c, NEAR_BLACK);
}

TEST_F(AnimDataTest, SprWithoutBoxBlockStillLoads) {
  auto bytes = sprBytes(3, 0, 2, 2, threeFramePixels(), THREE_BOXES);
  bytes.resize(8 + 48 + 20);  // one whole box, then the first value of the second
  ZEL_AnimData a(file("short.spr", bytes).c_str(), box.get(), nullptr);
  EXPECT_EQ(a.getBoundBoxes()->elementAt(0)->x2, 1);
  EXPECT_EQ(a.getBoundBoxes()->elementAt(1)->x1, 1);
  EXPECT_EQ(a.getBoundBoxes()->elementAt(1)->x2, 0);
  for (int f = 2; f < 3; ++f) {
    const ZEL_Rect* r = a.getBoundBoxes()->elementAt(f);
    EXPECT_EQ(r->x1 | r->y1 | r->x2 | r->y2, 0) << f;
  }
}

TEST_F(AnimDataTest, WriteSprReproducesTheFileByteForByte) {
  const auto bytes = sprBytes(3, 9, 2, 2, threeFramePixels(), THREE_BOXES);
  ZEL_AnimData a(file("in.spr", bytes).c_str(), box.get(), nullptr);
  const std::string out = tempPath("out.spr");
  files.push_back(out);
  a.WriteSpr(out.c_str());
  EXPECT_EQ(readFile(out), bytes);
}

TEST_F(AnimDataTest, FramesAddedInMemoryWriteTheSameSpr) {
  const std::vector<SprRgb> pixels = threeFramePixels();
  std::vector<std::unique_ptr<ZEL_Surface>> surfaces;  // the caller's, not the animation's
  ZEL_AnimData made(box.get(), nullptr);
  for (int f = 0; f < 3; ++f) {
    surfaces.emplace_back(box->getSurface(2, 2));
    ZEL_Surface* s = surfaces.back().get();
    for (int i = 0; i < 4; ++i) {
      const SprRgb& c = pixels[static_cast<size_t>(4 * f + i)];
      s->setPixel(i % 2, i / 2, c.r, c.g, c.b);
    }
    const int32_t* b = &THREE_BOXES[static_cast<size_t>(4 * f)];
    made.addFrame(s, 9, ZEL_Rect{b[0], b[1], b[2], b[3]});
  }
  EXPECT_EQ(made.getNbFrames(), 3u);
  EXPECT_EQ(made.get_largeur(), 2u);
  EXPECT_EQ(made.get_hauteur(), 2u);
  const std::string out = tempPath("made.spr");
  files.push_back(out);
  made.WriteSpr(out.c_str());
  EXPECT_EQ(readFile(out), sprBytes(3, 9, 2, 2, pixels, THREE_BOXES));

  // Black is keyed out, as in a loaded frame.
  box->fill_virtual(50, 60, 70);
  box->put_sprite(made.getFrames()->elementAt(1), 10, 10, 2, 2);
  Rgb c;
  box->get_pix(10, 10, &c.r, &c.g, &c.b);
  EXPECT_EQ(c, (Rgb{50, 60, 70}));
}

TEST_F(AnimDataTest, GifFramesTakeTheirOwnSizeDelaysAndBoxes) {
  ZEL_TimerSDL timer;
  timer.setRate(100);
  const std::vector<uint8_t> table = {0, 0, 0, 255, 0, 0, 0, 255, 0, 255, 255, 255};
  std::vector<uint8_t> middle(5 * 4, 0);  // visible pixels only in the middle
  middle[1 * 5 + 2] = 1;
  middle[2 * 5 + 3] = 2;
  const auto gif = GifBuilder(8, 8, table)
                       .application()
                       .comment("drawn by hand")
                       .control(10, 0)
                       .image(5, 4, middle, 2)
                       .control(25)
                       .image(2, 1, {3, 1}, 2)
                       .finish();
  const std::string path = file("two.gif", gif);
  ZEL_AnimData a(path.c_str(), box.get(), &timer);
  ASSERT_EQ(a.getNbFrames(), 2u);
  EXPECT_EQ(a.get_largeur(), 8u);  // the logical screen
  EXPECT_EQ(a.getFrames()->elementAt(0)->getLargeur(), 5);
  EXPECT_EQ(a.getFrames()->elementAt(1)->getLargeur(), 2);
  EXPECT_EQ(*a.getDelays()->elementAt(0), 1u);
  EXPECT_EQ(*a.getDelays()->elementAt(1), 2u);
  const ZEL_Rect* r = a.getBoundBoxes()->elementAt(0);
  EXPECT_EQ(r->x1, 2);
  EXPECT_EQ(r->y1, 1);
  EXPECT_EQ(r->x2, 3);
  EXPECT_EQ(r->y2, 2);
  EXPECT_EQ(pixel(a, 0, 0, 0), TRANSPARENT);       // index 0 is transparent
  EXPECT_EQ(pixel(a, 1, 0, 0), (Rgb{255, 255, 255}));
  EXPECT_EQ(pixel(a, 1, 1, 0), (Rgb{255, 0, 0}));

  ZEL_AnimData untimed(path.c_str(), box.get(), nullptr);
  EXPECT_EQ(*untimed.getDelays()->elementAt(0), 0u);
  EXPECT_EQ(*untimed.getDelays()->elementAt(1), 0u);

  // Extensions change nothing.
  const auto plain = GifBuilder(8, 8, table).control(10, 0).image(5, 4, middle, 2).finish();
  ZEL_AnimData b(file("plain.gif", plain).c_str(), box.get(), &timer);
  EXPECT_EQ(pixel(b, 0, 2, 1), pixel(a, 0, 2, 1));
}

TEST_F(AnimDataTest, GifColoursTransparencyAndTables) {
  // Entry 0 white is the transparent index: index-0 pixels vanish, other
  // white pixels and black ones are drawn near-black.
  const std::vector<uint8_t> table = {255, 255, 255, 0, 0, 0, 9, 8, 7, 255, 255, 255};
  auto gif = GifBuilder(4, 1, table).control(0, 0).image(4, 1, {0, 1, 2, 3}, 2).finish();
  ZEL_AnimData a(file("key.gif", gif).c_str(), box.get(), nullptr);
  EXPECT_EQ(pixel(a, 0, 0, 0), TRANSPARENT);
  EXPECT_EQ(pixel(a, 0, 1, 0), NEAR_BLACK);
  EXPECT_EQ(pixel(a, 0, 2, 0), (Rgb{9, 8, 7}));
  EXPECT_EQ(pixel(a, 0, 3, 0), NEAR_BLACK);

  // No global table: a grey ramp. A local table wins over either.
  gif = GifBuilder(3, 1, {}, "87a")
            .image(3, 1, {77, 0, 200})
            .image(1, 1, {1}, 2, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12})
            .finish();
  ZEL_AnimData grey(file("grey.gif", gif).c_str(), box.get(), nullptr);
  EXPECT_EQ(pixel(grey, 0, 0, 0), (Rgb{77, 77, 77}));
  EXPECT_EQ(pixel(grey, 0, 1, 0), NEAR_BLACK);
  EXPECT_EQ(pixel(grey, 0, 2, 0), (Rgb{200, 200, 200}));
  EXPECT_EQ(pixel(grey, 1, 0, 0), (Rgb{4, 5, 6}));
  // Frames without graphic control data: one delay entry each, 0 steps.
  EXPECT_EQ(grey.getDelays()->getSize(), 2);
  EXPECT_EQ(*grey.getDelays()->elementAt(1), 0u);

  // Indices beyond a two-entry table read as black, drawn near-black; a
  // transparent index beyond it still keys its pixels out.
  gif = GifBuilder(3, 1, {10, 20, 30, 40, 50, 60}).control(0, 3).image(3, 1, {1, 2, 3}, 2).finish();
  ZEL_AnimData small(file("small.gif", gif).c_str(), box.get(), nullptr);
  EXPECT_EQ(pixel(small, 0, 0, 0), (Rgb{40, 50, 60}));
  EXPECT_EQ(pixel(small, 0, 1, 0), NEAR_BLACK);
  EXPECT_EQ(pixel(small, 0, 2, 0), TRANSPARENT);
}

TEST_F(AnimDataTest, InterlacedRowsAndBoundBoxes) {
  const std::vector<uint8_t> table = {0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3};
  // Stored in pass order: rows 0, 2, 1.
  const auto gif = GifBuilder(1, 3, table).image(1, 3, {1, 2, 3}, 2, {}, true).finish();
  ZEL_AnimData a(file("inter.gif", gif).c_str(), box.get(), nullptr);
  EXPECT_EQ(pixel(a, 0, 0, 0).r, 1);
  EXPECT_EQ(pixel(a, 0, 0, 1).r, 3);
  EXPECT_EQ(pixel(a, 0, 0, 2).r, 2);

  std::unique_ptr<ZEL_Surface> s(box->getSurface(4, 3));
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) s->setPixel(x, y, 0, 0, 0);
  ZEL_Rect r;
  ZEL_AnimData::calculateOptimizedBoundBox(&r, s.get(), 4, 3);
  EXPECT_EQ(r.x1, 0);
  EXPECT_EQ(r.y1, 0);
  EXPECT_EQ(r.x2, 3);
  EXPECT_EQ(r.y2, 2);
  s->setPixel(2, 1, 0, 0, 1);
  ZEL_AnimData::calculateOptimizedBoundBox(&r, s.get(), 4, 3);
  EXPECT_EQ(r.x1, 2);
  EXPECT_EQ(r.y1, 1);
  EXPECT_EQ(r.x2, 2);
  EXPECT_EQ(r.y2, 1);
}

TEST(AnimDataExitTest, BadNamesAndFilesEndWithTheirMessages) {
  const std::string dir = tempPath("");
  struct Case {
    std::string name;
    std::vector<uint8_t> bytes;  // empty: no file
    std::string out, err;
  };
  const auto spr = sprBytes(3, 0, 2, 2, threeFramePixels(), THREE_BOXES);
  std::vector<uint8_t> cut(spr.begin(), spr.begin() + 8 + 16 + 5);
  const std::vector<uint8_t> noFrames = sprBytes(0, 0, 2, 2, {}, {});
  const std::vector<uint8_t> huge = sprBytes(65535, 0, 65535, 65535, {}, {});
  const std::vector<uint8_t> gix = {'G', 'I', 'X', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0, 0x3B};
  const std::vector<uint8_t> trailerOnly = GifBuilder(1, 1, {}).finish();
  std::vector<Case> cases = {
      {"walk.SPR", {1}, "extension inconnue:" + dir + "walk.SPR\n", ""},
      {"missing.spr", {}, "erreur d'ouverture du fichier " + dir + "missing.spr\n", ""},
      {"cut.spr", cut, "", "erreur de lecture de la frame 2"},
      {"none.spr", noFrames, "", "erreur de lecture de la frame 1"},
      {"huge.spr", huge, "", "erreur de lecture de la frame 1"},
      {"walk.gif.spr", spr, "le fichier " + dir + "walk.gif.spr n'est pas un GIF valide!\n", ""},
      {"gix.gif", gix, "le fichier " + dir + "gix.gif n'est pas un GIF valide!\n", ""},
      {"missing.gif", {}, "fichier " + dir + "missing.gif non trouv\xe9\n", ""},
      {"end.gif", trailerOnly, "fichier " + dir + "end.gif a une fin pr\xe9matur\xe9" "e\n", ""},
  };
  for (const Case& c : cases) {
    const std::string path = dir + c.name;
    if (!c.bytes.empty()) writeFile(path, c.bytes);
    const ChildResult r = loadInChild([&](ZEL_Grafbox& box) { ZEL_AnimData a(path.c_str(), &box, nullptr); });
    EXPECT_EQ(r.exitCode, 255) << c.name << "\n" << describe(r);
    EXPECT_EQ(r.out, c.out) << c.name;
    EXPECT_EQ(r.err, c.err) << c.name;
    remove(path.c_str());
  }
}

TEST(AnimDataExitTest, GifWarningsAndCorruptData) {
  const std::string path = tempPath("slow.gif");
  // Rate 1 step per second cannot show a 0.05 s frame.
  writeFile(path, GifBuilder(1, 1, {}).control(5).image(1, 1, {9}).finish());
  ChildResult r = loadInChild([&](ZEL_Grafbox& box) {
    ZEL_TimerSDL timer;
    timer.setRate(1);
    ZEL_AnimData a(path.c_str(), &box, &timer);
    CHILD_CHECK(*a.getDelays()->elementAt(0) == 0);
  });
  EXPECT_EQ(r.exitCode, 0) << describe(r);
  EXPECT_EQ(r.out, "Attention le timer a un taux de FPS trop faible pour respecter le timing de l'anim " +
                       path + "\n");

  // A code above the next free code; a minimum code size of 12; an image
  // of no pixel; data cut inside its sub-blocks.
  const std::vector<std::vector<uint8_t>> corrupt = {
      GifBuilder(1, 1, {}).raw({0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 8, 2, 0xFF, 0xFF, 0}).finish(),
      GifBuilder(1, 1, {}).raw({0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 12, 2, 0x00, 0x10, 0}).finish(),
      GifBuilder(1, 1, {}).raw({0x2C, 0, 0, 0, 0, 0, 0, 1, 0, 0, 8, 2, 0x00, 0x01, 0}).finish(),
      GifBuilder(1, 1, {}).raw({0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 8, 9, 0x00}).unfinished(),
  };
  for (const auto& bytes : corrupt) {
    writeFile(path, bytes);
    r = loadInChild([&](ZEL_Grafbox& box) { ZEL_AnimData a(path.c_str(), &box, nullptr); });
    EXPECT_EQ(r.exitCode, 255) << describe(r);
    EXPECT_EQ(r.out, "fichier " + path + " corrompu!\n");
  }
  remove(path.c_str());
}

TEST(AnimDataExitTest, FrameOfAnotherSizeIsRefused) {
  const ChildResult r = loadInChild([](ZEL_Grafbox& box) {
    ZEL_AnimData a(&box, nullptr);
    a.addFrame(box.getSurface(2, 2), 0, ZEL_Rect());
    a.addFrame(box.getSurface(2, 3), 0, ZEL_Rect());
  });
  EXPECT_EQ(r.exitCode, 255) << describe(r);
  EXPECT_EQ(r.out, "la frame 2 n'a pas la taille de l'anim\n");
}

// A 4096 x 4096 image whose stream ends at once: 18 bytes announcing 16M
// pixels, all left at index 0.
std::vector<uint8_t> emptyLargestImage() {
  const uint8_t clearThenEnd = 0x2C;  // 3-bit codes 4 (clear) then 5 (end)
  return {0x2C, 0, 0, 0, 0, 0x00, 0x10, 0x00, 0x10, 0, 2, 1, clearThenEnd, 0};
}

TEST(AnimDataExitTest, FramesOfOneGifAreBoundedTogether) {
  const std::string path = tempPath("many.gif");
  GifBuilder gif(1, 1, {0, 0, 0, 255, 255, 255, 1, 2, 3, 4, 5, 6});
  for (int i = 0; i < 3; ++i) gif.raw(emptyLargestImage());
  writeFile(path, gif.finish());
  const ChildResult r = loadInChild([&](ZEL_Grafbox& box) { ZEL_AnimData a(path.c_str(), &box, nullptr); });
  EXPECT_EQ(r.exitCode, 255) << describe(r);
  EXPECT_EQ(r.out, "fichier " + path + " corrompu!\n");
  remove(path.c_str());
}

TEST(AnimDataExitTest, WriteSprFailuresAreReported) {
  const std::string spr = tempPath("w.spr");
  writeFile(spr, sprBytes(3, 0, 2, 2, threeFramePixels(), THREE_BOXES));
  for (const std::string& target : {std::string("/nonexistent-dir/x.spr"), std::string("/dev/full")}) {
    const ChildResult r = loadInChild([&](ZEL_Grafbox& box) {
      ZEL_AnimData a(spr.c_str(), &box, nullptr);
      a.WriteSpr(target.c_str());
    });
    EXPECT_EQ(r.exitCode, 255) << describe(r);
    EXPECT_EQ(r.out, "erreur d'ecriture dans le fichier " + target + "\n");
  }
  remove(spr.c_str());
}
