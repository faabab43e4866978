// TCP load through the network layer: 32 plain clients, each on its own thread, stream 1 MiB
// each to one layer server that reads through its events; every byte is checked. Baseline: the
// same transfer between plain blocking sockets, one reader thread per connection. Each run is
// timed whole, connecting included. Reports MiB/s of both and the median ratio layer / plain.
#include <SDL.h>
#include <SDL_net.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "bench_report.h"
#include "fastevents.h"
#include "net2.h"
#include "net2_load.h"

namespace {

const size_t CLIENTS = 32;
const size_t BYTES_EACH = 1024 * 1024;
const int LIMIT_MS = 120000;  // a run that takes longer has failed
const int REPETITIONS = 5;
const double BYTES_PER_MIB = 1024.0 * 1024.0;

std::vector<double> net2Rates;
std::vector<double> plainRates;

// The same transfer between plain blocking sockets, one reader thread per connection.
std::string runPlainLoad(size_t clients, size_t bytesEach, int limitMs) {
  const int listener = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a = loopbackAddress(0);
  socklen_t len = sizeof a;
  if (bind(listener, reinterpret_cast<sockaddr*>(&a), len) != 0 ||
      listen(listener, static_cast<int>(clients)) != 0 ||
      getsockname(listener, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
    close(listener);
    return "listen failed";
  }
  std::vector<int> fds, accepted;
  for (size_t c = 0; c < clients; ++c) {
    fds.push_back(plainConnect(ntohs(a.sin_port)));
    accepted.push_back(accept(listener, nullptr, nullptr));
  }
  close(listener);
  std::vector<std::string> streams, received(clients);
  for (size_t c = 0; c < clients; ++c) streams.push_back(clientStream(c, bytesEach));
  for (std::string& r : received) r.reserve(bytesEach);
  std::vector<std::thread> threads;
  for (size_t c = 0; c < clients; ++c) {
    threads.emplace_back([&, c] {
      send(fds[c], streams[c].data(), streams[c].size(), MSG_NOSIGNAL);
      shutdown(fds[c], SHUT_WR);
    });
    // A reader that waits longer than the limit for data gives up.
    const timeval limit = {limitMs / 1000, 0};
    setsockopt(accepted[c], SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    threads.emplace_back([&, c] {
      std::vector<char> buf(64 * 1024);
      ssize_t n;
      while ((n = recv(accepted[c], buf.data(), buf.size(), 0)) > 0) received[c].append(buf.data(), n);
    });
  }
  for (std::thread& t : threads) t.join();
  std::string problem;
  for (size_t c = 0; c < clients; ++c) {
    if (received[c] != streams[c]) problem = "a stream changed";
  }
  for (int fd : fds) close(fd);
  for (int fd : accepted) close(fd);
  return problem;
}

void measure(benchmark::State& state, std::string (*run)(size_t, size_t, int), std::vector<double>* rates) {
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const std::string problem = run(CLIENTS, BYTES_EACH, LIMIT_MS);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!problem.empty()) {
      state.SkipWithError(problem.c_str());
      return;
    }
    const double rate = static_cast<double>(CLIENTS * BYTES_EACH) / BYTES_PER_MIB / seconds;
    state.SetIterationTime(seconds);
    state.counters["MiB_per_s"] = rate;
    rates->push_back(rate);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * CLIENTS * BYTES_EACH));
}

void BM_Net2Load(benchmark::State& state) {
  measure(state, [](size_t clients, size_t bytes, int limitMs) { return runNet2Load(clients, bytes, limitMs); },
          &net2Rates);
}

void BM_PlainSocketsLoad(benchmark::State& state) { measure(state, runPlainLoad, &plainRates); }

// The first run of each warms caches and the allocator; it is not counted.
BENCHMARK(BM_Net2Load)
    ->Iterations(1)
    ->Repetitions(REPETITIONS)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainSocketsLoad)
    ->Iterations(1)
    ->Repetitions(REPETITIONS)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

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
  printf("load: %zu clients x %zu bytes, every byte checked\n", CLIENTS, BYTES_EACH);
  printf("median throughput: net2 %.1f MiB/s, plain blocking sockets %.1f MiB/s\n", net2, plain);
  if (plain > 0) printf("ratio net2 / plain: %.3f\n", net2 / plain);
  reportFigure("TCP load, 32 clients x 1 MiB (net2)", net2, "plain sockets", plain, "MiB/s");
  NET2_Quit();
  SDLNet_Quit();
  FE_Quit();
  SDL_Quit();
  return net2 > 0 && plain > 0 ? 0 : 1;
}
