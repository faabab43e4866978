#ifndef ZEL_SURFACE_SDL_H
#define ZEL_SURFACE_SDL_H

#include <SDL.h>

#include "zel_surface.h"

// A surface over an SDL_Surface in the display's pixel format. Made by
// ZEL_GrafboxSDL::getSurface once the video mode is open; owns its
// SDL_Surface and frees it on destruction.
class ZEL_SurfaceSDL : public ZEL_Surface {
 public:
  // A new surface converted to the display format. Ends the process with a
  // message when SDL cannot make or convert it.
  ZEL_SurfaceSDL(int flags, int width, int height, int depth);

  // Wraps s as it is, without conversion, and takes ownership of it.
  explicit ZEL_SurfaceSDL(SDL_Surface* s);

  ~ZEL_SurfaceSDL() override;
  ZEL_SurfaceSDL(const ZEL_SurfaceSDL&) = delete;
  ZEL_SurfaceSDL& operator=(const ZEL_SurfaceSDL&) = delete;

  void setPixel(int x, int y, unsigned char r, unsigned char g, unsigned char b) override;
  // Locks once for the whole image.
  void setPixels(const unsigned char* rgbx) override;
  void getPixel(int x, int y, unsigned char* r, unsigned char* g, unsigned char* b) override;
  void setTransparencyColor(unsigned char r, unsigned char g, unsigned char b) override;
  int getLargeur() override;
  int getHauteur() override;
  ZEL_Surface* clone() override;

  SDL_Surface* getInternalData() { return surface; }

 private:
  // Where SDL keys no colour out (zel_platform.h), the key colour's pixels
  // are stored fully transparent instead, before and after it is set.
  Uint32 stored(Uint32 value) const { return keyedOut && value == keyValue ? TRANSPARENT : value; }
  void keyOutAsAlpha(Uint32 key);

  static constexpr Uint32 TRANSPARENT = 0;

  SDL_Surface* surface;
  // The format's value of black, the transparent colour of loaded images.
  Uint32 black;
  bool keyedOut = false;
  Uint32 keyValue = 0;
};

#endif
