#include "world.h"

#include <gtest/gtest.h>

#include "engine_files.h"

const int DEPTH = 32;
const unsigned RATE = 100;
const SprRgb ACTOR_COLOUR = {200, 100, 50};

World::World(const WorldOptions& options) {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  box = new ZEL_GrafboxSDL(SCREEN_WIDTH, SCREEN_HEIGHT, DEPTH, false);
  box->setVideoMode(SCREEN_WIDTH, SCREEN_HEIGHT, DEPTH, false);  // the dummy desktop is 8-bit
  timer.setRate(RATE);
  if (!options.tle.empty()) {
    writeFile(dir.file("level.tle"), options.tle);
    writeFile(dir.file("level.map"), options.map);
    tileMap = new ZEL_TileMap(dir.file("level.tle").c_str(), box);
    tileMap->ReadMap(dir.file("level.map").c_str());
  }
  space = new ZEL_Space(box, &timer, tileMap, options.withDetector);
  ZEL_Actif::setSpace(space);
}

ZEL_ListAnimData* World::list(int w, int h, int x1, int y1, int x2, int y2, int count) {
  static int made = 0;
  const std::string stem = dir.file("anim" + std::to_string(made++));
  const std::vector<SprRgb> pixels(static_cast<size_t>(w) * h, ACTOR_COLOUR);
  writeFile(stem + ".spr", sprBytes(1, 0, w, h, pixels, {x1, y1, x2 < 0 ? w - 1 : x2, y2 < 0 ? h - 1 : y2}));
  std::string names;
  for (int i = 0; i < count; ++i) names += stem + ".spr\n";
  writeFile(stem + ".dat", bytesOf(names));
  return new ZEL_ListAnimData((stem + ".dat").c_str(), box, &timer);
}

ChildResult runInWorld(const std::function<void(World&)>& body, const WorldOptions& options) {
  return runInChild([&] {
    World world(options);
    body(world);
    CHILD_CHECK(!::testing::Test::HasFailure());
  });
}

WorldOptions levelFromText(const std::vector<std::string>& rows, int cell) {
  WorldOptions options;
  appendBytes(options.tle, plainTle(cell, cell, {60, 120, 200}, 1));  // tile 0: sky
  appendBytes(options.tle, plainTle(cell, cell, {120, 80, 40}, 0));   // tile 1: rock
  std::vector<uint16_t> cells;
  for (const std::string& row : rows)
    for (char c : row) cells.push_back(c == '#' ? 1 : 0);
  const uint32_t columns = static_cast<uint32_t>(rows[0].size()), lines = static_cast<uint32_t>(rows.size());
  options.map = mapBytes({columns, lines, cell, cell, 0, 0, 0, 0, 0}, cells);
  return options;
}
