#ifndef MAKEDATA_SPRITES_H
#define MAKEDATA_SPRITES_H

#include <string>
#include <vector>

#include "image.h"

class ZEL_Grafbox;

// One animation as written: its file name and its frames.
struct MadeAnimation {
  std::string file;
  std::vector<Image> frames;
};

// Makes one actor kind's animations and their list from a source of
// PixelArt settings and these lines:
//   frame NAME                         followed by its picture
//   list FILE.dat                      the list to write
//   anim FILE delay N [mirror] frames NAME...
// Each anim line makes FILE (.spr through the engine's writer, or an
// animated .gif) from the named frames, shown N further steps each, left
// to right reversed when mirror is given; the list names the animations
// in the order of their lines. All animations of a kind are one size.
std::vector<MadeAnimation> makeSprites(const std::string& source, const std::string& outDir,
                                       ZEL_Grafbox* grafbox);

#endif
