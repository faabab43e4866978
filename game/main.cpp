// The demo level: builds the engine objects, loads the level, its sounds and
// its actors from the current directory, and runs the frame loop at 100
// steps a second until Escape is held. Options record the game's inputs,
// replay them, or play it with two over the network.
#include <cstdio>
#include <iostream>

#include "demo_game.h"
#include "play_options.h"
#include "play_session.h"
#include "two_players.h"
#include "zel_input_keyboard_sdl.h"
#include "zel_timer_sdl.h"

namespace {

const int USAGE_STATUS = 2;

int playAtTheKeyboard() {
  DemoGame game(DemoGame::KEYBOARD);
  do {
    game.timer->setReftime();
    game.frame();
    game.timer->waitWhile();
  } while (!game.keyboard->go_escape());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  PlayOptions options;
  if (!options.parse(argc, argv)) {
    fputs(PlayOptions::USAGE, stderr);
    return USAGE_STATUS;
  }
  std::cout << "--- " << demo::BANNER_ADDRESS << " ---" << std::endl;
  switch (options.mode) {
    case PlayOptions::REPLAY:
      return play::replay(options.replay, options.fast);
    case PlayOptions::PLAY:
      return options.record.empty() ? playAtTheKeyboard() : play::record(options.record);
    default:
      return play::twoPlayers(options);
  }
}
