#ifndef MAKEDATA_PIXEL_ART_H
#define MAKEDATA_PIXEL_ART_H

#include <map>
#include <string>
#include <vector>

#include "image.h"
#include "source_text.h"

// The settings shared by the pixel-art sources (tiles and sprites):
//   size W H          art size of every picture, in art pixels
//   scale N           each art pixel becomes N x N pixels
//   outline R G B     pictures get a one-art-pixel outline of this colour
//   color C R G B     character C paints this colour
//   color C transparent
// A picture is the next H lines of exactly W characters.
class PixelArt {
 public:
  // Applies words when they are one of the settings above; false when the
  // words are something else.
  bool apply(const SourceText& source, const std::vector<std::string>& words);

  // Reads the next picture from source, outlined and scaled.
  Image readPicture(SourceText& source) const;

  int scale() const { return scale_; }

 private:
  int largeur_ = 0;
  int hauteur_ = 0;
  int scale_ = 1;
  bool hasOutline_ = false;
  Rgb outline_;
  std::map<char, Rgb> palette_;
};

// Three words as a colour; pure black is refused, since it is transparent.
Rgb parseColour(const SourceText& source, const std::vector<std::string>& words, size_t first);

#endif
