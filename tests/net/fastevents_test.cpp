#include "fastevents.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"
#include "event_test_support.h"

namespace {

const int WATCHDOG_MS = 20000;
const char QUEUE_NOT_ACTIVE[] = "FE: the event queue is not active";

class EventQueueTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(startSdlEventQueue()) << SDL_GetError(); }
  void TearDown() override {
    FE_Quit();
    SDL_Quit();
  }
};

// Events SDL's queue holds before SDL_PushEvent refuses one; leaves it empty.
int measureSdlQueueCapacity() {
  int held = 0;
  SDL_Event e = makeUserEvent(0);
  while (SDL_PushEvent(&e) == 0) ++held;
  while (SDL_PollEvent(&e) == 1) {
  }
  return held;
}

}  // namespace

TEST_F(EventQueueTest, UninitialisedPollBehavesAsSdlPoll) {
  SDL_Event e;
  FE_PumpEvents();
  EXPECT_EQ(FE_PollEvent(&e), 0);
  for (int code = 1; code <= 3; ++code) {
    SDL_Event u = makeUserEvent(code, code * 10);
    ASSERT_EQ(SDL_PushEvent(&u), 0);
  }
  for (int code = 1; code <= 3; ++code) {
    ASSERT_EQ(FE_PollEvent(&e), 1);
    EXPECT_EQ(e.type, SDL_USEREVENT);
    EXPECT_EQ(e.user.code, code);
    EXPECT_EQ(reinterpret_cast<intptr_t>(e.user.data1), code * 10);
  }
  EXPECT_EQ(FE_PollEvent(&e), 0);
  // A push without FE_Init still reaches the queue.
  SDL_Event u = makeUserEvent(7);
  EXPECT_EQ(FE_PushEvent(&u), 1);
  EXPECT_EQ(SDL_PollEvent(&e), 1);
  EXPECT_EQ(e.user.code, 7);
}

TEST(EventQueueErrorTest, NoErrorBeforeAnyFailure) {
  // Only a process where nothing has failed yet can show it.
  if (FE_GetError() != nullptr) GTEST_SKIP() << "an earlier test in this process set the error";
  const ChildResult r = runInChild([] { fputs(FE_GetError() ? "set" : "null", stdout); });
  EXPECT_EQ(r.out, "null") << describe(r);
}

TEST_F(EventQueueTest, WaiterTakesEveryEventOfSeveralPushersInOrder) {
  const int PUSHERS = 4;
  const int EVENTS_EACH = 2000;  // far beyond SDL's queue, so pushers block
  ASSERT_EQ(FE_Init(), 0);
  Watchdog dog("several pushers and one waiter", WATCHDOG_MS);
  std::vector<std::thread> pushers;
  for (int p = 0; p < PUSHERS; ++p) {
    pushers.emplace_back([p] {
      for (int i = 0; i < EVENTS_EACH; ++i) {
        SDL_Event e = makeUserEvent(p, i);
        FE_PushEvent(&e);
      }
    });
  }
  std::vector<int> next(PUSHERS, 0);
  int outOfOrder = 0;
  for (int n = 0; n < PUSHERS * EVENTS_EACH; ++n) {
    SDL_Event e;
    ASSERT_EQ(FE_WaitEvent(&e), 1);
    ASSERT_EQ(e.type, SDL_USEREVENT);
    ASSERT_GE(e.user.code, 0);
    ASSERT_LT(e.user.code, PUSHERS);
    if (reinterpret_cast<intptr_t>(e.user.data1) != next[e.user.code]) ++outOfOrder;
    ++next[e.user.code];
  }
  for (std::thread& t : pushers) t.join();
  EXPECT_EQ(outOfOrder, 0);
  for (int p = 0; p < PUSHERS; ++p) EXPECT_EQ(next[p], EVENTS_EACH);
  SDL_Event e;
  EXPECT_EQ(FE_PollEvent(&e), 0);
}

