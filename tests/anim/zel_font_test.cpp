#include "zel_font.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "anim_files.h"
#include "zel_grafbox_sdl.h"

namespace {

const int CELL = 40;
const int SCREEN = 400;

// A font of count glyphs of CELL x CELL pixels; glyph c shows one pixel of
// colour (c, 200, 1) at its top-left corner, the rest transparent.
std::string writeFont(int count) {
  std::vector<SprRgb> pixels(static_cast<size_t>(count) * CELL * CELL, SprRgb{0, 0, 0});
  std::vector<int32_t> boxes;
  for (int c = 0; c < count; ++c) {
    pixels[static_cast<size_t>(c) * CELL * CELL] = {static_cast<uint8_t>(c), 200, 1};
    boxes.insert(boxes.end(), {0, 0, 0, 0});
  }
  const std::string path = tempPath("font" + std::to_string(count) + ".spr");
  writeFile(path, sprBytes(static_cast<uint16_t>(count), 0, CELL, CELL, pixels, boxes));
  return path;
}

class FontTest : public ::testing::Test {
 protected:
  void SetUp() override {
    box.reset(new ZEL_GrafboxSDL(SCREEN, SCREEN, 32, false));
    box->init_graf();
    box->fill_virtual(0, 0, 0);
  }
  // The glyph byte drawn at (x, y), or -1 when none.
  int glyphAt(int x, int y) {
    unsigned char r, g, b;
    box->get_pix(x, y, &r, &g, &b);
    return g == 200 ? r : -1;
  }
  std::unique_ptr<ZEL_GrafboxSDL> box;
};

}  // namespace

TEST_F(FontTest, AdvancesTwoFifthsAndWrapsAfterTheGlyph) {
  const std::string path = writeFont(256);
  testing::internal::CaptureStdout();
  ZEL_Font font(path.c_str(), box.get());
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  char text[] = "ABCDEF";
  box->put_text(0, 10, text, &font, 0, 0, 100, 0);
  EXPECT_EQ(glyphAt(0, 10), 'A');
  EXPECT_EQ(glyphAt(16, 10), 'B');
  EXPECT_EQ(glyphAt(32, 10), 'C');
  EXPECT_EQ(glyphAt(48, 10), 'D');  // 48 + 16 > 100 - 40: the next one wraps
  EXPECT_EQ(glyphAt(64, 10), -1);
  EXPECT_EQ(glyphAt(0, 40), 'E');
  EXPECT_EQ(glyphAt(16, 40), 'F');

  char empty[] = "";
  box->fill_virtual(0, 0, 0);
  box->put_text(0, 10, empty, &font, 0, 0, 100, 0);
  EXPECT_EQ(glyphAt(0, 10), -1);

  // Starting beyond the right edge: each glyph on a line of its own.
  char two[] = "XY";
  box->put_text(300, 100, two, &font, 0, 0, 100, 0);
  EXPECT_EQ(glyphAt(300, 100), 'X');
  EXPECT_EQ(glyphAt(300, 130), 'Y');
  remove(path.c_str());
}

TEST_F(FontTest, MissingGlyphsAreSkippedWithoutMovingThePen) {
  const std::string path = writeFont(128);
  testing::internal::CaptureStdout();
  ZEL_Font font(path.c_str(), box.get());
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "fichier " + path + "n'est pas une police valide!\n");
  char text[] = "a\xe9\xffz";
  box->put_text(0, 0, text, &font, 0, 0, SCREEN, 0);
  EXPECT_EQ(glyphAt(0, 0), 'a');
  EXPECT_EQ(glyphAt(16, 0), 'z');
  EXPECT_EQ(font.getSurface(200), nullptr);
  EXPECT_NE(font.getSurface(127), nullptr);
  remove(path.c_str());
}
