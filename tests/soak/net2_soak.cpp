// The network layer for a set time: rounds of plain clients connecting to a layer server, streaming bytes it
// reads and checks, and closing. Fails on a changed byte, on socket records that keep growing, or on a
// descriptor left open after a round.
//   net2_soak MINUTES
#include <dirent.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "net2_load.h"

namespace {

const size_t CLIENTS = 8;
const size_t BYTES_EACH = 256 * 1024;
const int ROUND_LIMIT_MS = 60000;
const double SECONDS_PER_MINUTE = 60;
// Records are reused: a round never needs more than its clients and its server.
const int MOST_SOCKETS = static_cast<int>(CLIENTS) + 1;

int openDescriptors() {
  int n = 0;
  if (DIR* d = opendir("/proc/self/fd")) {
    while (readdir(d) != nullptr) ++n;
    closedir(d);
  }
  return n;
}

}  // namespace

int main(int argc, char** argv) {
  const double minutes = argc > 1 ? atof(argv[1]) : 1;
  if (SDL_Init(SDL_INIT_VIDEO) != 0 || FE_Init() != 0 || SDLNet_Init() != 0 || NET2_Init() != 0) {
    fprintf(stderr, "net2_soak: cannot start the layer\n");
    return 1;
  }
  const int descriptors = openDescriptors();
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(minutes * SECONDS_PER_MINUTE);
  long rounds = 0;
  int highest = -1;
  std::string problem;
  while (problem.empty() && std::chrono::steady_clock::now() < end) {
    problem = runNet2Load(CLIENTS, BYTES_EACH, ROUND_LIMIT_MS, &highest);
    // Closed sockets are dropped by the layer's thread: give it a few passes.
    if (problem.empty() && !waitUntil([&] { return openDescriptors() <= descriptors; }, ROUND_LIMIT_MS)) {
      problem = "descriptors left open: " + std::to_string(openDescriptors() - descriptors);
    }
    if (problem.empty() && highest >= MOST_SOCKETS) problem = "socket records grow: " + std::to_string(highest);
    ++rounds;
  }
  NET2_Quit();
  SDLNet_Quit();
  FE_Quit();
  SDL_Quit();
  printf("net2_soak: %ld rounds of %zu clients x %zu bytes, highest socket %d: %s\n", rounds, CLIENTS, BYTES_EACH,
         highest, problem.empty() ? "clean" : problem.c_str());
  return problem.empty() ? 0 : 1;
}
