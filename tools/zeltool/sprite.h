#ifndef ZELTOOL_SPRITE_H
#define ZELTOOL_SPRITE_H

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "rgba_image.h"
#include "zel_anim_data.h"

class ZEL_Grafbox;
class ZEL_Timer;

// The engine's largest animation frame side, and its reading of GIF delays
// at 100 steps a second: ten hundredths a step, smaller delays as steps.
const int MAX_FRAME_SIDE = ZEL_AnimData::MAX_FRAME_SIDE;
const unsigned GIF_HUNDREDTHS_PER_STEP = 10;

// One animation as zeltool converts it: frames of one size whose alpha is
// 0 where the engine keys out (its transparent black) and 255 elsewhere,
// and a delay in steps and a bound box (x1, y1, x2, y2) per frame.
struct Sprite {
  int width = 0, height = 0;
  std::vector<RgbaImage> frames;
  std::vector<unsigned> delays;
  std::vector<std::array<int32_t, 4>> boxes;
};

// How a PNG sheet is cut into frames; 0 or -1: not given.
struct SheetOptions {
  int frameWidth = 0, frameHeight = 0;
  int count = 0, margin = 0, spacing = 0;
  int delay = -1;
  bool hasKey = false;
  uint8_t key[3] = {0, 0, 0};
  int alphaThreshold = -1;
};

// A .spr or GIF read by the engine's own loader (boxes from a zeltool GIF
// comment when there is one). Warnings on standard error for GIF frames
// whose size or delay differ from the first's.
Sprite readAnimation(const std::string& path, ZEL_Grafbox* grafbox, ZEL_Timer* timer);

// A PNG sheet cut into frames; what the options leave out comes from the
// sheet's zeltool text chunk. Fully transparent pixels, and those of the
// key colour when there is one, become the engine's transparent black. ToolError for partly transparent
// pixels without a threshold, and for frames that do not fit.
Sprite readSheet(const std::string& path, const SheetOptions& options, ZEL_Grafbox* grafbox);

// Written under a temporary name, renamed when complete.
void writeSpr(const Sprite& sprite, const std::string& path, ZEL_Grafbox* grafbox, ZEL_Timer* timer);
void writeGif(const Sprite& sprite, const std::string& path);
void writeSheet(const Sprite& sprite, const std::string& path);

#endif
