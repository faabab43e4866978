#pragma once

#include "child_process.h"
#include "files.h"
#include "zel_actif.h"
#include "zel_grafbox_sdl.h"
#include "zel_list_anim_data.h"
#include "zel_space.h"
#include "zel_tile_map.h"
#include "zel_timer_sdl.h"

// A space with or without a collision detector, and a level's .tle and .map bytes (none: no map).
struct WorldOptions {
  bool withDetector = false;
  std::vector<uint8_t> tle, map;
};

// A level drawn as text, one string per row: '#' a solid cell, any other character a walkable one.
WorldOptions levelFromText(const std::vector<std::string>& rows, int cell);

// A 32-bit screen on SDL's dummy driver, a timer at 100 steps a second and the one space.
struct World {
  static constexpr int SCREEN_WIDTH = 320;
  static constexpr int SCREEN_HEIGHT = 240;

  explicit World(const WorldOptions& options);
  ~World() {
    delete space;
    delete tileMap;
  }
  // count animations of one w x h frame, its bound box relative to it (by default the whole frame).
  ZEL_ListAnimData* list(int w, int h, int x1 = 0, int y1 = 0, int x2 = -1, int y2 = -1, int count = 1);
  ZEL_ListAnimData* listOf(int count, int w, int h) { return list(w, h, 0, 0, -1, -1, count); }

  TempDir dir;
  ZEL_GrafboxSDL* box;
  ZEL_TimerSDL timer;
  ZEL_TileMap* tileMap = nullptr;
  ZEL_Space* space;
};

// Runs body with a fresh world in a child process; a failed expectation ends it with status 1.
ChildResult runInWorld(const std::function<void(World&)>& body, const WorldOptions& options = WorldOptions());

// An actor of type 0 whose action counts its runs.
struct CountingActif : ZEL_Actif {
  CountingActif(int period, ZEL_ListAnimData* list, long x, long y) : ZEL_Actif(period, list, x, y, 0) {
    currentAction = static_cast<Action>(&CountingActif::count);
  }
  void count() { ++runs; }
  int runs = 0;
};

#define EXPECT_WORLD_OK(result) EXPECT_EQ((result).exitCode, 0) << describe(result)
