#ifndef DEMO_LEVEL_H
#define DEMO_LEVEL_H

#include <string>

class player1;
class ZEL_Font;
class ZEL_Grafbox;
class ZEL_Input;
class ZEL_ListAnimData;
class ZEL_SoundBox;
class ZEL_Space;
class ZEL_Timer;
class ZEL_View;

// The demo level's fixed set-up and frame, shared by the program entry, the
// frame benchmark and the golden run. Everything made here lives until the process ends.
namespace demo {

const unsigned RATE = 100;  // steps per second
const int SCREEN_WIDTH = 640;
const int SCREEN_HEIGHT = 480;
const int SCREEN_DEPTH = 32;
const int CAPTION_X = 50;
const int CAPTION_Y = 430;
extern const char BANNER_ADDRESS[];
extern const char CAPTION[];

struct Anims {
  ZEL_ListAnimData* fly;
  ZEL_ListAnimData* player;
  ZEL_ListAnimData* bullet;
  ZEL_ListAnimData* shit;
  ZEL_ListAnimData* soldier;
};

// The eight samples, in their fixed order, into the game's sample ids.
void loadSamples(ZEL_SoundBox* sound);

// The five animation lists, in their fixed order.
Anims loadAnims(ZEL_Grafbox* grafbox, ZEL_Timer* timer);

// The player, then the sixteen flies, each added to the space at once.
player1* placeActors(ZEL_Space& space, const Anims& anims, ZEL_Input* input);

// The second player's animations: the player's, loaded again and
// recoloured so that the two can be told apart.
ZEL_ListAnimData* loadSecondPlayerAnims(ZEL_Grafbox* grafbox, ZEL_Timer* timer);

// A second player beside the first, added to the space after the flies
// (which go on following the first).
player1* placeSecondPlayer(ZEL_Space& space, const Anims& anims, ZEL_ListAnimData* looks, ZEL_Input* input);

// The full-screen view of client 666 that follows the player.
ZEL_View* createView(ZEL_Space& space, player1* player);

// One frame: a step of the space, the view, the caption (put_text takes a
// writable text), then the screen.
void playFrame(ZEL_Space& space, ZEL_View* view, ZEL_Grafbox* grafbox, ZEL_Font* font, std::string& caption);
// The caption over the drawn view, then the screen.
void showFrame(ZEL_View* view, ZEL_Grafbox* grafbox, ZEL_Font* font, std::string& caption);

}  // namespace demo

#endif
