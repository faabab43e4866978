#include "demo_level.h"

#include "bullet.h"
#include "fly.h"
#include "player1.h"
#include "shit.h"
#include "soldier.h"
#include "zel_grafbox.h"
#include "zel_anim_data.h"
#include "zel_list_anim_data.h"
#include "zel_sound_box.h"
#include "zel_space.h"
#include "zel_surface.h"
#include "zel_view.h"

namespace demo {

const char BANNER_ADDRESS[] = "http://www.example.com/zel";
const char CAPTION[] = "Plateforme demo de la ZEL Team: http://zel.example.org";

namespace {

const int PLAYER_X = 210;
const int PLAYER_Y = 120;
const int PLAYER_PERIOD = 1;
const int FLY_PERIOD = 1;
const int VIEW_CLIENT = 666;
const int SECOND_PLAYER_X = PLAYER_X + 40;

struct Position {
  int x, y;
};
const Position FLIES[] = {{200, 102}, {100, 102}, {250, 102}, {50, 20}, {20, 30},  {15, 40},
                          {11, 50},   {12, 60},   {13, 70},   {20, 80}, {16, 90},  {50, 100},
                          {45, 110},  {10, 120},  {5, 130},   {0, 140}};

}  // namespace

void loadSamples(ZEL_SoundBox* sound) {
  mouche::BRUITAGE_HIT = sound->LoadSample("injury.wav");
  bullet::BRUITAGE_WALL = sound->LoadSample("kick.wav");
  shit::BRUITAGE_WALL = sound->LoadSample("kick.wav");
  player1::BRUITAGE_JUMP = sound->LoadSample("jump.wav");
  player1::BRUITAGE_FALL = sound->LoadSample("fall.wav");
  soldier::BRUITAGE_JUMP = sound->LoadSample("jump.wav");
  soldier::BRUITAGE_FALL = sound->LoadSample("fall.wav");
  sound->LoadSample("intro.wav");  // its id is kept by nobody: nothing plays it
}

Anims loadAnims(ZEL_Grafbox* grafbox, ZEL_Timer* timer) {
  Anims a;
  a.fly = new ZEL_ListAnimData("mouche.dat", grafbox, timer);
  a.player = new ZEL_ListAnimData("player1.dat", grafbox, timer);
  a.bullet = new ZEL_ListAnimData("bullet.dat", grafbox, timer);
  a.shit = new ZEL_ListAnimData("shit.dat", grafbox, timer);
  a.soldier = new ZEL_ListAnimData("soldier.dat", grafbox, timer);  // no actor uses it
  return a;
}

player1* placeActors(ZEL_Space& space, const Anims& anims, ZEL_Input* input) {
  player1* player = new player1(PLAYER_X, PLAYER_Y, PLAYER_PERIOD, anims.player, anims.bullet, input);
  space.add(player);
  for (const Position& p : FLIES) space.add(new mouche(p.x, p.y, FLY_PERIOD, anims.fly, anims.shit));
  return player;
}

ZEL_ListAnimData* loadSecondPlayerAnims(ZEL_Grafbox* grafbox, ZEL_Timer* timer) {
  ZEL_ListAnimData* looks = new ZEL_ListAnimData("player1.dat", grafbox, timer);
  for (int a = 0; a < looks->nbAnims; ++a) {
    ZEL_Vector<ZEL_Surface>* frames = looks->anims[a]->getFrames();
    for (int f = 0; f < frames->getSize(); ++f) {
      ZEL_Surface* s = frames->elementAt(f);
      for (int y = 0; y < s->getHauteur(); ++y) {
        for (int x = 0; x < s->getLargeur(); ++x) {
          unsigned char r, g, b;
          s->getPixel(x, y, &r, &g, &b);
          s->setPixel(x, y, b, r, g);  // the channels turned: black, the key, stays black
        }
      }
    }
  }
  return looks;
}

player1* placeSecondPlayer(ZEL_Space& space, const Anims& anims, ZEL_ListAnimData* looks, ZEL_Input* input) {
  player1* second = new player1(SECOND_PLAYER_X, PLAYER_Y, PLAYER_PERIOD, looks, anims.bullet, input);
  space.add(second);
  return second;
}

ZEL_View* createView(ZEL_Space& space, player1* player) {
  return new ZEL_View(VIEW_CLIENT, &space, space.grafbox, player, 0, 0, 0, 0);
}

void playFrame(ZEL_Space& space, ZEL_View* view, ZEL_Grafbox* grafbox, ZEL_Font* font, std::string& caption) {
  space.step();
  view->draw();
  showFrame(view, grafbox, font, caption);
}

void showFrame(ZEL_View* view, ZEL_Grafbox* grafbox, ZEL_Font* font, std::string& caption) {
  grafbox->put_text(CAPTION_X, CAPTION_Y, &caption[0], font, view->get_largeur(), view->get_hauteur(),
                    SCREEN_WIDTH, SCREEN_HEIGHT);
  grafbox->copy_virtual_to_screen();
}

}  // namespace demo
