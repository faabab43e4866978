#ifndef ZEL_PIXEL_SDL_H
#define ZEL_PIXEL_SDL_H

#include <SDL.h>

#include <cstdint>

// In-place pixel access shared by the SDL surfaces and the graphics box.
// Coordinates must already be inside the surface.
namespace zel_pixel {

// Locks the surface for the scope where SDL requires it (RLE-keyed or
// hardware surfaces); does nothing otherwise.
class LockGuard {
 public:
  explicit LockGuard(SDL_Surface* s);
  ~LockGuard();
  LockGuard(const LockGuard&) = delete;
  LockGuard& operator=(const LockGuard&) = delete;
  bool isLocked() const { return ok; }

 private:
  SDL_Surface* surface;
  bool locked;
  bool ok;
};

// Stores value at (x, y) for 1, 2, 3 or 4 bytes per pixel; other sizes
// write nothing. Three-byte pixels take bits 0-7, 8-15, 16-23 in order.
void write(SDL_Surface* s, int x, int y, uint32_t value);

// Reads the value at (x, y); 0 for an unsupported pixel size.
uint32_t read(SDL_Surface* s, int x, int y);

// Stores value at (x, y) under the lock SDL may need; outside the surface
// nothing is written.
void store(SDL_Surface* s, int x, int y, uint32_t value);

// Decodes the colour at (x, y) into *r, *g, *b; outside the surface, or
// when it cannot be locked, all three are 0.
void readRgb(SDL_Surface* s, int x, int y, uint8_t* r, uint8_t* g, uint8_t* b);

// True when (x, y) lies inside width x height, compared as unsigned so that
// negative coordinates are outside.
inline bool isInside(int x, int y, int width, int height) {
  return static_cast<uint32_t>(x) < static_cast<uint32_t>(width) &&
         static_cast<uint32_t>(y) < static_cast<uint32_t>(height);
}

}  // namespace zel_pixel

#endif
