#ifndef PLAY_OPTIONS_H
#define PLAY_OPTIONS_H

#include <string>

// What the command line asks of the game. Without arguments: the game as
// it has always been, one player at the keyboard.
struct PlayOptions {
  enum Mode { PLAY, REPLAY, HOST, JOIN };

  Mode mode = PLAY;
  std::string record;  // --record FILE: where the game's stream goes at its end
  std::string replay;  // --replay FILE: watched alone, or a script for this side's player
  bool fast = false;   // --fast, with --replay only
  std::string host;    // --join HOST:PORT
  int port = 0;        // --host PORT, --join HOST:PORT

  // False on any option or value it does not know; then print USAGE.
  bool parse(int argc, const char* const* argv);

  static const char USAGE[];
};

#endif
