// TCP load through the network layer: 32 plain clients, each on its own
// thread, stream 1 MiB each to one layer server that reads through its
// events; every byte is checked. Baseline: the same transfer between plain
// blocking sockets, one reader thread per connection. Reports MiB/s of both
// and the median ratio layer / plain.
#include <SDL.h>
#include <SDL_net.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "fastevents.h"
#include "net2.h"
#include "net2_load.h"

namespace {

const int CLIENTS = 32;
const size_t BYTES_EACH = 1024 * 1024;
const int LIMIT_MS = 120000;  // a run that takes longer has failed
const int REPETITIONS = 5;
const double BYTES_PER_MIB = 1024.0 * 1024.0;

std::vector<double> net2Rates;
std::vector<double> plainRates;

void measure(benchmark::State& state, net2load::LoadResult (*run)(int, size_t, int),
             std::vector<double>* rates) {
  for (auto _ : state) {
    const net2load::LoadResult r = run(CLIENTS, BYTES_EACH, LIMIT_MS);
    if (!r.ok) {
      state.SkipWithError(r.problem.c_str());
      return;
    }
    const double rate = static_cast<double>(r.payloadBytes) / BYTES_PER_MIB / r.seconds;
    state.SetIterationTime(r.seconds);
    state.counters["MiB_per_s"] = rate;
    rates->push_back(rate);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * CLIENTS *
                          static_cast<int64_t>(BYTES_EACH));
}

void BM_Net2Load(benchmark::State& state) { measure(state, net2load::runNet2Load, &net2Rates); }

void BM_PlainSocketsLoad(benchmark::State& state) {
  measure(state, net2load::runPlainLoad, &plainRates);
}

// The first run of each warms caches and the allocator; it is not counted.
BENCHMARK(BM_Net2Load)->Iterations(1)->Repetitions(REPETITIONS)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainSocketsLoad)->Iterations(1)->Repetitions(REPETITIONS)->UseManualTime()->Unit(benchmark::kMillisecond);

double medianAfterFirst(std::vector<double> v) {
  if (v.size() > 1) v.erase(v.begin());
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  if (SDL_Init(SDL_INIT_VIDEO) != 0 || FE_Init() != 0 || SDLNet_Init() != 0 || NET2_Init() != 0) {
    fprintf(stderr, "start-up failed: %s\n", SDL_GetError());
    return 1;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  const double net2 = medianAfterFirst(net2Rates);
  const double plain = medianAfterFirst(plainRates);
  printf("machine: %u hardware threads\n", std::thread::hardware_concurrency());
  printf("load: %d clients x %zu bytes, every byte checked\n", CLIENTS, BYTES_EACH);
  printf("median throughput: net2 %.1f MiB/s, plain blocking sockets %.1f MiB/s\n", net2, plain);
  if (plain > 0) printf("ratio net2 / plain: %.3f\n", net2 / plain);
  NET2_Quit();
  SDLNet_Quit();
  FE_Quit();
  SDL_Quit();
  return net2 > 0 && plain > 0 ? 0 : 1;
}
