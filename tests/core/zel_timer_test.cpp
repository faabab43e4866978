#include "zel_timer_sdl.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include "child_process.h"

TEST(TimerTest, UnsetRateEndsTheProcessWithItsMessage) {
  const std::function<void(ZEL_Timer&)> uses[] = {
      [](ZEL_Timer& t) { t.getRate(); },
      [](ZEL_Timer& t) { t.getNbStep(1000); },
      [](ZEL_Timer& t) { t.waitWhile(); },
      [](ZEL_Timer& t) { t.setRate(100), t.setRate(0), t.getRate(); },  // set back to 0: unset
  };
  for (const auto& use : uses) {
    const ChildResult r = runInChild([&] {
      ZEL_TimerSDL t;
      use(t);
    });
    EXPECT_EQ(r.exitCode, 255) << describe(r);
    EXPECT_EQ(r.out, "Attention le rate du timer n'a pas \xe9t\xe9 fix\xe9!\n");
    EXPECT_EQ(r.err, "");
  }
}

TEST(TimerTest, StepsAndPeriodsTruncateIn32Bits) {
  ZEL_TimerSDL t;
  t.setRate(100);
  EXPECT_EQ(t.getNbStep(15), 1);
  EXPECT_EQ(t.getNbStep(9), 0);
  EXPECT_EQ(ZEL_Timer::getPeriodDuration(3), 333u);
  EXPECT_EQ(ZEL_Timer::getPeriodDuration(1001), 0u);
  EXPECT_EQ(ZEL_Timer::getPeriodDuration(0), 0u);  // no division by zero
  EXPECT_EQ(ZEL_Timer::getFPS(5999), 5u);
  t.setRate(1000);
  // 1000 * 5,000,000 is taken modulo 2^32 before the division.
  EXPECT_EQ(t.getNbStep(5000000), (5000000000ull % 4294967296ull) / 1000);
  EXPECT_EQ(ZEL_Timer::getFPS(4294967296ul + 7000ul), 7u);  // cut to 32 bits first
}

TEST(TimerTest, WaitsLastTheirDurationAndOverrunsAreNotCarriedOver) {
  ASSERT_EQ(SDL_Init(SDL_INIT_TIMER), 0) << SDL_GetError();
  ZEL_TimerSDL timer;
  timer.setRate(100);
  uint32_t start = SDL_GetTicks();
  timer.wait(4294967296ul + 5ul);  // a wait of 2^32 + 5 ms is one of 5 ms
  EXPECT_GE(SDL_GetTicks() - start, 5u);
  EXPECT_LT(SDL_GetTicks() - start, 1000u);
  timer.setReftime();
  timer.wait(15);  // the frame's work took longer than a period
  timer.waitWhile();
  timer.setReftime();  // the next frame measures from its own reference
  timer.waitWhile();
  EXPECT_GE(timer.howLong(), 10u);
  SDL_Quit();
}
