#include "zel_surface_sdl.h"

#include <climits>
#include <cstdint>
#include <cstring>

#include "zel_fatal.h"
#include "zel_pixel_sdl.h"
#include "zel_platform.h"

namespace {

// The flags clone() creates its copy with.
const int CLONE_FLAGS = SDL_ANYFORMAT;
const int CLONE_DEPTH = 32;
const Uint32 COLOR_KEY_FLAGS = SDL_SRCCOLORKEY | SDL_RLEACCEL;
// SDL 1.2 keeps a row's length in bytes in 16 bits: wider rows of 4-byte
// pixels would wrap it.
const int MAX_SIDE = 16383;

[[noreturn]] void failCreation() {
  ZEL_fatal(
      "Impossible de cr\xe9"
      "er une SurfaceSDL\n");
}

int squaredDistance(const SDL_Color& c, int r, int g, int b) {
  return (c.r - r) * (c.r - r) + (c.g - g) * (c.g - g) + (c.b - b) * (c.b - b);
}

// Palette formats: the nearest entry that is not the black key's.
Uint32 nearestPaletteValueBesides(SDL_PixelFormat* f, Uint32 key, int r, int g, int b) {
  Uint32 best = key;
  int bestDistance = INT_MAX;
  for (int i = 0; i < f->palette->ncolors; ++i) {
    const int d = squaredDistance(f->palette->colors[i], r, g, b);
    if (static_cast<Uint32>(i) != key && d < bestDistance) {
      best = static_cast<Uint32>(i);
      bestDistance = d;
    }
  }
  return best;
}

// True-colour formats: raise one channel to its smallest visible step, the
// one that moves the colour least.
Uint32 nearestTrueColorValueBesides(SDL_PixelFormat* f, int r, int g, int b) {
  const int steps[3] = {1 << f->Rloss, 1 << f->Gloss, 1 << f->Bloss};
  int c[3] = {r, g, b};
  int bestChannel = 2;
  int bestCost = INT_MAX;
  for (int i = 0; i < 3; ++i) {
    const int cost = steps[i] - c[i];
    if (cost > 0 && cost < bestCost) {
      bestCost = cost;
      bestChannel = i;
    }
  }
  c[bestChannel] = steps[bestChannel] > UINT8_MAX ? UINT8_MAX : steps[bestChannel];
  return SDL_MapRGB(f, c[0], c[1], c[2]);
}

// The pixel value for (r, g, b), black being the format's value of black.
// Where the format maps a near-black colour onto black, the transparent
// colour of every loaded image, the nearest other value is used instead so
// that the pixel stays visible.
Uint32 mapVisible(SDL_PixelFormat* f, Uint32 black, Uint8 r, Uint8 g, Uint8 b) {
  const Uint32 value = SDL_MapRGB(f, r, g, b);
  if ((r | g | b) == 0 || value != black) return value;
  return f->palette != nullptr ? nearestPaletteValueBesides(f, black, r, g, b)
                               : nearestTrueColorValueBesides(f, r, g, b);
}

// Packs count pixels of red, green, blue and an ignored byte into 32-bit
// values of 8 bits a channel.
void packRow(const Uint8* __restrict in, Uint32* __restrict out, int count, int rShift, int gShift,
             int bShift) {
  const Uint32 CHANNEL = 0xFF;
  const int BITS = 8;
  for (int x = 0; x < count; ++x) {
    Uint32 word;  // the pixel's four bytes, red lowest
    memcpy(&word, in + static_cast<size_t>(x) * ZEL_Surface::RGBX_BYTES, sizeof word);
    word = SDL_SwapLE32(word);
    out[x] = (word & CHANNEL) << rShift | (word >> BITS & CHANNEL) << gShift |
             (word >> 2 * BITS & CHANNEL) << bShift;
  }
}

}  // namespace

