#include "zel_grafbox_sdl.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "child_process.h"

namespace {

const int WIDTH = 320;
const int HEIGHT = 240;

struct Rgb {
  unsigned char r, g, b;
  bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

std::ostream& operator<<(std::ostream& os, const Rgb& c) {
  return os << "(" << int(c.r) << "," << int(c.g) << "," << int(c.b) << ")";
}

const Rgb BACKGROUND = {10, 20, 30};
const Rgb RED = {255, 0, 0};
const Rgb NEAR_BLACK = {0, 0, 1};
const Rgb BLACK = {0, 0, 0};

Rgb screenAt(ZEL_Grafbox& box, int x, int y) {
  Rgb c;
  box.get_pix(x, y, &c.r, &c.g, &c.b);
  return c;
}

// A surface of the given width, one pixel high, from a list of colours.
std::unique_ptr<ZEL_Surface> makeRow(ZEL_Grafbox& box, std::initializer_list<Rgb> colours) {
  std::unique_ptr<ZEL_Surface> s(box.getSurface(static_cast<int>(colours.size()), 1));
  int x = 0;
  for (const Rgb& c : colours) s->setPixel(x++, 0, c.r, c.g, c.b);
  return s;
}

std::unique_ptr<ZEL_Surface> makeSquare(ZEL_Grafbox& box, int side, Rgb c) {
  std::unique_ptr<ZEL_Surface> s(box.getSurface(side, side));
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) s->setPixel(x, y, c.r, c.g, c.b);
  return s;
}

class GrafboxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    box.reset(new ZEL_GrafboxSDL(WIDTH, HEIGHT, 32, false));
    box->init_graf();
    box->set_clipping(0, 0, WIDTH, HEIGHT);
    box->fill_virtual(BACKGROUND.r, BACKGROUND.g, BACKGROUND.b);
  }
  void TearDown() override { box.reset(); }
  std::unique_ptr<ZEL_GrafboxSDL> box;
};

std::string tempPath(const char* name) {
  const char* dir = getenv("TMPDIR");
  return std::string(dir != nullptr ? dir : "/tmp") + "/zel_" + std::to_string(getpid()) + "_" + name;
}

// Writes a BMP of w x h pixels with colour (x * 40, y * 60, 7) at (x, y).
void writeBmp(const std::string& path, int w, int h, int depth) {
  // An 8-bit surface with 3-3-2 masks gets a matching palette.
  SDL_Surface* s = depth == 8 ? SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 8, 0xE0, 0x1C, 0x03, 0)
                              : SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, depth, 0xFF0000,
                                                     0x00FF00, 0x0000FF, 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      SDL_Rect r = {static_cast<Sint16>(x), static_cast<Sint16>(y), 1, 1};
      SDL_FillRect(s, &r, SDL_MapRGB(s->format, x * 40, y * 60, 7));
    }
  SDL_SaveBMP(s, path.c_str());
  SDL_FreeSurface(s);
}

}  // namespace

TEST_F(GrafboxTest, OpensInTheDesktopDepth) {
  EXPECT_EQ(ZEL_GrafboxSDL::getProfondeur(), 32);  // Xvfb's 24-bit desktop uses 32-bit pixels
  EXPECT_EQ(ZEL_GrafboxSDL::getScreen()->w, WIDTH);
  EXPECT_EQ(ZEL_GrafboxSDL::getVideoFlags(), ZEL_GrafboxSDL::ANY_FORMAT);
}

TEST_F(GrafboxTest, PixelsOutsideTheScreenAreIgnored) {
  for (int x : {-1, WIDTH, -WIDTH}) {
    box->set_pix(x, 0, 255, 255, 255);
    EXPECT_EQ(screenAt(*box, x, 0), BLACK);
  }
  box->set_pix(0, HEIGHT, 255, 255, 255);
  EXPECT_EQ(screenAt(*box, 0, HEIGHT - 1), BACKGROUND);
  EXPECT_EQ(screenAt(*box, WIDTH - 1, 0), BACKGROUND);  // the edge itself is inside
  box->set_pix(WIDTH - 1, HEIGHT - 1, 200, 100, 50);
  EXPECT_EQ(screenAt(*box, WIDTH - 1, HEIGHT - 1), (Rgb{200, 100, 50}));

  // Bounds follow the screen that is open now, not the one at construction.
  box->setVideoMode(WIDTH / 2, HEIGHT / 2, 32, false);
  box->set_pix(WIDTH / 2 + 10, 10, 255, 255, 255);  // beyond the smaller screen: no write
  EXPECT_EQ(screenAt(*box, WIDTH / 2 + 10, 10), BLACK);
  box->set_pix(WIDTH / 2 - 1, 10, 1, 2, 3);
  EXPECT_EQ(screenAt(*box, WIDTH / 2 - 1, 10), (Rgb{1, 2, 3}));
}

