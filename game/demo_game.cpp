#include "demo_game.h"

#include <SDL.h>

#include "bullet.h"
#include "fnv1a.h"
#include "player1.h"
#include "projectile_pool.h"
#include "shit.h"
#include "zel_font.h"
#include "zel_grafbox_sdl.h"
#include "zel_input_keyboard_sdl.h"
#include "zel_sound_box_fmod.h"
#include "zel_space.h"
#include "zel_sprite_anim.h"
#include "zel_tile_map.h"
#include "zel_timer_sdl.h"
#include "zel_view.h"

namespace {

const int MUSIC_VOLUME = 100;
const int NOTICE_Y = 200;  // mid-screen, above the caption

}  // namespace

DemoGame::DemoGame(Steering steering, int viewed)
    : timer(new ZEL_TimerSDL()) {
  timer->setRate(demo::RATE);
  grafbox = new ZEL_GrafboxSDL(demo::SCREEN_WIDTH, demo::SCREEN_HEIGHT, demo::SCREEN_DEPTH, false);
  grafbox->init_graf();
  tileMap = new ZEL_TileMap("dirod.tle", grafbox);
  tileMap->ReadMap("dirod.map");
  sound = new ZEL_SoundBoxFMOD();
  demo::loadSamples(sound);
  sound->set_Musicvolume(MUSIC_VOLUME);
  space = new ZEL_Space(grafbox, timer, tileMap, sound, false);
  font = new ZEL_Font("cartoon.spr", grafbox);
  keyboard = new ZEL_InputKeyboardSDL(SDLK_UP, SDLK_DOWN, SDLK_RIGHT, SDLK_LEFT, SDLK_v, SDLK_SPACE, SDLK_n,
                                      SDLK_ESCAPE);
  ZEL_Actif::setSpace(space);
  anims = demo::loadAnims(grafbox, timer);
  ZEL_Input* first = steering == KEYBOARD ? static_cast<ZEL_Input*>(keyboard) : &held[0];
  players[0] = demo::placeActors(*space, anims, first);
  if (steering == TWO_HELD) {
    players[1] =
        demo::placeSecondPlayer(*space, anims, demo::loadSecondPlayerAnims(grafbox, timer), &held[1]);
  }
  view = demo::createView(*space, players[viewed]);
  caption = demo::CAPTION;
}

DemoGame::~DemoGame() {
  grafbox->init_text();
  delete keyboard;
  // Deliberate: each box goes only if the space was given it (here always); the space never deletes them.
  if (space->grafbox != nullptr) delete grafbox;
  if (space->timer != nullptr) delete timer;
  if (space->soundBox != nullptr) delete sound;
  // Projectiles in flight, and those that left the space, are no longer anyone's.
  ProjectilePool<bullet>::reclaimAll();
  ProjectilePool<shit>::reclaimAll();
  delete font;
  delete space;
  delete tileMap;
}

void DemoGame::frame() { demo::playFrame(*space, view, grafbox, font, caption); }

void DemoGame::quietFrame() {
  space->step();
  view->draw();
}

void DemoGame::show() { demo::showFrame(view, grafbox, font, caption); }

void DemoGame::showNotice(const std::string& text) {
  std::string line = text;
  grafbox->put_text(demo::CAPTION_X, NOTICE_Y, &line[0], font, demo::SCREEN_WIDTH, demo::SCREEN_HEIGHT,
                    demo::SCREEN_WIDTH, demo::SCREEN_HEIGHT);
  grafbox->copy_virtual_to_screen();
}

uint64_t DemoGame::stateHash() {
  Fnv1a h;
  for (int i = 0; i < space->getActifCount(); ++i) {
    ZEL_Actif* a = space->getActif(i);
    if (a == nullptr) continue;
    GameActif* kind = dynamic_cast<GameActif*>(a);
    ZEL_SpriteAnim* anim = a->getCurrentSpriteAnim();
    for (int64_t n :
         {int64_t{i}, int64_t{a->getType()}, int64_t{a->getXworld()}, int64_t{a->getYworld()},
          int64_t{kind != nullptr ? kind->stateNumber() : -1}, int64_t{a->getCurrentSpriteAnimIndex()},
          int64_t{anim != nullptr ? anim->getCurrentFrame() : -1}}) {
      h.addNumber(n);
    }
  }
  // With two, each side's view follows its own player: not the game's state.
  if (players[1] == nullptr) {
    h.addNumber(view->get_xscreen_world());
    h.addNumber(view->get_yscreen_world());
  }
  return h.value();
}
