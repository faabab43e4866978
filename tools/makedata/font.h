#ifndef MAKEDATA_FONT_H
#define MAKEDATA_FONT_H

#include <string>

class ZEL_Grafbox;

// Renders a 256-glyph bitmap font with FreeType from a source of lines:
//   face PATH                 a font file FreeType reads
//   pixels N                  the nominal size in pixels
//   cell W H                  the glyph cell; the game advances 2W/5
//   pen X                     the glyph origin's column in the cell
//   fill-top R G B            glyph colour at the cell's top row...
//   fill-bottom R G B         ...blending to this one at its bottom row
//   outline R G B             a one-pixel ring round every glyph
// Glyph c is the character U+00c (ISO-8859-1); control characters and
// characters the face lacks are left empty.
void makeFont(const std::string& source, const std::string& sprFile, ZEL_Grafbox* grafbox);

#endif
