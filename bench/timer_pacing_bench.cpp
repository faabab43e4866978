// Frame pacing at 100 steps per second: the engine's busy setReftime() +
// waitWhile() against a baseline that sleeps out the period with SDL_Delay.
// Reports the median and 99th-percentile frame period and the largest
// overshoot beyond the 10 ms period, in milliseconds.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

#include "bench_report.h"
#include "zel_timer_sdl.h"

namespace {

const unsigned RATE = 100;
const int FRAMES = 500;
const int WARMUP_FRAMES = 5;  // first frames pay for page faults and caches
const double PERIOD_MS = 1000.0 / RATE;

typedef std::chrono::steady_clock Clock;

// Runs FRAMES frames of `frame` and reports the periods between frame starts.
void measurePacing(benchmark::State& state, const std::function<void()>& frame) {
  for (auto _ : state) {
    std::vector<double> periods;
    Clock::time_point last = Clock::now();
    for (int i = 0; i < WARMUP_FRAMES + FRAMES; ++i) {
      frame();
      const Clock::time_point now = Clock::now();
      if (i >= WARMUP_FRAMES) {
        periods.push_back(std::chrono::duration<double, std::milli>(now - last).count());
      }
      last = now;
    }
    const double worst = *std::max_element(periods.begin(), periods.end());
    state.counters["median_ms"] = percentile(periods, 0.5);
    state.counters["p99_ms"] = percentile(periods, 0.99);
    state.counters["max_overshoot_ms"] = worst - PERIOD_MS;
  }
}

void BM_BusyWaitWhile(benchmark::State& state) {
  ZEL_TimerSDL timer;
  timer.setRate(RATE);
  measurePacing(state, [&] {
    timer.setReftime();
    timer.waitWhile();
  });
}

// Baseline: sleep out whatever is left of the period.
void BM_SleepingDelay(benchmark::State& state) {
  const Uint32 periodMs = ZEL_Timer::getPeriodDuration(RATE);
  measurePacing(state, [&] {
    const Uint32 start = SDL_GetTicks();
    const Uint32 spent = SDL_GetTicks() - start;
    if (spent < periodMs) SDL_Delay(periodMs - spent);
  });
}

BENCHMARK(BM_BusyWaitWhile)->Iterations(1)->Repetitions(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SleepingDelay)->Iterations(1)->Repetitions(3)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (SDL_Init(SDL_INIT_TIMER) != 0) {
    fprintf(stderr, "SDL_Init: %s\n", SDL_GetError());
    return 1;
  }
  benchmark::Initialize(&argc, argv);
  MedianReporter reporter("p99_ms");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  printf("\nRatio of the median p99 periods (below 1: ours keeps time better):\n");
  reporter.compare("pacing, p99 period (setReftime + waitWhile)", "BM_BusyWaitWhile", "SDL_Delay",
                   "BM_SleepingDelay", "ms");
  SDL_Quit();
  return 0;
}
