#include "world.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "anim_files.h"
#include "tile_files.h"

World::World(const WorldOptions& options) {
  box = new ZEL_GrafboxSDL(SCREEN_WIDTH, SCREEN_HEIGHT, 32, false);
  // The dummy driver's desktop is 8-bit: ask for true colour.
  box->setVideoMode(SCREEN_WIDTH, SCREEN_HEIGHT, 32, false);
  timer.setRate(100);
  if (!options.tle.empty()) {
    const std::string stem = tempPath("level");
    writeFile(stem + ".tle", options.tle);
    writeFile(stem + ".map", options.map);
    files.push_back(stem + ".tle");
    files.push_back(stem + ".map");
    tileMap = new ZEL_TileMap((stem + ".tle").c_str(), box);
    tileMap->ReadMap((stem + ".map").c_str());
    space = new ZEL_Space(box, &timer, tileMap, options.withDetector);
  } else {
    space = new ZEL_Space(box, &timer, options.withDetector);
  }
  ZEL_Actif::setSpace(space);
}

World::~World() {
  delete space;
  delete tileMap;
  for (const std::string& f : files) remove(f.c_str());
}

ZEL_ListAnimData* World::list(int w, int h, int x1, int y1, int x2, int y2) {
  if (x2 < 0) x2 = w - 1;
  if (y2 < 0) y2 = h - 1;
  const std::string stem = tempPath("actor" + std::to_string(files.size()));
  std::vector<SprRgb> pixels(static_cast<size_t>(w) * h, SprRgb{200, 100, 50});
  writeFile(stem + ".spr", sprBytes(1, 0, static_cast<uint16_t>(w), static_cast<uint16_t>(h), pixels,
                                    {x1, y1, x2, y2}));
  const std::string names = stem + ".spr\n";
  writeFile(stem + ".dat", std::vector<uint8_t>(names.begin(), names.end()));
  files.push_back(stem + ".spr");
  files.push_back(stem + ".dat");
  return new ZEL_ListAnimData((stem + ".dat").c_str(), box, &timer);
}

ZEL_ListAnimData* World::listOf(int count, int w, int h) {
  const std::string stem = tempPath("kind" + std::to_string(files.size()));
  std::vector<SprRgb> pixels(static_cast<size_t>(w) * h, SprRgb{200, 100, 50});
  writeFile(stem + ".spr", sprBytes(1, 0, static_cast<uint16_t>(w), static_cast<uint16_t>(h), pixels,
                                    {0, 0, w - 1, h - 1}));
  std::string names;
  for (int i = 0; i < count; ++i) names += stem + ".spr\n";
  writeFile(stem + ".dat", std::vector<uint8_t>(names.begin(), names.end()));
  files.push_back(stem + ".spr");
  files.push_back(stem + ".dat");
  return new ZEL_ListAnimData((stem + ".dat").c_str(), box, &timer);
}

ChildResult runInWorld(const std::function<void(World&)>& body, bool withDetector) {
  WorldOptions options;
  options.withDetector = withDetector;
  return runInWorld(body, options);
}

ChildResult runInWorld(const std::function<void(World&)>& body, const WorldOptions& options) {
  return runInChild([&] {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    {
      World world(options);
      body(world);
    }
    fflush(stdout);
    flushCoverage();
    _exit(::testing::Test::HasFailure() ? 1 : 0);
  });
}

CountingActif::CountingActif(int period, ZEL_ListAnimData* list, long x, long y)
    : ZEL_Actif(period, list, x, y, 0) {
  useCount();
}

WorldOptions levelFromText(const std::vector<std::string>& rows, int cell) {
  const TileRgb sky = {60, 120, 200}, rock = {120, 80, 40};
  WorldOptions options;
  appendBytes(options.tle, plainTle(cell, cell, sky, 1));
  appendBytes(options.tle, plainTle(cell, cell, rock, 0));
  std::vector<uint16_t> cells;
  for (const std::string& row : rows)
    for (char c : row) cells.push_back(c == '#' ? 1 : 0);
  MapHeader h = {};
  h.colonnes = static_cast<uint32_t>(rows[0].size());
  h.lignes = static_cast<uint32_t>(rows.size());
  h.largeurTile = cell;
  h.hauteurTile = cell;
  options.map = mapBytes(h, cells);
  return options;
}
