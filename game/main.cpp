// The demo level: builds the engine objects, loads the level, its sounds and
// its actors from the current directory, and runs the frame loop at 100
// steps a second until Escape is held.
#include <SDL.h>

#include <iostream>
#include <string>

#include "bullet.h"
#include "demo_level.h"
#include "player1.h"
#include "projectile_pool.h"
#include "shit.h"
#include "zel_font.h"
#include "zel_grafbox_sdl.h"
#include "zel_input_keyboard_sdl.h"
#include "zel_sound_box_fmod.h"
#include "zel_space.h"
#include "zel_tile_map.h"
#include "zel_timer_sdl.h"
#include "zel_view.h"

int main(int, char**) {
  std::cout << "--- " << demo::BANNER_ADDRESS << " ---" << std::endl;

  ZEL_TimerSDL* timer = new ZEL_TimerSDL();
  timer->setRate(demo::RATE);
  ZEL_GrafboxSDL* grafbox =
      new ZEL_GrafboxSDL(demo::SCREEN_WIDTH, demo::SCREEN_HEIGHT, demo::SCREEN_DEPTH, false);
  grafbox->init_graf();
  {
    ZEL_TileMap tileMap("dirod.tle", grafbox);
    tileMap.ReadMap("dirod.map");
    ZEL_SoundBox* sound = new ZEL_SoundBoxFMOD();
    demo::loadSamples(sound);
    sound->set_Musicvolume(100);
    ZEL_Space space(grafbox, timer, &tileMap, sound, false);
    ZEL_Font font("cartoon.spr", grafbox);
    ZEL_InputKeyboardSDL* keyboard = new ZEL_InputKeyboardSDL(SDLK_UP, SDLK_DOWN, SDLK_RIGHT, SDLK_LEFT,
                                                              SDLK_v, SDLK_SPACE, SDLK_n, SDLK_ESCAPE);
    ZEL_Actif::setSpace(&space);
    const demo::Anims anims = demo::loadAnims(grafbox, timer);
    player1* player = demo::placeActors(space, anims, keyboard);
    ZEL_View* view = demo::createView(space, player);

    std::string caption = demo::CAPTION;
    do {
      timer->setReftime();
      demo::playFrame(space, view, grafbox, &font, caption);
      timer->waitWhile();
    } while (!keyboard->go_escape());

    grafbox->init_text();
    delete keyboard;
    // Deliberate: each box goes only if the space was given it (here always); the space never deletes them.
    if (space.grafbox != nullptr) delete grafbox;
    if (space.timer != nullptr) delete timer;
    if (space.soundBox != nullptr) delete sound;
    // Projectiles in flight, and those that left the space, are no longer anyone's.
    ProjectilePool<bullet>::reclaimAll();
    ProjectilePool<shit>::reclaimAll();
  }  // the font, the space, then the tile map
  return 0;
}
