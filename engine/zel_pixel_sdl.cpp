#include "zel_pixel_sdl.h"

namespace zel_pixel {

namespace {

const int BITS_PER_BYTE = 8;

uint8_t* rowStart(SDL_Surface* s, int y) {
  return static_cast<uint8_t*>(s->pixels) + static_cast<size_t>(y) * s->pitch;
}

}  // namespace

LockGuard::LockGuard(SDL_Surface* s) : surface(s), locked(false), ok(true) {
  if (SDL_MUSTLOCK(surface)) {
    locked = SDL_LockSurface(surface) == 0;
    ok = locked;
  }
}

LockGuard::~LockGuard() {
  if (locked) SDL_UnlockSurface(surface);
}

void write(SDL_Surface* s, int x, int y, uint32_t value) {
  uint8_t* row = rowStart(s, y);
  switch (s->format->BytesPerPixel) {
    case 1:
      row[x] = static_cast<uint8_t>(value);
      break;
    case 2:
      reinterpret_cast<uint16_t*>(row)[x] = static_cast<uint16_t>(value);
      break;
    case 3: {
      uint8_t* p = row + 3 * x;
      p[0] = static_cast<uint8_t>(value);
      p[1] = static_cast<uint8_t>(value >> BITS_PER_BYTE);
      p[2] = static_cast<uint8_t>(value >> (2 * BITS_PER_BYTE));
      break;
    }
    case 4:
      reinterpret_cast<uint32_t*>(row)[x] = value;
      break;
    default:
      break;
  }
}

uint32_t read(SDL_Surface* s, int x, int y) {
  const uint8_t* row = rowStart(s, y);
  switch (s->format->BytesPerPixel) {
    case 1:
      return row[x];
    case 2:
      return reinterpret_cast<const uint16_t*>(row)[x];
    case 3: {
      const uint8_t* p = row + 3 * x;
      return p[0] | (p[1] << BITS_PER_BYTE) | (p[2] << (2 * BITS_PER_BYTE));
    }
    case 4:
      return reinterpret_cast<const uint32_t*>(row)[x];
    default:
      return 0;
  }
}

void store(SDL_Surface* s, int x, int y, uint32_t value) {
  if (!isInside(x, y, s->w, s->h)) return;
  LockGuard lock(s);
  if (lock.isLocked()) write(s, x, y, value);
}

void readRgb(SDL_Surface* s, int x, int y, uint8_t* r, uint8_t* g, uint8_t* b) {
  *r = *g = *b = 0;
  if (!isInside(x, y, s->w, s->h)) return;
  uint32_t value;
  {
    LockGuard lock(s);
    if (!lock.isLocked()) return;
    value = read(s, x, y);
  }
  uint8_t alpha;
  SDL_GetRGBA(value, s->format, r, g, b, &alpha);
}

}  // namespace zel_pixel
