#ifndef TESTS_DUMMY_SCREEN_H
#define TESTS_DUMMY_SCREEN_H

#include <cstdlib>

#include "zel_grafbox_sdl.h"
#include "zel_timer_sdl.h"

// What a loader needs, as the game has it: a true-colour screen on SDL's dummy video driver and a timer at
// 100 steps a second. For child processes: the parent must not start SDL.
struct DummyScreen {
  static constexpr int SIDE = 64;
  static constexpr int DEPTH = 32;
  static constexpr unsigned RATE = 100;

  DummyScreen() : box((setenv("SDL_VIDEODRIVER", "dummy", 1), SIDE), SIDE, DEPTH, false) {
    box.setVideoMode(SIDE, SIDE, DEPTH, false);  // the dummy desktop is 8-bit
    timer.setRate(RATE);
  }

  ZEL_GrafboxSDL box;
  ZEL_TimerSDL timer;
};

#endif
