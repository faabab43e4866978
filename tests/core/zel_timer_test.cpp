#include "zel_timer_sdl.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include "child_process.h"

namespace {

const char UNSET_RATE_MESSAGE[] = "Attention le rate du timer n'a pas \xe9t\xe9 fix\xe9!\n";

class TimerTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(SDL_Init(SDL_INIT_TIMER), 0) << SDL_GetError(); }
  void TearDown() override { SDL_Quit(); }
  ZEL_TimerSDL timer;
};

void expectUnsetRateExit(const std::function<void(ZEL_Timer&)>& use) {
  const ChildResult r = runInChild([&] {
    ZEL_TimerSDL t;
    use(t);
  });
  EXPECT_TRUE(r.exited) << describe(r);
  EXPECT_EQ(r.exitCode, 255) << describe(r);
  EXPECT_EQ(r.out, UNSET_RATE_MESSAGE);
  EXPECT_EQ(r.err, "");
}

}  // namespace

TEST(TimerRateTest, UnsetRateEndsTheProcessWithItsMessage) {
  expectUnsetRateExit([](ZEL_Timer& t) { t.getRate(); });
  expectUnsetRateExit([](ZEL_Timer& t) { t.getNbStep(1000); });
  expectUnsetRateExit([](ZEL_Timer& t) { t.waitWhile(); });
  // A rate set back to 0 is unset again.
  expectUnsetRateExit([](ZEL_Timer& t) {
    t.setRate(100);
    t.setRate(0);
    t.getRate();
  });
}

TEST(TimerRateTest, StepsAndPeriodsTruncate) {
  ZEL_TimerSDL t;
  t.setRate(100);
  EXPECT_EQ(t.getNbStep(1000), 100);
  EXPECT_EQ(t.getNbStep(250), 25);
  EXPECT_EQ(t.getNbStep(15), 1);
  EXPECT_EQ(t.getNbStep(9), 0);
  EXPECT_EQ(t.getNbStep(10), 1);
  EXPECT_EQ(ZEL_Timer::getPeriodDuration(100), 10u);
  EXPECT_EQ(ZEL_Timer::getPeriodDuration(3), 333u);
  EXPECT_EQ(ZEL_Timer::getPeriodDuration(1000), 1u);
  EXPECT_EQ(ZEL_Timer::getPeriodDuration(1001), 0u);
  EXPECT_EQ(ZEL_Timer::getFPS(999), 0u);
  EXPECT_EQ(ZEL_Timer::getFPS(5999), 5u);
}

TEST(TimerRateTest, ArithmeticWrapsAt32Bits) {
  ZEL_TimerSDL t;
  t.setRate(1000);
  // 1000 * 5,000,000 = 5e9, taken modulo 2^32 before the division.
  EXPECT_EQ(t.getNbStep(5000000), (5000000000ull % 4294967296ull) / 1000);
  // The argument of getFPS is cut to 32 bits first.
  EXPECT_EQ(ZEL_Timer::getFPS(4294967296ul + 7000ul), 7u);
}

TEST_F(TimerTest, ZeroWaitsReturnAtOnce) {
  const uint32_t before = SDL_GetTicks();
  timer.wait(0);
  timer.setReftime();
  timer.waitWhile(0ul);
  EXPECT_LE(SDL_GetTicks() - before, 2u);
}

TEST_F(TimerTest, WaitsLastAtLeastTheirDuration) {
  uint32_t start = SDL_GetTicks();
  timer.wait(20);
  EXPECT_GE(SDL_GetTicks() - start, 20u);

  timer.setReftime();
  EXPECT_LE(timer.howLong(), 2u);
  timer.setRate(100);
  timer.waitWhile();
  EXPECT_GE(timer.howLong(), 10u);

  // A wait of 2^32 + 5 ms is a wait of 5 ms.
  start = SDL_GetTicks();
  timer.wait(4294967296ul + 5ul);
  const uint32_t waited = SDL_GetTicks() - start;
  EXPECT_GE(waited, 5u);
  EXPECT_LT(waited, 1000u);
}

TEST_F(TimerTest, OverrunFrameIsNotCarriedOver) {
  timer.setRate(100);
  timer.setReftime();
  timer.wait(15);  // the frame's work took longer than a period
  const uint32_t before = SDL_GetTicks();
  timer.waitWhile();
  EXPECT_LE(SDL_GetTicks() - before, 1u);
  // The next frame measures from its own reference time.
  timer.setReftime();
  timer.waitWhile();
  EXPECT_GE(timer.howLong(), 10u);
}
