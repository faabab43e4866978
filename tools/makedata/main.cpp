// makedata: makes the game's data files from the readable sources under
// data/, through the engine's own writers; the level comes from zeltool.
//   makedata SOURCE_DIR OUT_DIR [--sheet FILE.ppm]
// --sheet also draws every animation's frames side by side into a PPM
// picture, one animation a row, to look the sprites over.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "font.h"
#include "source_text.h"
#include "sounds.h"
#include "sprites.h"
#include "zel_grafbox_sdl.h"

namespace {

// Surfaces need a video mode; a small 32-bit one on the dummy driver
// keeps colours exact.
const int SCREEN_SIDE = 64;
const int SCREEN_DEPTH = 32;
const int SHEET_ZOOM = 3;
const int SHEET_GAP = 6;
const Rgb SHEET_BACKGROUND = {96, 112, 128};

void writeSheet(const std::string& path, const std::vector<MadeAnimation>& anims) {
  int width = SHEET_GAP, height = SHEET_GAP;
  for (const MadeAnimation& a : anims) {
    int rowWidth = SHEET_GAP;
    for (const Image& f : a.frames) rowWidth += f.largeur * SHEET_ZOOM + SHEET_GAP;
    width = std::max(width, rowWidth);
    height += a.frames[0].hauteur * SHEET_ZOOM + SHEET_GAP;
  }
  Image sheet(width, height);
  for (Rgb& p : sheet.pixels) p = SHEET_BACKGROUND;
  int y0 = SHEET_GAP;
  for (const MadeAnimation& a : anims) {
    int x0 = SHEET_GAP;
    for (const Image& f : a.frames) {
      const Image big = scaled(f, SHEET_ZOOM);
      for (int y = 0; y < big.hauteur; ++y)
        for (int x = 0; x < big.largeur; ++x)
          if (!big.at(x, y).isTransparent()) sheet.at(x0 + x, y0 + y) = big.at(x, y);
      x0 += big.largeur + SHEET_GAP;
    }
    y0 += a.frames[0].hauteur * SHEET_ZOOM + SHEET_GAP;
  }
  FILE* f = fopen(path.c_str(), "wb");
  if (f == nullptr) failTool("cannot write " + path);
  fprintf(f, "P6\n%d %d\n255\n", width, height);
  for (const Rgb& p : sheet.pixels) fwrite(&p, 1, 3, f);
  fclose(f);
}

std::vector<std::string> spriteSources(const std::string& dir) {
  std::vector<std::string> paths;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(dir, error))
    if (entry.path().extension() == ".txt") paths.push_back(entry.path().string());
  if (error) failTool("cannot list " + dir);
  std::sort(paths.begin(), paths.end());
  return paths;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && !(argc == 5 && std::string(argv[3]) == "--sheet")) {
    fprintf(stderr, "usage: makedata SOURCE_DIR OUT_DIR [--sheet FILE.ppm]\n");
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

  std::vector<MadeAnimation> all;
  for (const std::string& source : spriteSources(in + "/sprites")) {
    const std::vector<MadeAnimation> made = makeSprites(source, out, &grafbox);
    all.insert(all.end(), made.begin(), made.end());
  }
  makeFont(in + "/font.txt", out + "/cartoon.spr", &grafbox);
  makeSounds(in + "/sounds.txt", out);
  if (argc == 5) writeSheet(argv[4], all);
  return 0;
}
