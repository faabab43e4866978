#ifndef DEMO_GAME_H
#define DEMO_GAME_H

#include <cstdint>
#include <string>

#include "demo_level.h"
#include "held_input.h"

class player1;
class ZEL_Font;
class ZEL_GrafboxSDL;
class ZEL_InputKeyboardSDL;
class ZEL_SoundBox;
class ZEL_Space;
class ZEL_TileMap;
class ZEL_TimerSDL;
class ZEL_View;

// The demo level made from the data files of the current directory, in the
// order the program entry has always made it, and unmade in its order. The
// keyboard steers the player, or each player follows its HeldInput, set by
// whoever plays the game (a recording, the network) before each step.
class DemoGame {
 public:
  enum Steering { KEYBOARD, ONE_HELD, TWO_HELD };
  static constexpr int MAX_PLAYERS = 2;

  // With two players, the view follows players[viewed].
  explicit DemoGame(Steering steering, int viewed = 0);
  ~DemoGame();
  DemoGame(const DemoGame&) = delete;
  DemoGame& operator=(const DemoGame&) = delete;

  // A whole frame: the step, the view, the caption, the screen.
  void frame();
  // The step and the view's drawing (which moves it and plays the
  // animations: the game's state needs it), without showing anything.
  void quietFrame();
  // What frame() shows after the step: the caption, then the screen.
  void show();
  // A line over the frame as it stands, shown at once; the game's state
  // does not change.
  void showNotice(const std::string& text);
  // Every actor's type, place, state, animation and frame; with one
  // player, the view too.
  uint64_t stateHash();

  void setCaption(const std::string& text) { caption = text; }

  ZEL_TimerSDL* timer;
  ZEL_GrafboxSDL* grafbox;
  ZEL_InputKeyboardSDL* keyboard;
  HeldInput held[MAX_PLAYERS];
  player1* players[MAX_PLAYERS] = {};

 private:
  ZEL_TileMap* tileMap;
  ZEL_SoundBox* sound;
  ZEL_Space* space;
  ZEL_Font* font;
  demo::Anims anims;
  ZEL_View* view;
  std::string caption;
};

#endif
