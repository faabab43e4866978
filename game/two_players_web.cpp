// The web build has no network layer: the two-player mode is absent.
#include <cstdio>

#include "two_players.h"

namespace play {

int twoPlayers(const PlayOptions&) {
  fputs("two players: not in the web build\n", stderr);
  return 1;
}

}  // namespace play