TEST_F(GrafboxTest, KeyedSpriteLeavesOutBlackAndDrawsNearBlack) {
  auto row = makeRow(*box, {BLACK, NEAR_BLACK, RED, BLACK});
  row->setTransparencyColor(0, 0, 0);
  box->put_sprite(row.get(), 5, 5, 1, 1);  // w and h do not limit the blit
  box->copy_virtual_to_screen();
  EXPECT_EQ(screenAt(*box, 5, 5), BACKGROUND);
  EXPECT_EQ(screenAt(*box, 6, 5), NEAR_BLACK);
  EXPECT_EQ(screenAt(*box, 7, 5), RED);
  EXPECT_EQ(screenAt(*box, 8, 5), BACKGROUND);

  // A clone has no colour key: its black pixels are drawn.
  std::unique_ptr<ZEL_Surface> copy(row->clone());
  box->put_sprite(copy.get(), 5, 6, 0, 0);
  EXPECT_EQ(screenAt(*box, 5, 6), BLACK);
  EXPECT_EQ(screenAt(*box, 7, 6), RED);
}

TEST_F(GrafboxTest, BlitsAreClippedAndPositionsAreSigned16Bit) {
  auto red = makeSquare(*box, 8, RED);
  box->set_clipping(10, 10, 20, 20);
  box->put_sprite(red.get(), 6, 6, 8, 8);
  EXPECT_EQ(screenAt(*box, 9, 9), BACKGROUND);
  EXPECT_EQ(screenAt(*box, 10, 10), RED);
  EXPECT_EQ(screenAt(*box, 13, 13), RED);
  EXPECT_EQ(screenAt(*box, 14, 14), BACKGROUND);
  box->put_sprite(red.get(), 27, 27, 8, 8);
  EXPECT_EQ(screenAt(*box, 29, 29), RED);
  EXPECT_EQ(screenAt(*box, 30, 30), BACKGROUND);  // clip ends at 29
  box->fill_virtual(0, 255, 0);                     // fills are clipped too
  EXPECT_EQ(screenAt(*box, 9, 10), BACKGROUND);
  EXPECT_EQ(screenAt(*box, 20, 20), (Rgb{0, 255, 0}));

  box->set_clipping(0, 0, WIDTH, HEIGHT);
  const Rgb a = {1, 100, 1}, b = {2, 100, 2}, c = {3, 100, 3};
  auto row = makeRow(*box, {a, b, c});
  box->put_sprite(row.get(), 65535, 40, 3, 1);  // x = -1: first column cut
  EXPECT_EQ(screenAt(*box, 0, 40), b);
  EXPECT_EQ(screenAt(*box, 1, 40), c);
  EXPECT_EQ(screenAt(*box, 2, 40), BACKGROUND);
  box->put_sprite(row.get(), 0, 65535, 3, 1);  // y = -1: nothing left to draw
  EXPECT_EQ(screenAt(*box, 0, 0), BACKGROUND);
}

TEST_F(GrafboxTest, GetSpriteAndWholeSurfaceCopies) {
  box->set_pix(50, 60, 9, 8, 7);
  box->set_pix(51, 61, 6, 5, 4);
  std::unique_ptr<ZEL_Surface> grab(box->getSurface(4, 4));
  box->get_sprite(grab.get(), 50, 60, 4, 4);
  Rgb c;
  grab->getPixel(0, 0, &c.r, &c.g, &c.b);
  EXPECT_EQ(c, (Rgb{9, 8, 7}));
  grab->getPixel(1, 1, &c.r, &c.g, &c.b);
  EXPECT_EQ(c, (Rgb{6, 5, 4}));
  grab->getPixel(2, 2, &c.r, &c.g, &c.b);
  EXPECT_EQ(c, BACKGROUND);

  box->copy_virtual_to_virtual(grab.get());
  EXPECT_EQ(screenAt(*box, 0, 0), (Rgb{9, 8, 7}));
  EXPECT_EQ(screenAt(*box, 4, 4), BACKGROUND);
  box->fill_screen(4, 5, 6);
  box->copy_screen_to_virtual();
  EXPECT_EQ(screenAt(*box, 100, 100), (Rgb{4, 5, 6}));
}

TEST_F(GrafboxTest, SurfacesAreRecordedAndOutliveTheBox) {
  const int before = ZEL_GrafboxSDL::getAllSurfaces().getSize();
  ZEL_Surface* a = box->getSurface(2, 2);
  ZEL_Surface* b = box->getSurface(3, 3, 16);
  ASSERT_EQ(ZEL_GrafboxSDL::getAllSurfaces().getSize(), before + 2);
  EXPECT_EQ(ZEL_GrafboxSDL::getAllSurfaces().elementAt(before), a);
  EXPECT_EQ(ZEL_GrafboxSDL::getAllSurfaces().elementAt(before + 1), b);
  // Converted to the display format whatever the depth asked for.
  EXPECT_EQ(static_cast<ZEL_SurfaceSDL*>(b)->getInternalData()->format->BitsPerPixel, 32);
  box.reset();  // the owners delete their surfaces after the box is gone
  delete a;
  delete b;
}

