#include "world.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "anim_files.h"

World::World(bool withDetector) {
  box = new ZEL_GrafboxSDL(SCREEN_WIDTH, SCREEN_HEIGHT, 32, false);
  // The dummy driver's desktop is 8-bit: ask for true colour.
  box->setVideoMode(SCREEN_WIDTH, SCREEN_HEIGHT, 32, false);
  timer.setRate(100);
  space = new ZEL_Space(box, &timer, withDetector);
  ZEL_Actif::setSpace(space);
}

World::~World() {
  delete space;
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

ChildResult runInWorld(const std::function<void(World&)>& body, bool withDetector) {
  return runInChild([&] {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    {
      World world(withDetector);
      body(world);
    }
    fflush(stdout);
    _exit(::testing::Test::HasFailure() ? 1 : 0);
  });
}

CountingActif::CountingActif(int period, ZEL_ListAnimData* list, long x, long y)
    : ZEL_Actif(period, list, x, y, 0) {
  useCount();
}
