#include "image.h"

#include "zel_grafbox.h"
#include "zel_surface.h"

Image scaled(const Image& in, int factor) {
  Image out(in.largeur * factor, in.hauteur * factor);
  for (int y = 0; y < out.hauteur; ++y)
    for (int x = 0; x < out.largeur; ++x) out.at(x, y) = in.at(x / factor, y / factor);
  return out;
}

Image mirrored(const Image& in) {
  Image out(in.largeur, in.hauteur);
  for (int y = 0; y < in.hauteur; ++y)
    for (int x = 0; x < in.largeur; ++x) out.at(x, y) = in.at(in.largeur - 1 - x, y);
  return out;
}

Image outlined(const Image& in, Rgb c) {
  Image out = in;
  auto visible = [&](int x, int y) {
    return x >= 0 && y >= 0 && x < in.largeur && y < in.hauteur && !in.at(x, y).isTransparent();
  };
  for (int y = 0; y < in.hauteur; ++y)
    for (int x = 0; x < in.largeur; ++x) {
      if (visible(x, y)) continue;
      if (visible(x - 1, y) || visible(x + 1, y) || visible(x, y - 1) || visible(x, y + 1)) out.at(x, y) = c;
    }
  return out;
}

ZEL_Surface* toSurface(const Image& in, ZEL_Grafbox* grafbox) {
  ZEL_Surface* s = grafbox->getSurface(in.largeur, in.hauteur);
  for (int y = 0; y < in.hauteur; ++y)
    for (int x = 0; x < in.largeur; ++x) {
      const Rgb& c = in.at(x, y);
      s->setPixel(x, y, c.r, c.g, c.b);
    }
  return s;
}