TEST_F(GrafboxTest, FullScreenStaysOnceAsked) {
  box->setVideoMode(WIDTH, HEIGHT, 32, true);
  EXPECT_NE(ZEL_GrafboxSDL::getVideoFlags() & 0x80000000u, 0u);
  box->setVideoMode(WIDTH, HEIGHT, 32, false);
  EXPECT_NE(ZEL_GrafboxSDL::getVideoFlags() & 0x80000000u, 0u);
  EXPECT_NE(ZEL_GrafboxSDL::getScreen()->flags & SDL_FULLSCREEN, 0u);
}

TEST(GrafboxBmpTest, ShowsABitmapAndReportsItsSize) {
  const std::string path = tempPath("show.bmp");
  for (int depth : {24, 8}) {
    const ChildResult r = runInChild([&] {
      ZEL_GrafboxSDL box(WIDTH, HEIGHT, 32, false);
      box.init_graf();
      writeBmp(path, 5, 3, depth);
      unsigned long w = 99, h = 99;
      box.show_bmp(const_cast<char*>(path.c_str()), &w, &h);
      CHILD_CHECK(w == 5 && h == 3);
      Rgb c = screenAt(box, 4, 2);
      printf("%d %d %d|", c.r, c.g, c.b);
      // Without size outputs: no header read, nothing on standard error.
      fflush(stderr);
      fprintf(stderr, "|");
      box.show_bmp(const_cast<char*>(path.c_str()), nullptr, nullptr);
      c = screenAt(box, 1, 1);
      printf("%d %d %d", c.r, c.g, c.b);
    });
    EXPECT_EQ(r.exitCode, 0) << describe(r);
    if (depth == 24) {
      EXPECT_EQ(r.out, "160 120 7|40 60 7");
    } else {
      EXPECT_FALSE(r.out.empty());  // 8-bit: palette path, colours approximated
    }
    EXPECT_EQ(r.err, "je lis le bmp\n|");
  }
  remove(path.c_str());
}

TEST(GrafboxBmpTest, BadBitmapsAreReportedWithoutChangingTheScreen) {
  const std::string missing = tempPath("missing.bmp");
  ChildResult r = runInChild([&] {
    ZEL_GrafboxSDL box(WIDTH, HEIGHT, 32, false);
    box.init_graf();
    unsigned long w, h;
    box.show_bmp(const_cast<char*>(missing.c_str()), &w, &h);
  });
  EXPECT_EQ(r.exitCode, 255) << describe(r);
  EXPECT_EQ(r.err, "je lis le bmp\nerreur d'ouverture du fichier " + missing);
  EXPECT_EQ(r.out, "");

  const std::string corrupt = tempPath("corrupt.bmp");
  for (const char* bytes : {"BM", "BMxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx"}) {
    FILE* f = fopen(corrupt.c_str(), "wb");
    fputs(bytes, f);
    fclose(f);
    r = runInChild([&] {
      ZEL_GrafboxSDL box(WIDTH, HEIGHT, 32, false);
      box.init_graf();
      box.fill_virtual(BACKGROUND.r, BACKGROUND.g, BACKGROUND.b);
      unsigned long w = 7, h = 7;
      box.show_bmp(const_cast<char*>(corrupt.c_str()), &w, &h);
      CHILD_CHECK(w == 0 && h == 0);
      CHILD_CHECK(screenAt(box, 0, 0) == BACKGROUND);
      box.show_bmp(const_cast<char*>(missing.c_str()), nullptr, nullptr);
      CHILD_CHECK(screenAt(box, 0, 0) == BACKGROUND);
    });
    EXPECT_EQ(r.exitCode, 0) << describe(r);
    EXPECT_EQ(r.err.rfind("je lis le bmp\nimpossible de charger le bmp " + corrupt, 0), 0u) << r.err;
  }
  remove(corrupt.c_str());
}

TEST(GrafboxExitTest, StartFailuresEndWithTheirMessages) {
  ChildResult r = runInChild([] {
    setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
    ZEL_GrafboxSDL box(WIDTH, HEIGHT, 32, false);
  });
  EXPECT_EQ(r.exitCode, 255) << describe(r);
  EXPECT_EQ(r.out, "impossible d'initialiser la SDL");

  // The dummy driver cannot allocate a 50000 x 50000 screen.
  r = runInChild([] {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ZEL_GrafboxSDL box(50000, 50000, 32, false);
    box.init_graf();
  });
  EXPECT_EQ(r.exitCode, 255) << describe(r);
  const std::string prefix = "Impossible d'initialiser le mode graphique : ";
  EXPECT_EQ(r.out.rfind(prefix, 0), 0u) << r.out;
  EXPECT_GT(r.out.size(), prefix.size() + 2);
  EXPECT_EQ(r.out.substr(r.out.size() - 2), ".\n");
}
