#ifndef TESTS_WORLD_H
#define TESTS_WORLD_H

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "child_process.h"
#include "zel_actif.h"
#include "zel_grafbox_sdl.h"
#include "zel_list_anim_data.h"
#include "zel_space.h"
#include "zel_tile_map.h"
#include "zel_timer_sdl.h"

// A world for actor tests: a 32-bit screen on SDL's dummy driver, a timer
// at 100 steps a second, and one space. A process can build only one space,
// so every world lives in a child process of its own (runInWorld).
struct WorldOptions {
  bool withDetector = false;
  // A level for the space: the bytes of a .tle and a .map (none: no map).
  std::vector<uint8_t> tle;
  std::vector<uint8_t> map;
};

// A level drawn as text, one string per row: '#' a solid tile, any other
// character a walkable one; cells of cell x cell pixels.
WorldOptions levelFromText(const std::vector<std::string>& rows, int cell);

class World {
 public:
  static constexpr int SCREEN_WIDTH = 320;
  static constexpr int SCREEN_HEIGHT = 240;

  explicit World(const WorldOptions& options);
  ~World();

  // An animation list of one w x h frame whose bound box is given
  // relative to the frame (by default the whole frame). Lists live as long
  // as the process, as in the game.
  ZEL_ListAnimData* list(int w, int h, int x1 = 0, int y1 = 0, int x2 = -1, int y2 = -1);
  // A list of count animations, all of one w x h frame (whole-frame box).
  ZEL_ListAnimData* listOf(int count, int w, int h);

  ZEL_GrafboxSDL* box;
  ZEL_TimerSDL timer;
  ZEL_TileMap* tileMap = nullptr;
  ZEL_Space* space;

 private:
  std::vector<std::string> files;
};

// Runs body in a child process with a fresh world. Failed expectations in
// the child are printed on its standard output and make it exit with 1.
ChildResult runInWorld(const std::function<void(World&)>& body, bool withDetector = false);
ChildResult runInWorld(const std::function<void(World&)>& body, const WorldOptions& options);

// An actor whose action counts its runs; the action may be replaced.
class CountingActif : public ZEL_Actif {
 public:
  CountingActif(int period, ZEL_ListAnimData* list, long x, long y);
  void count() { ++runs; }
  void useCount() { currentAction = static_cast<Action>(&CountingActif::count); }
  void setAction(Action a) { currentAction = a; }
  Action getAction() { return currentAction; }
  int runs = 0;
};

#define EXPECT_WORLD_OK(result) EXPECT_EQ((result).exitCode, 0) << describe(result)

#endif
