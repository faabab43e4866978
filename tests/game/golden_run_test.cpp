// One golden run of the demo level: the real data, a fixed input per step,
// no waiting. The final positions and a hash of the last frame must stay
// as recorded; a change to the data or to the game's rules changes them on
// purpose, and then the recorded values are updated with it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "child_process.h"
#include "demo_level.h"
#include "fly.h"
#include "player1.h"
#include "scripted_input.h"
#include "zel_font.h"
#include "zel_grafbox_sdl.h"
#include "zel_space.h"
#include "zel_tile_map.h"
#include "zel_timer_sdl.h"
#include "zel_view.h"

namespace {

const int FRAMES = 1500;
const uint64_t FNV_OFFSET = 14695981039346656037ull;
const uint64_t FNV_PRIME = 1099511628211ull;

// Right for 400 frames with a jump every 80, shooting for 100, left for 400,
// then standing.
void script(ScriptedInput& in, int frame) {
  in.releaseAll();
  if (frame < 400) {
    in.right = true;
    in.up = frame % 80 == 40;
  } else if (frame < 500) {
    in.fire1 = true;
  } else if (frame < 900) {
    in.left = true;
  }
}

uint64_t hashScreen() {
  SDL_Surface* s = ZEL_GrafboxSDL::getScreen();
  uint64_t h = FNV_OFFSET;
  for (int y = 0; y < s->h; ++y) {
    const uint8_t* row = static_cast<const uint8_t*>(s->pixels) + y * s->pitch;
    for (int i = 0; i < s->w * s->format->BytesPerPixel; ++i) h = (h ^ row[i]) * FNV_PRIME;
  }
  return h;
}

}  // namespace

TEST(GoldenRunTest, ScriptedPlayEndsWhereItWasRecorded) {
  const ChildResult r = runInChild([] {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    if (chdir(ZEL_GAME_DATA_DIR) != 0) _exit(2);
    ZEL_TimerSDL timer;
    timer.setRate(demo::RATE);
    ZEL_GrafboxSDL grafbox(demo::SCREEN_WIDTH, demo::SCREEN_HEIGHT, demo::SCREEN_DEPTH, false);
    grafbox.setVideoMode(demo::SCREEN_WIDTH, demo::SCREEN_HEIGHT, demo::SCREEN_DEPTH, false);
    ZEL_TileMap tileMap("dirod.tle", &grafbox);
    tileMap.ReadMap("dirod.map");
    ZEL_Space space(&grafbox, &timer, &tileMap, false);  // silent: no sound box
    ZEL_Font font("cartoon.spr", &grafbox);
    ScriptedInput input;
    ZEL_Actif::setSpace(&space);
    player1* player = demo::placeActors(space, demo::loadAnims(&grafbox, &timer), &input);
    ZEL_View* view = demo::createView(space, player);
    std::string caption = demo::CAPTION;
    for (int frame = 0; frame < FRAMES; ++frame) {
      script(input, frame);
      space.step();
      view->draw();
      grafbox.put_text(demo::CAPTION_X, demo::CAPTION_Y, &caption[0], &font, view->get_largeur(),
                       view->get_hauteur(), demo::SCREEN_WIDTH, demo::SCREEN_HEIGHT);
    }
    int flies = 0;
    for (int i = 0; i < space.getActifCount(); ++i) flies += space.getActif(i)->getType() == mouche::TYPE;
    printf("player %ld %ld actors %d flies %d frame %016llx\n", player->getXworld(), player->getYworld(),
           space.getActifCount(), flies, static_cast<unsigned long long>(hashScreen()));
  });
  ASSERT_EQ(r.exitCode, 0) << describe(r);
  EXPECT_EQ(r.out, "player 29 352 actors 17 flies 16 frame d08f587e0415b8e3\n");
}
