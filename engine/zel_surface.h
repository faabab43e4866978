#ifndef ZEL_SURFACE_H
#define ZEL_SURFACE_H

// One image in memory: pixels written and read as red, green and blue, and
// an optional transparent colour that blits leave out. Made only by the
// graphics box's getSurface (or by clone); the receiver owns it and
// destroys it with delete.
class ZEL_Surface {
 public:
  // Bytes a pixel of setPixels: red, green, blue, one ignored byte.
  static constexpr int RGBX_BYTES = 4;

  virtual ~ZEL_Surface();

  // Stores the colour at (x, y); outside the surface nothing is written.
  virtual void setPixel(int x, int y, unsigned char r, unsigned char g, unsigned char b) = 0;

  // Stores the whole image at once, as setPixel would pixel by pixel: rows
  // from the top of getLargeur() pixels, each pixel red, green, blue and
  // one ignored byte.
  virtual void setPixels(const unsigned char* rgbx);
  // Reads the colour at (x, y) into *r, *g, *b; outside the surface all
  // three are 0. The pointers must be valid.
  virtual void getPixel(int x, int y, unsigned char* r, unsigned char* g, unsigned char* b) = 0;

  // Blits from this surface leave out every pixel of exactly this colour.
  virtual void setTransparencyColor(unsigned char r, unsigned char g, unsigned char b) = 0;

  virtual int getLargeur() = 0;
  virtual int getHauteur() = 0;

  // A new 32-bit copy of the pixels, without transparent colour; the
  // caller owns it.
  virtual ZEL_Surface* clone() = 0;

  // Transposes a square image across its top-left diagonal; a surface that
  // is not square is left as it is.
  virtual void rotate90Degree();

  // Reverses the image left to right; the transparent colour stays.
  virtual void mirror();
};

#endif