TEST_F(EventQueueTest, WaiterNoticesAnEventAddedBehindItsBack) {
  const int NOTICE_LIMIT_MS = 2000;
  ASSERT_EQ(FE_Init(), 0);
  Watchdog dog("waiter on a direct SDL push", WATCHDOG_MS);
  std::atomic<bool> woke{false};
  int code = -1;
  std::thread waiter([&] {
    SDL_Event e;
    FE_WaitEvent(&e);
    code = e.user.code;
    woke = true;
  });
  SDL_Delay(30);
  // SDL_PushEvent signals nothing: only the periodic broadcast wakes the waiter.
  SDL_Event direct = makeUserEvent(42);
  ASSERT_EQ(SDL_PushEvent(&direct), 0);
  const bool noticed = waitUntil([&] { return woke.load(); }, NOTICE_LIMIT_MS);
  if (!noticed) {
    SDL_Event release = makeUserEvent(43);
    FE_PushEvent(&release);
  }
  waiter.join();
  EXPECT_TRUE(noticed);
  EXPECT_EQ(code, noticed ? 42 : 43);
}

TEST_F(EventQueueTest, InitQuitInitWorksAgain) {
  const int CYCLES = 40;
  ASSERT_EQ(FE_Init(), 0);
  FE_Quit();
  ASSERT_EQ(FE_Init(), 0);
  // A second FE_Init adds nothing: one FE_Quit undoes it all.
  ASSERT_EQ(FE_Init(), 0);
  {
    Watchdog dog("wait after re-initialisation", WATCHDOG_MS);
    std::thread pusher([] {
      SDL_Event e = makeUserEvent(5);
      FE_PushEvent(&e);
    });
    SDL_Event e;
    EXPECT_EQ(FE_WaitEvent(&e), 1);
    EXPECT_EQ(e.user.code, 5);
    pusher.join();
  }
  FE_Quit();
  // Quitting while the broadcast timer fires must not touch a destroyed condition.
  for (int i = 0; i < CYCLES; ++i) {
    ASSERT_EQ(FE_Init(), 0);
    SDL_Delay(static_cast<Uint32>(i % 12));
    FE_Quit();
  }
}

TEST_F(EventQueueTest, FullQueueMakesThePusherWaitWithoutLosingEvents) {
  const int EVENTS = 300;
  const int STALL_LIMIT_MS = 5000;
  const int capacity = measureSdlQueueCapacity();
  ASSERT_GT(capacity, 0);
  ASSERT_LT(capacity, EVENTS);
  ASSERT_EQ(FE_Init(), 0);
  Watchdog dog("full queue", WATCHDOG_MS);
  std::atomic<int> pushed{0};
  std::thread pusher([&] {
    for (int i = 0; i < EVENTS; ++i) {
      SDL_Event e = makeUserEvent(i);
      if (FE_PushEvent(&e) == 1) ++pushed;
    }
  });
  ASSERT_TRUE(waitUntil([&] { return pushed.load() >= capacity; }, STALL_LIMIT_MS));
  SDL_Delay(50);
  EXPECT_EQ(pushed.load(), capacity);  // blocked, not dropping
  for (int i = 0; i < EVENTS; ++i) {
    SDL_Event e;
    ASSERT_EQ(FE_WaitEvent(&e), 1);
    ASSERT_EQ(e.user.code, i);
  }
  pusher.join();
  EXPECT_EQ(pushed.load(), EVENTS);
}

TEST(EventQueueInactiveTest, InactiveQueueRefusesAtOnce) {
  // Without video SDL's queue is not active.
  ASSERT_EQ(SDL_Init(SDL_INIT_TIMER), 0) << SDL_GetError();
  Watchdog dog("inactive queue", WATCHDOG_MS);
  SDL_Event e = makeUserEvent(1);
  EXPECT_EQ(FE_PushEvent(&e), -1);
  ASSERT_NE(FE_GetError(), nullptr);
  EXPECT_STREQ(FE_GetError(), QUEUE_NOT_ACTIVE);
  ASSERT_EQ(FE_Init(), 0);
  EXPECT_EQ(FE_PushEvent(&e), -1);
  EXPECT_STREQ(FE_GetError(), QUEUE_NOT_ACTIVE);
  EXPECT_EQ(FE_WaitEvent(&e), 0);
  EXPECT_EQ(FE_PollEvent(&e), 0);
  FE_Quit();
  SDL_Quit();
}
