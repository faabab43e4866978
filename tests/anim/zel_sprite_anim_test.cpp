#include "zel_sprite_anim.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "anim_files.h"
#include "zel_anim_data.h"
#include "zel_grafbox_sdl.h"
#include "zel_timer_sdl.h"

namespace {

// Frame f is a 2 x 1 image of colour (f + 1, 0, 0), visible from column f % 2;
// index 0 is transparent.
const std::vector<uint8_t> TABLE = {0, 0, 0, 1, 0, 0, 2, 0, 0, 3, 0, 0};

class SpriteAnimTest : public ::testing::Test {
 protected:
  void SetUp() override {
    box.reset(new ZEL_GrafboxSDL(64, 64, 32, false));
    box->init_graf();
    timer.setRate(1000);  // GIF delays in hundredths become that many steps
  }
  void TearDown() override {
    for (const std::string& p : files) remove(p.c_str());
  }

  // A GIF whose frames have these delays in steps.
  ZEL_AnimData* load(const std::vector<uint16_t>& delays) {
    GifBuilder gif(2, 1, TABLE);
    for (size_t f = 0; f < delays.size(); ++f) {
      const uint8_t index = static_cast<uint8_t>(f + 1);
      gif.control(delays[f], 0).image(2, 1, f % 2 == 0 ? std::vector<uint8_t>{index, index}
                                                     : std::vector<uint8_t>{0, index}, 2);
    }
    files.push_back(tempPath("anim" + std::to_string(files.size()) + ".gif"));
    writeFile(files.back(), gif.finish());
    anims.emplace_back(new ZEL_AnimData(files.back().c_str(), box.get(), &timer));
    return anims.back().get();
  }

  std::vector<unsigned> framesShown(ZEL_SpriteAnim& s, int draws) {
    std::vector<unsigned> shown;
    for (int i = 0; i < draws; ++i) {
      s.draw(0, 0, box.get());
      shown.push_back(s.getCurrentFrame());
    }
    return shown;
  }

  std::unique_ptr<ZEL_GrafboxSDL> box;
  ZEL_TimerSDL timer;
  std::vector<std::string> files;
  std::vector<std::unique_ptr<ZEL_AnimData>> anims;
};

}  // namespace

TEST_F(SpriteAnimTest, FirstPassIsOneDrawShorter) {
  ZEL_SpriteAnim even(1, load({2, 2, 2}));
  EXPECT_EQ(framesShown(even, 12), (std::vector<unsigned>{0, 0, 1, 1, 1, 2, 2, 2, 0, 0, 0, 1}));
  ZEL_SpriteAnim mixed(1, load({0, 3, 0}));
  EXPECT_EQ(framesShown(mixed, 12), (std::vector<unsigned>{1, 1, 1, 1, 2, 0, 1, 1, 1, 1, 2, 0}));
  ZEL_SpriteAnim fast(1, load({0, 0}));
  EXPECT_EQ(framesShown(fast, 3), (std::vector<unsigned>{1, 0, 1}));
}

TEST_F(SpriteAnimTest, EndOfAnimAndBoundBoxFollowTheFrame) {
  ZEL_SpriteAnim still(1, load({5}));
  for (int i = 0; i < 8; ++i) {
    still.draw(0, 0, box.get());
    EXPECT_EQ(still.getCurrentFrame(), 0u);
    EXPECT_TRUE(still.endOfCurrentAnim());
  }

  ZEL_AnimData* data = load({1, 1});
  ZEL_SpriteAnim two(1, data);
  EXPECT_FALSE(two.endOfCurrentAnim());
  EXPECT_EQ(two.getCurrentBoundBox(), data->getBoundBoxes()->elementAt(0));
  const std::vector<bool> expectedEnd = {false, true, true, false, false, true, true};
  for (bool end : expectedEnd) {
    two.draw(0, 0, box.get());
    EXPECT_EQ(two.endOfCurrentAnim(), end);
    EXPECT_EQ(two.getCurrentBoundBox(), data->getBoundBoxes()->elementAt(static_cast<int>(two.getCurrentFrame())));
  }
  EXPECT_EQ(two.getCurrentBoundBox()->x1, 1);  // frame 1's visible pixel
}

TEST_F(SpriteAnimTest, DrawsAtSixteenBitPositions) {
  ZEL_SpriteAnim s(1, load({0, 0}));
  box->fill_virtual(9, 9, 9);
  s.draw(65536 + 10, 20, box.get());  // cut to 16 bits: x = 10; shows frame 1
  unsigned char r, g, b;
  box->get_pix(11, 20, &r, &g, &b);
  EXPECT_EQ(r, 2);
  box->get_pix(10, 20, &r, &g, &b);
  EXPECT_EQ(r, 9);  // frame 1's first pixel is transparent
  s.draw(0xFFFF, 30, box.get());  // x = -1: frame 0's second column lands at 0
  box->get_pix(0, 30, &r, &g, &b);
  EXPECT_EQ(r, 1);
  box->get_pix(1, 30, &r, &g, &b);
  EXPECT_EQ(r, 9);
}
