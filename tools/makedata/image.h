#ifndef MAKEDATA_IMAGE_H
#define MAKEDATA_IMAGE_H

#include <cstddef>
#include <cstdint>
#include <vector>

class ZEL_Grafbox;
class ZEL_Surface;

// An RGB colour; (0, 0, 0) is the engine's transparent colour.
struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
  bool operator!=(const Rgb& o) const { return !(*this == o); }
  bool isTransparent() const { return r == 0 && g == 0 && b == 0; }
};

const Rgb TRANSPARENT = {0, 0, 0};

// A picture in memory, row by row from the top.
struct Image {
  int largeur = 0;
  int hauteur = 0;
  std::vector<Rgb> pixels;

  Image() = default;
  Image(int w, int h) : largeur(w), hauteur(h), pixels(static_cast<size_t>(w) * h) {}
  Rgb& at(int x, int y) { return pixels[static_cast<size_t>(y) * largeur + x]; }
  const Rgb& at(int x, int y) const { return pixels[static_cast<size_t>(y) * largeur + x]; }
};

// A new surface of the graphics box holding the image; the caller owns it.
ZEL_Surface* toSurface(const Image& in, ZEL_Grafbox* grafbox);

#endif
