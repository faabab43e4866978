#ifndef ZELTOOL_HEADLESS_SCREEN_H
#define ZELTOOL_HEADLESS_SCREEN_H

#include <cstdlib>

#include "zel_grafbox_sdl.h"
#include "zel_timer_sdl.h"

// The graphics box on SDL's dummy video driver in a 32-bit mode, so that
// no colour is reduced to a palette and no window opens, and a timer at the
// game's 100 steps a second for animation delays.
struct HeadlessScreen {
  static constexpr int DEPTH = 32;
  static constexpr unsigned STEPS_PER_SECOND = 100;
  static constexpr int SURFACES_ONLY = 16;  // a side enough when nothing is drawn on the screen

  explicit HeadlessScreen(int width = SURFACES_ONLY, int height = SURFACES_ONLY)
      : box((setenv("SDL_VIDEODRIVER", "dummy", 1), width), height, DEPTH, false) {
    box.setVideoMode(width, height, DEPTH, false);  // the dummy desktop is 8-bit
    timer.setRate(STEPS_PER_SECOND);
  }

  ZEL_GrafboxSDL box;
  ZEL_TimerSDL timer;
};

#endif