ZEL_SurfaceSDL::ZEL_SurfaceSDL(int flags, int width, int height, int depth) : surface(nullptr), black(0) {
  // SDL 1.2 converts to the display format without checking that a video
  // mode is open.
  if (SDL_GetVideoSurface() == nullptr) failCreation();
  // Nor does it refuse sizes that its 16-bit pitch cannot hold.
  if (width < 0 || height < 0 || width > MAX_SIDE || height > MAX_SIDE) failCreation();
  SDL_Surface* raw = SDL_CreateRGBSurface(static_cast<Uint32>(flags), width, height, depth, 0, 0, 0, 0);
  if (raw == nullptr) failCreation();
  surface = SDL_DisplayFormat(raw);
  SDL_FreeSurface(raw);
  if (surface == nullptr) failCreation();
  black = SDL_MapRGB(surface->format, 0, 0, 0);
}

ZEL_SurfaceSDL::ZEL_SurfaceSDL(SDL_Surface* s) : surface(s), black(SDL_MapRGB(s->format, 0, 0, 0)) {}

ZEL_SurfaceSDL::~ZEL_SurfaceSDL() { SDL_FreeSurface(surface); }

void ZEL_SurfaceSDL::setPixel(int x, int y, unsigned char r, unsigned char g, unsigned char b) {
  if (!zel_pixel::isInside(x, y, surface->w, surface->h)) return;  // before mapping: it costs
  zel_pixel::store(surface, x, y, stored(mapVisible(surface->format, black, r, g, b)));
}

void ZEL_SurfaceSDL::setPixels(const unsigned char* rgbx) {
  zel_pixel::LockGuard lock(surface);
  if (!lock.isLocked()) return;
  const SDL_PixelFormat* f = surface->format;
  if (!keyedOut && f->BytesPerPixel == sizeof(Uint32) && (f->Rloss | f->Gloss | f->Bloss) == 0 &&
      f->Amask == 0) {
    // 8 bits a channel: every colour keeps its own value, black alone is black.
    const size_t rowBytes = static_cast<size_t>(surface->w) * ZEL_Surface::RGBX_BYTES;
    for (int y = 0; y < surface->h; ++y, rgbx += rowBytes) {
      Uint32* row = reinterpret_cast<Uint32*>(static_cast<Uint8*>(surface->pixels) + y * surface->pitch);
      packRow(rgbx, row, surface->w, f->Rshift, f->Gshift, f->Bshift);
    }
    return;
  }
  for (int y = 0; y < surface->h; ++y) {
    for (int x = 0; x < surface->w; ++x, rgbx += ZEL_Surface::RGBX_BYTES) {
      zel_pixel::write(surface, x, y, stored(mapVisible(surface->format, black, rgbx[0], rgbx[1], rgbx[2])));
    }
  }
}

void ZEL_SurfaceSDL::getPixel(int x, int y, unsigned char* r, unsigned char* g, unsigned char* b) {
  zel_pixel::readRgb(surface, x, y, r, g, b);
}

void ZEL_SurfaceSDL::setTransparencyColor(unsigned char r, unsigned char g, unsigned char b) {
  const Uint32 key = SDL_MapRGB(surface->format, r, g, b);
  SDL_SetColorKey(surface, COLOR_KEY_FLAGS, key);
  if (ZEL_KEY_AS_ALPHA) keyOutAsAlpha(key);
}

void ZEL_SurfaceSDL::keyOutAsAlpha(Uint32 key) {
  keyedOut = true;
  keyValue = key;
  zel_pixel::LockGuard lock(surface);
  if (!lock.isLocked()) return;
  for (int y = 0; y < surface->h; ++y) {
    for (int x = 0; x < surface->w; ++x) {
      zel_pixel::write(surface, x, y, stored(zel_pixel::read(surface, x, y)));
    }
  }
}

int ZEL_SurfaceSDL::getLargeur() { return surface->w; }

int ZEL_SurfaceSDL::getHauteur() { return surface->h; }

ZEL_Surface* ZEL_SurfaceSDL::clone() {
  ZEL_SurfaceSDL* copy = new ZEL_SurfaceSDL(CLONE_FLAGS, getLargeur(), getHauteur(), CLONE_DEPTH);
  for (int y = 0; y < getHauteur(); ++y) {
    for (int x = 0; x < getLargeur(); ++x) {
      unsigned char r, g, b;
      getPixel(x, y, &r, &g, &b);
      copy->setPixel(x, y, r, g, b);
    }
  }
  return copy;
}
