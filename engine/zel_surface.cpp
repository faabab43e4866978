#include "zel_surface.h"

#include <memory>

ZEL_Surface::~ZEL_Surface() {}

void ZEL_Surface::setPixels(const unsigned char* rgbx) {
  const int w = getLargeur();
  const int h = getHauteur();
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x, rgbx += RGBX_BYTES) setPixel(x, y, rgbx[0], rgbx[1], rgbx[2]);
  }
}

void ZEL_Surface::rotate90Degree() {
  if (getLargeur() != getHauteur()) return;
  std::unique_ptr<ZEL_Surface> copy(clone());
  const int side = getLargeur();
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      unsigned char r, g, b;
      copy->getPixel(x, y, &r, &g, &b);
      setPixel(y, x, r, g, b);
    }
  }
}

void ZEL_Surface::mirror() {
  std::unique_ptr<ZEL_Surface> copy(clone());
  const int width = getLargeur();
  const int height = getHauteur();
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      unsigned char r, g, b;
      copy->getPixel(x, y, &r, &g, &b);
      setPixel(width - 1 - x, y, r, g, b);
    }
  }
}
