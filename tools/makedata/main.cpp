// makedata: makes the font and the sounds of the game's data from the
// readable sources under data/, through the engine's own writers; the
// level and the sprites come from zeltool.
//   makedata SOURCE_DIR OUT_DIR
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "font.h"
#include "source_text.h"
#include "sounds.h"
#include "zel_grafbox_sdl.h"

namespace {

// Surfaces need a video mode; a small 32-bit one on the dummy driver
// keeps colours exact.
const int SCREEN_SIDE = 64;
const int SCREEN_DEPTH = 32;

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: makedata SOURCE_DIR OUT_DIR\n");
    return 2;
  }
  const std::string in = argv[1];
  const std::string out = argv[2];
  std::error_code error;
  std::filesystem::create_directories(out, error);
  if (error) failTool("cannot make " + out);

  setenv("SDL_VIDEODRIVER", "dummy", 1);
  ZEL_GrafboxSDL grafbox(SCREEN_SIDE, SCREEN_SIDE, SCREEN_DEPTH, false);
  grafbox.setVideoMode(SCREEN_SIDE, SCREEN_SIDE, SCREEN_DEPTH, false);

  makeFont(in + "/font.txt", out + "/cartoon.spr", &grafbox);
  makeSounds(in + "/sounds.txt", out);
  return 0;
}
