#include "image.h"

#include "zel_grafbox.h"
#include "zel_surface.h"

ZEL_Surface* toSurface(const Image& in, ZEL_Grafbox* grafbox) {
  ZEL_Surface* s = grafbox->getSurface(in.largeur, in.hauteur);
  for (int y = 0; y < in.hauteur; ++y)
    for (int x = 0; x < in.largeur; ++x) {
      const Rgb& c = in.at(x, y);
      s->setPixel(x, y, c.r, c.g, c.b);
    }
  return s;
}
