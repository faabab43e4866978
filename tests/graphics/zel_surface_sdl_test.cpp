#include "zel_surface_sdl.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "child_process.h"
#include "xvfb_server.h"
#include "zel_grafbox_sdl.h"

namespace {

struct Rgb {
  unsigned char r, g, b;
  bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

Rgb pixelAt(ZEL_Surface& s, int x, int y) {
  Rgb c;
  s.getPixel(x, y, &c.r, &c.g, &c.b);
  return c;
}

// A raw surface of the given depth, wrapped without conversion.
std::unique_ptr<ZEL_SurfaceSDL> rawSurface(int depth, int w, int h) {
  SDL_Surface* s = nullptr;
  switch (depth) {
    case 8:
      s = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 8, 0xE0, 0x1C, 0x03, 0);
      break;
    case 16:
      s = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 16, 0xF800, 0x07E0, 0x001F, 0);
      break;
    default:
      s = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, depth, 0xFF0000, 0x00FF00, 0x0000FF, 0);
      break;
  }
  return std::unique_ptr<ZEL_SurfaceSDL>(new ZEL_SurfaceSDL(s));
}

uint32_t rawPixel(ZEL_SurfaceSDL& s, int x, int y) {
  SDL_Surface* raw = s.getInternalData();
  const uint8_t* p = static_cast<uint8_t*>(raw->pixels) + y * raw->pitch + x * raw->format->BytesPerPixel;
  uint32_t v = 0;
  for (int i = raw->format->BytesPerPixel - 1; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

class SurfaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    box.reset(new ZEL_GrafboxSDL(64, 64, 32, false));
    box->init_graf();
  }
  std::unique_ptr<ZEL_GrafboxSDL> box;
};

}  // namespace

TEST(SurfaceRawTest, EveryPixelSizeAddressesItsOwnBytes) {
  for (int depth : {8, 16, 24, 32}) {
    SCOPED_TRACE(depth);
    auto s = rawSurface(depth, 5, 3);
    SDL_FillRect(s->getInternalData(), nullptr, 0);
    s->setPixel(2, 1, 255, 255, 255);
    s->setPixel(4, 2, 255, 0, 0);
    const uint32_t white = SDL_MapRGB(s->getInternalData()->format, 255, 255, 255);
    EXPECT_EQ(rawPixel(*s, 2, 1), white);
    EXPECT_EQ(rawPixel(*s, 1, 1), 0u);  // neighbours untouched
    EXPECT_EQ(rawPixel(*s, 3, 1), 0u);
    EXPECT_EQ(rawPixel(*s, 2, 0), 0u);
    EXPECT_EQ(pixelAt(*s, 2, 1), (Rgb{255, 255, 255}));
    EXPECT_EQ(pixelAt(*s, 4, 2).r, 255);
    EXPECT_EQ(pixelAt(*s, 4, 2).g, 0);
    for (int x : {-1, 5}) {
      s->setPixel(x, 0, 255, 255, 255);
      EXPECT_EQ(pixelAt(*s, x, 0), (Rgb{0, 0, 0}));
    }
    s->setPixel(0, 3, 255, 255, 255);  // one row past the end: no write
    EXPECT_EQ(pixelAt(*s, 0, 3), (Rgb{0, 0, 0}));
  }
  // Three bytes per pixel: bits 0-7, 8-15, 16-23 in that order.
  auto s = rawSurface(24, 2, 1);
  s->setPixel(1, 0, 0x12, 0x34, 0x56);
  const uint8_t* p = static_cast<uint8_t*>(s->getInternalData()->pixels) + 3;
  EXPECT_EQ(p[0], 0x56);
  EXPECT_EQ(p[1], 0x34);
  EXPECT_EQ(p[2], 0x12);
}

TEST(SurfaceRawTest, NearBlackStaysVisibleWhereTheFormatWouldMergeIt) {
  for (int depth : {8, 16}) {
    SCOPED_TRACE(depth);
    auto s = rawSurface(depth, 2, 1);
    const uint32_t black = SDL_MapRGB(s->getInternalData()->format, 0, 0, 0);
    s->setPixel(0, 0, 0, 0, 0);
    s->setPixel(1, 0, 0, 0, 1);
    EXPECT_EQ(rawPixel(*s, 0, 0), black);
    EXPECT_NE(rawPixel(*s, 1, 0), black);
    const Rgb c = pixelAt(*s, 1, 0);
    EXPECT_LE(c.r + c.g + c.b, 3 * 36);  // still a dark colour
  }
}

TEST_F(SurfaceTest, ThirtyTwoBitPixelsRoundTripExactly) {
  std::unique_ptr<ZEL_Surface> s(box->getSurface(16, 16));
  for (int i = 0; i < 256; ++i) s->setPixel(i % 16, i / 16, i, 255 - i, (i * 7) & 255);
  for (int i = 0; i < 256; ++i) {
    EXPECT_EQ(pixelAt(*s, i % 16, i / 16),
              (Rgb{static_cast<unsigned char>(i), static_cast<unsigned char>(255 - i),
                   static_cast<unsigned char>((i * 7) & 255)}));
  }
}

