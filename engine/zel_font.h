#ifndef ZEL_FONT_H
#define ZEL_FONT_H

#include <cstdint>

class ZEL_AnimData;
class ZEL_Grafbox;
class ZEL_Surface;

// A bitmap font: an animation of 256 frames, frame c being the glyph of
// byte c. Loaded once by the program entry and destroyed at its end; the
// glyph surfaces themselves live as long as the process.
class ZEL_Font {
 public:
  static constexpr uint32_t NB_GLYPHS = 256;

  // Loads file; one of another frame count is reported and used as it is.
  ZEL_Font(const char* file, ZEL_Grafbox* grafbox);
  ~ZEL_Font();
  ZEL_Font(const ZEL_Font&) = delete;
  ZEL_Font& operator=(const ZEL_Font&) = delete;

  // The glyph of c, or null when the font has no frame c.
  ZEL_Surface* getSurface(unsigned char c);
  uint32_t getLargeur() { return largeur; }
  uint32_t getHauteur() { return hauteur; }

 private:
  uint32_t hauteur;
  uint32_t largeur;
  ZEL_Grafbox* grafbox;
  ZEL_AnimData* animData;
};

#endif
