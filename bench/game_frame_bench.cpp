// One frame of the demo, run in process from the data directory with a
// scripted player (walk, jump, shoot, both ways) over 3,000 frames: the
// cost of space step + view draw + caption + flip, without the wait, as a
// share of the 10 ms period (median and 99th percentile); then the period
// the real loop achieves with its busy wait, over 500 frames.
#include <SDL.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "bench_report.h"
#include "demo_level.h"
#include "player1.h"
#include "zel_font.h"
#include "zel_grafbox_sdl.h"
#include "zel_input.h"
#include "zel_sound_box_fmod.h"
#include "zel_space.h"
#include "zel_tile_map.h"
#include "zel_timer_sdl.h"
#include "zel_view.h"

namespace {

const int MEASURED_FRAMES = 3000;
const int WARMUP_FRAMES = 50;
const int PACED_FRAMES = 500;
const double PERIOD_MS = 1000.0 / demo::RATE;

typedef std::chrono::steady_clock Clock;

// Plays a fixed script: the frame number decides what is held.
class ScriptedPlay : public ZEL_Input {
 public:
  int frame = 0;
  bool go_up() override { return phase() == 1 && frame % 80 == 0; }
  bool go_down() override { return false; }
  bool go_left() override { return phase() == 2; }
  bool go_right() override { return phase() == 0 || phase() == 1; }
  bool go_jump() override { return false; }
  bool go_fire1() override { return phase() == 3; }
  bool go_fire2() override { return false; }
  bool go_escape() override { return false; }

 private:
  // 300 frames right, 300 right with jumps, 300 left, 100 shooting.
  int phase() const {
    const int t = frame % 1000;
    return t < 300 ? 0 : t < 600 ? 1 : t < 900 ? 2 : 3;
  }
};

}  // namespace

int main() {
  if (chdir(GAME_DATA_DIR) != 0) {
    fprintf(stderr, "no data directory %s\n", GAME_DATA_DIR);
    return 1;
  }
  ZEL_TimerSDL timer;
  timer.setRate(demo::RATE);
  ZEL_GrafboxSDL grafbox(demo::SCREEN_WIDTH, demo::SCREEN_HEIGHT, demo::SCREEN_DEPTH, false);
  grafbox.init_graf();
  ZEL_TileMap tileMap("dirod.tle", &grafbox);
  tileMap.ReadMap("dirod.map");
  ZEL_SoundBoxFMOD sound;
  demo::loadSamples(&sound);
  ZEL_Space space(&grafbox, &timer, &tileMap, &sound, false);
  ZEL_Font font("cartoon.spr", &grafbox);
  ScriptedPlay play;
  ZEL_Actif::setSpace(&space);
  const demo::Anims anims = demo::loadAnims(&grafbox, &timer);
  player1* player = demo::placeActors(space, anims, &play);
  ZEL_View* view = demo::createView(space, player);
  std::string caption = demo::CAPTION;

  auto frame = [&] {
    demo::playFrame(space, view, &grafbox, &font, caption);
    ++play.frame;
  };

  std::vector<double> costs;
  for (int i = 0; i < WARMUP_FRAMES + MEASURED_FRAMES; ++i) {
    const Clock::time_point start = Clock::now();
    frame();
    if (i >= WARMUP_FRAMES)
      costs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  // Baseline in the same run: one full-screen blit and a flip per frame.
  SDL_Surface* copy = SDL_DisplayFormat(ZEL_GrafboxSDL::getScreen());
  std::vector<double> baseline;
  for (int i = 0; i < MEASURED_FRAMES; ++i) {
    const Clock::time_point start = Clock::now();
    SDL_BlitSurface(copy, nullptr, ZEL_GrafboxSDL::getScreen(), nullptr);
    grafbox.copy_virtual_to_screen();
    baseline.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  SDL_FreeSurface(copy);

  std::vector<double> periods;
  Clock::time_point last = Clock::now();
  for (int i = 0; i < PACED_FRAMES; ++i) {
    timer.setReftime();
    frame();
    timer.waitWhile();
    const Clock::time_point now = Clock::now();
    periods.push_back(std::chrono::duration<double, std::milli>(now - last).count());
    last = now;
  }

  const double median = percentile(costs, 0.5), p99 = percentile(costs, 0.99);
  printf("demo frame without the wait, %d frames of scripted play (%d actors at the end):\n", MEASURED_FRAMES,
         space.getActifCount());
  printf("  median %.3f ms = %.1f%% of the %.0f ms period\n", median, 100 * median / PERIOD_MS, PERIOD_MS);
  printf("  p99    %.3f ms = %.1f%% of the period\n", p99, 100 * p99 / PERIOD_MS);
  const double base = percentile(baseline, 0.5);
  printf("  baseline, one full-screen blit and flip: median %.3f ms (demo frame = %.1f of them)\n", base,
         median / base);
  printf("real loop over %d frames: median period %.3f ms, p99 %.3f ms, worst %.3f ms\n", PACED_FRAMES,
         percentile(periods, 0.5), percentile(periods, 0.99), percentile(periods, 1.0));
  reportFigure("demo frame, median (no wait)", median, "one full-screen blit and flip", base, "ms");
  reportFigure("demo frame, p99 (no wait)", p99, "the 10 ms period", PERIOD_MS, "ms");
  reportFigure("demo loop period, p99 (pacing)", percentile(periods, 0.99), "the 10 ms period", PERIOD_MS,
               "ms");
  return 0;
}
