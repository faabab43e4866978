#ifndef TWO_PLAYERS_H
#define TWO_PLAYERS_H

struct PlayOptions;

namespace play {

// The level with two players, one on each side of the network: --host
// waits for --join. Each side's player follows its keyboard, or the first
// player's inputs of the stream given with --replay (then Escape once it
// ends). The game is recorded into --record's file, or into
// "two-players-host.stream" or "two-players-join.stream".
int twoPlayers(const PlayOptions& options);

}  // namespace play

#endif