TEST_F(SurfaceTest, RotateAndMirror) {
  std::unique_ptr<ZEL_Surface> wide(box->getSurface(3, 2));
  for (int i = 0; i < 6; ++i) wide->setPixel(i % 3, i / 3, 10 * (i + 1), 0, 0);
  wide->rotate90Degree();  // not square: unchanged
  for (int i = 0; i < 6; ++i) EXPECT_EQ(pixelAt(*wide, i % 3, i / 3).r, 10 * (i + 1));
  wide->mirror();
  EXPECT_EQ(pixelAt(*wide, 0, 0).r, 30);
  EXPECT_EQ(pixelAt(*wide, 2, 1).r, 40);
  wide->mirror();
  EXPECT_EQ(pixelAt(*wide, 0, 0).r, 10);

  std::unique_ptr<ZEL_Surface> square(box->getSurface(3, 3));
  for (int i = 0; i < 9; ++i) square->setPixel(i % 3, i / 3, 10 * (i + 1), 0, 0);
  square->rotate90Degree();  // a transpose: (x, y) takes (y, x)
  EXPECT_EQ(pixelAt(*square, 2, 0).r, 70);
  EXPECT_EQ(pixelAt(*square, 0, 2).r, 30);
  EXPECT_EQ(pixelAt(*square, 1, 1).r, 50);
  square->rotate90Degree();
  for (int i = 0; i < 9; ++i) EXPECT_EQ(pixelAt(*square, i % 3, i / 3).r, 10 * (i + 1));

  std::unique_ptr<ZEL_Surface> column(box->getSurface(1, 3));
  column->setPixel(0, 1, 9, 9, 9);
  column->mirror();
  EXPECT_EQ(pixelAt(*column, 0, 1), (Rgb{9, 9, 9}));
}

TEST(SurfaceExitTest, CreationFailureEndsWithItsMessage) {
  const char* expected = "Impossible de cr\xe9" "er une SurfaceSDL\n";
  // No video mode open: the conversion to the display format fails.
  ChildResult r = runInChild([] {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    SDL_Init(SDL_INIT_VIDEO);
    ZEL_SurfaceSDL s(0x10000000, 4, 4, 32);
  });
  EXPECT_EQ(r.exitCode, 255) << describe(r);
  EXPECT_EQ(r.out, expected);

  r = runInChild([] {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ZEL_GrafboxSDL box(64, 64, 32, false);
    box.init_graf();
    box.getSurface(-5, 4);
  });
  EXPECT_EQ(r.exitCode, 255) << describe(r);
  EXPECT_EQ(r.out, expected);

  r = runInChild([] {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ZEL_GrafboxSDL box(64, 64, 32, false);
    box.init_graf();
    box.getSurface(16384, 1);  // a row SDL's 16-bit pitch cannot hold
  });
  EXPECT_EQ(r.exitCode, 255) << describe(r);
  EXPECT_EQ(r.out, expected);
}

TEST(SurfaceDepthTest, SixteenBitDesktopGivesSixteenBitWindowAndSurfaces) {
  XvfbServer server(16);
  ASSERT_TRUE(server.isRunning());
  const ChildResult r = runInChild([&] {
    setenv("DISPLAY", server.getDisplay().c_str(), 1);
    ZEL_GrafboxSDL box(320, 240, 32, false);
    box.init_graf();
    CHILD_CHECK(ZEL_GrafboxSDL::getProfondeur() == 16);
    CHILD_CHECK(ZEL_GrafboxSDL::getScreen()->format->BitsPerPixel == 16);
    std::unique_ptr<ZEL_Surface> s(box.getSurface(4, 1));
    CHILD_CHECK(static_cast<ZEL_SurfaceSDL*>(s.get())->getInternalData()->format->BitsPerPixel == 16);
    s->setPixel(0, 0, 255, 255, 255);
    s->setPixel(1, 0, 0, 0, 0);
    s->setPixel(2, 0, 0, 0, 1);
    s->setPixel(3, 0, 200, 100, 50);
    CHILD_CHECK(pixelAt(*s, 0, 0) == (Rgb{255, 255, 255}));
    CHILD_CHECK(pixelAt(*s, 1, 0) == (Rgb{0, 0, 0}));
    const Rgb c = pixelAt(*s, 3, 0);
    CHILD_CHECK(abs(c.r - 200) < 8 && abs(c.g - 100) < 4 && abs(c.b - 50) < 8);
    // Keyed: black is left out, near-black still drawn.
    s->setTransparencyColor(0, 0, 0);
    box.fill_virtual(255, 255, 255);
    box.put_sprite(s.get(), 10, 10, 4, 1);
    Rgb screen;
    box.get_pix(11, 10, &screen.r, &screen.g, &screen.b);
    CHILD_CHECK(screen == (Rgb{255, 255, 255}));
    box.get_pix(12, 10, &screen.r, &screen.g, &screen.b);
    CHILD_CHECK(screen.r + screen.g + screen.b < 3 * 36);
  });
  EXPECT_EQ(r.exitCode, 0) << describe(r);
}
