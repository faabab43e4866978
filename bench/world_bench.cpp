// The space with 16, 1000 and 5000 public actors of an 8 x 8 animation:
// one step() of all of them, one draw of each, adding them all; and, with
// the collision detector, the refresh after a vertical move that re-sorts
// and a query, against collisionLowLevel in the same run. The frame budget
// at 100 steps a second is 10 ms. A process holds one space, so the runs
// without and with the detector are made in two processes.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "zel_actif.h"
#include "zel_grafbox_sdl.h"
#include "zel_list_anim_data.h"
#include "zel_space.h"
#include "zel_timer_sdl.h"

namespace {

const int SCREEN = 640;
const int SPRITE = 8;
const int WORLD = 2000;

ZEL_GrafboxSDL* box;
ZEL_Space* space;
ZEL_ListAnimData* anims;

// A walker: steps one pixel right each time its action runs.
class Walker : public ZEL_Actif {
 public:
  Walker(long x, long y) : ZEL_Actif(0, anims, x, y, 0) {
    currentAction = static_cast<Action>(&Walker::walk);
  }
  void walk() { setXworld((getXworld() + 1) % WORLD); }
};

std::vector<Walker*> populate(int n) {
  std::vector<Walker*> actors;
  for (int i = 0; i < n; ++i) actors.push_back(new Walker((i * 7919) % WORLD, (i * 104729) % WORLD));
  return actors;
}

void clear(std::vector<Walker*>& actors) {
  for (Walker* a : actors) space->killAndDestroy(a);
  actors.clear();
}

void BM_Step(benchmark::State& state) {
  std::vector<Walker*> actors = populate(static_cast<int>(state.range(0)));
  for (Walker* a : actors) space->add(a);
  for (auto _ : state) space->step();
  clear(actors);
}

void BM_DrawAll(benchmark::State& state) {
  std::vector<Walker*> actors = populate(static_cast<int>(state.range(0)));
  for (Walker* a : actors) space->add(a);
  for (auto _ : state) {
    for (int i = 0; i < space->getActifCount(); ++i) space->getActif(i)->draw(0, 0, 0, 0, SCREEN, SCREEN);
  }
  clear(actors);
}

void BM_AddAll(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<Walker*> actors = populate(static_cast<int>(state.range(0)));
    state.ResumeTiming();
    for (Walker* a : actors) space->add(a);
    state.PauseTiming();
    clear(actors);
    state.ResumeTiming();
  }
}

// A vertical move that changes the drawing order: the detector refreshes.
void BM_ReSortingMove(benchmark::State& state) {
  std::vector<Walker*> actors = populate(static_cast<int>(state.range(0)));
  for (Walker* a : actors) space->add(a);
  Walker* moving = actors[0];
  int step = 0;
  for (auto _ : state) moving->setYworld((step++ % 2) == 0 ? 0 : WORLD);
  clear(actors);
}

void BM_Query(benchmark::State& state) {
  std::vector<Walker*> actors = populate(static_cast<int>(state.range(0)));
  for (Walker* a : actors) space->add(a);
  size_t i = 0, hits = 0;
  for (auto _ : state) {
    hits += space->collision(actors[i % actors.size()], actors[(i * 31 + 7) % actors.size()]);
    ++i;
  }
  benchmark::DoNotOptimize(hits);
  clear(actors);
}

void BM_CollisionLowLevel(benchmark::State& state) {
  std::vector<Walker*> actors = populate(static_cast<int>(state.range(0)));
  for (Walker* a : actors) space->add(a);
  size_t i = 0, hits = 0;
  for (auto _ : state) {
    hits += actors[i % actors.size()]->collisionLowLevel(actors[(i * 31 + 7) % actors.size()]);
    ++i;
  }
  benchmark::DoNotOptimize(hits);
  clear(actors);
}

void sizes(benchmark::internal::Benchmark* b) {
  b->Arg(16)->Arg(1000)->Arg(5000)->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_Step)->Apply(sizes);
BENCHMARK(BM_DrawAll)->Apply(sizes);
BENCHMARK(BM_AddAll)->Apply(sizes);
BENCHMARK(BM_ReSortingMove)->Apply(sizes);
BENCHMARK(BM_Query)->Arg(1000)->Arg(5000);
BENCHMARK(BM_CollisionLowLevel)->Arg(1000)->Arg(5000);

void writeAnimation() {
  std::vector<unsigned char> spr = {1, 0, 0, 0, SPRITE, 0, SPRITE, 0};
  for (int i = 0; i < SPRITE * SPRITE; ++i) spr.insert(spr.end(), {200, 100, 50, 0});
  for (int v : {0, 0, SPRITE - 1, SPRITE - 1})
    spr.insert(spr.end(), {static_cast<unsigned char>(v), 0, 0, 0});
  FILE* f = fopen("/tmp/zel_world_bench.spr", "wb");
  fwrite(spr.data(), 1, spr.size(), f);
  fclose(f);
  f = fopen("/tmp/zel_world_bench.dat", "wb");
  fputs("/tmp/zel_world_bench.spr\n", f);
  fclose(f);
}

int runSuite(int argc, char** argv, bool withDetector, const char* filter) {
  setenv("SDL_VIDEODRIVER", "dummy", 0);
  box = new ZEL_GrafboxSDL(SCREEN, SCREEN, 32, false);
  box->setVideoMode(SCREEN, SCREEN, 32, false);
  static ZEL_TimerSDL timer;
  timer.setRate(100);
  space = new ZEL_Space(box, &timer, withDetector);
  ZEL_Actif::setSpace(space);
  anims = new ZEL_ListAnimData("/tmp/zel_world_bench.dat", box, &timer);
  printf("== %s the collision detector\n", withDetector ? "with" : "without");
  fflush(stdout);
  std::vector<char*> args(argv, argv + argc);
  std::string filterArg = std::string("--benchmark_filter=") + filter;
  args.push_back(&filterArg[0]);
  int n = static_cast<int>(args.size());
  benchmark::Initialize(&n, args.data());
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  writeAnimation();
  const pid_t child = fork();
  if (child == 0)
    _exit(runSuite(argc, argv, false, "BM_(Step|DrawAll|AddAll|ReSortingMove|CollisionLowLevel)"));
  int status = 0;
  waitpid(child, &status, 0);
  return runSuite(argc, argv, true, "BM_(AddAll|ReSortingMove|Query|CollisionLowLevel)");
}
