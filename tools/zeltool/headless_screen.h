#ifndef ZELTOOL_HEADLESS_SCREEN_H
#define ZELTOOL_HEADLESS_SCREEN_H

#include <cstdlib>

#include "zel_grafbox_sdl.h"

// The graphics box on SDL's dummy video driver in a 32-bit mode, so that
// no colour is reduced to a palette and no window opens.
struct HeadlessScreen {
  static constexpr int DEPTH = 32;

  HeadlessScreen(int width, int height)
      : box((setenv("SDL_VIDEODRIVER", "dummy", 1), width), height, DEPTH, false) {
    box.setVideoMode(width, height, DEPTH, false);  // the dummy desktop is 8-bit
  }

  ZEL_GrafboxSDL box;
};

#endif
