// The demo level: builds the engine objects, loads the level, its sounds and
// its actors from the current directory, and runs the frame loop at 100
// steps a second until Escape is held.
#include <SDL.h>

#include <iostream>

#include "bullet.h"
#include "fly.h"
#include "player1.h"
#include "shit.h"
#include "soldier.h"
#include "zel_font.h"
#include "zel_grafbox_sdl.h"
#include "zel_input_keyboard_sdl.h"
#include "zel_list_anim_data.h"
#include "zel_sound_box_fmod.h"
#include "zel_space.h"
#include "zel_tile_map.h"
#include "zel_timer_sdl.h"
#include "zel_view.h"

namespace {

const char BANNER_ADDRESS[] = "http://www.example.com/zel";
const char CAPTION[] = "Plateforme demo de la ZEL Team: http://zel.example.org";

const unsigned RATE = 100;  // steps per second
const int SCREEN_WIDTH = 640;
const int SCREEN_HEIGHT = 480;
const int SCREEN_DEPTH = 32;
const int CAPTION_X = 50;
const int CAPTION_Y = 430;

const int PLAYER_X = 210;
const int PLAYER_Y = 120;
const int PLAYER_PERIOD = 1;
const int FLY_PERIOD = 1;
const int VIEW_CLIENT = 666;

struct Position {
  int x, y;
};
const Position FLIES[] = {{200, 102}, {100, 102}, {250, 102}, {50, 20}, {20, 30},  {15, 40},
                          {11, 50},   {12, 60},   {13, 70},   {20, 80}, {16, 90},  {50, 100},
                          {45, 110},  {10, 120},  {5, 130},   {0, 140}};

void loadSamples(ZEL_SoundBox* sound) {
  mouche::BRUITAGE_HIT = sound->LoadSample("injury.wav");
  bullet::BRUITAGE_WALL = sound->LoadSample("kick.wav");
  shit::BRUITAGE_WALL = sound->LoadSample("kick.wav");
  player1::BRUITAGE_JUMP = sound->LoadSample("jump.wav");
  player1::BRUITAGE_FALL = sound->LoadSample("fall.wav");
  soldier::BRUITAGE_JUMP = sound->LoadSample("jump.wav");
  soldier::BRUITAGE_FALL = sound->LoadSample("fall.wav");
  const int intro = sound->LoadSample("intro.wav");  // nothing plays it
  (void)intro;
}

}  // namespace

int main(int, char**) {
  std::cout << "--- " << BANNER_ADDRESS << " ---" << std::endl;

  ZEL_TimerSDL* timer = new ZEL_TimerSDL();
  timer->setRate(RATE);
  ZEL_GrafboxSDL* grafbox = new ZEL_GrafboxSDL(SCREEN_WIDTH, SCREEN_HEIGHT, SCREEN_DEPTH, false);
  grafbox->init_graf();
  {
    ZEL_TileMap tileMap("dirod.tle", grafbox);
    tileMap.ReadMap("dirod.map");
    ZEL_SoundBox* sound = new ZEL_SoundBoxFMOD();
    loadSamples(sound);
    sound->set_Musicvolume(100);
    ZEL_Space space(grafbox, timer, &tileMap, sound, false);
    ZEL_Font font("cartoon.spr", grafbox);
    ZEL_InputKeyboardSDL* keyboard = new ZEL_InputKeyboardSDL(SDLK_UP, SDLK_DOWN, SDLK_RIGHT, SDLK_LEFT,
                                                              SDLK_v, SDLK_SPACE, SDLK_n, SDLK_ESCAPE);
    ZEL_Actif::setSpace(&space);

    // The lists, the actors and the view live until the process ends.
    ZEL_ListAnimData* flyAnims = new ZEL_ListAnimData("mouche.dat", grafbox, timer);
    ZEL_ListAnimData* playerAnims = new ZEL_ListAnimData("player1.dat", grafbox, timer);
    ZEL_ListAnimData* bulletAnims = new ZEL_ListAnimData("bullet.dat", grafbox, timer);
    ZEL_ListAnimData* shitAnims = new ZEL_ListAnimData("shit.dat", grafbox, timer);
    new ZEL_ListAnimData("soldier.dat", grafbox, timer);

    player1* player = new player1(PLAYER_X, PLAYER_Y, PLAYER_PERIOD, playerAnims, bulletAnims, keyboard);
    space.add(player);
    for (const Position& p : FLIES) space.add(new mouche(p.x, p.y, FLY_PERIOD, flyAnims, shitAnims));
    ZEL_View* view = new ZEL_View(VIEW_CLIENT, &space, space.grafbox, player, 0, 0, 0, 0);

    char caption[sizeof CAPTION];
    std::copy(CAPTION, CAPTION + sizeof CAPTION, caption);
    do {
      timer->setReftime();
      space.step();
      view->draw();
      grafbox->put_text(CAPTION_X, CAPTION_Y, caption, &font, view->get_largeur(), view->get_hauteur(),
                        SCREEN_WIDTH, SCREEN_HEIGHT);
      grafbox->copy_virtual_to_screen();
      timer->waitWhile();
    } while (!keyboard->go_escape());

    grafbox->init_text();
    delete keyboard;
    if (space.grafbox != nullptr) delete grafbox;
    if (space.timer != nullptr) delete timer;
    if (space.soundBox != nullptr) delete sound;
    // Projectiles that left the space are no longer anyone's.
    bullet::reclaim();
    shit::reclaim();
  }  // the font, the space, then the tile map
  return 0;
}
