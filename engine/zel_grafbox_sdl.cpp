#include "zel_grafbox_sdl.h"

#include <cstdio>

#include "zel_byte_order.h"
#include "zel_fatal.h"
#include "zel_font.h"
#include "zel_pixel_sdl.h"
#include "zel_platform.h"

SDL_Surface* ZEL_GrafboxSDL::screen = nullptr;
int32_t ZEL_GrafboxSDL::profondeur = 0;
uint32_t ZEL_GrafboxSDL::mdf = SDL_ANYFORMAT;
uint32_t ZEL_GrafboxSDL::creatMode = SDL_ANYFORMAT;
ZEL_Vector<ZEL_SurfaceSDL> ZEL_GrafboxSDL::all_surfaces_allocated;

namespace {

const Uint32 INIT_FLAGS = SDL_INIT_TIMER | SDL_INIT_VIDEO | SDL_INIT_NOPARACHUTE;
// mdf and creatMode hold SDL 1.2's own bit values, which callers may read
// (the web build's SDL has its own: see zel_platform.h).
static_assert(!ZEL_SDL_1_2_FLAGS || (SDL_ANYFORMAT == 0x10000000 && SDL_FULLSCREEN == 0x80000000),
              "SDL 1.2 video flags");
// The BMP header fields holding the image width and height.
const long BMP_WIDTH_OFFSET = 18;
const long BMP_HEIGHT_OFFSET = 22;

SDL_Surface* surfaceOf(ZEL_Surface* s) { return static_cast<ZEL_SurfaceSDL*>(s)->getInternalData(); }

// A rectangle whose position SDL reads as signed 16-bit: 65535 is -1.
SDL_Rect positionedRect(unsigned short x, unsigned short y, unsigned short w, unsigned short h) {
  SDL_Rect r;
  r.x = static_cast<Sint16>(x);
  r.y = static_cast<Sint16>(y);
  r.w = w;
  r.h = h;
  return r;
}

// Reads the width and height fields of a BMP header; both stay 0 when the
// file is too short to hold them.
void readBmpSize(char* file, unsigned long* width, unsigned long* height) {
  FILE* f = fopen(file, "rb");
  if (f == nullptr) ZEL_fatalTo(stderr, "erreur d'ouverture du fichier %s", file);
  unsigned char header[BMP_HEIGHT_OFFSET + 4];
  if (fread(header, 1, sizeof header, f) == sizeof header) {
    *width = zel_le::get32(header + BMP_WIDTH_OFFSET);
    *height = zel_le::get32(header + BMP_HEIGHT_OFFSET);
  }
  fclose(f);
}

}  // namespace

ZEL_GrafboxSDL::ZEL_GrafboxSDL(int width, int height, int depth, bool fullscreen)
    : largeur(width), hauteur(height) {
  profondeur = depth;
  creatMode = SDL_ANYFORMAT;
  mdf = fullscreen ? (SDL_ANYFORMAT | SDL_FULLSCREEN) : SDL_ANYFORMAT;
  if (SDL_Init(INIT_FLAGS) == -1) ZEL_fatal("impossible d'initialiser la SDL");
}

ZEL_GrafboxSDL::~ZEL_GrafboxSDL() {
  SDL_FreeSurface(screen);
  screen = nullptr;
  SDL_Quit();
}

void ZEL_GrafboxSDL::openScreen(int width, int height, int depth) {
  screen = SDL_SetVideoMode(width, height, depth, mdf);
  if (screen == nullptr) {
    ZEL_fatal("Impossible d'initialiser le mode graphique : %s.\n", SDL_GetError());
  }
  SDL_ShowCursor(SDL_DISABLE);
}

void ZEL_GrafboxSDL::init_graf() {
  // The window opens in the desktop's depth, whatever was asked for.
  profondeur = SDL_GetVideoInfo()->vfmt->BitsPerPixel;
  openScreen(largeur, hauteur, profondeur);
}

void ZEL_GrafboxSDL::init_text() {}

void ZEL_GrafboxSDL::setVideoMode(int width, int height, int depth, bool fullscreen) {
  SDL_FreeSurface(screen);
  if (fullscreen) mdf |= SDL_FULLSCREEN;  // never cleared again, on purpose
  openScreen(width, height, depth);
}

void ZEL_GrafboxSDL::set_pix(int x, int y, unsigned char r, unsigned char g, unsigned char b) {
  if (screen != nullptr) zel_pixel::store(screen, x, y, SDL_MapRGB(screen->format, r, g, b));
}

void ZEL_GrafboxSDL::get_pix(int x, int y, unsigned char* r, unsigned char* g, unsigned char* b) {
  *r = *g = *b = 0;
  if (screen != nullptr) zel_pixel::readRgb(screen, x, y, r, g, b);
}

void ZEL_GrafboxSDL::fill_screen(unsigned char r, unsigned char g, unsigned char b) {
  fill_virtual(r, g, b);
  SDL_Flip(screen);
}

void ZEL_GrafboxSDL::fill_virtual(unsigned char r, unsigned char g, unsigned char b) {
  SDL_FillRect(screen, nullptr, SDL_MapRGBA(screen->format, r, g, b, 0));
}

void ZEL_GrafboxSDL::copy_virtual_to_screen() { SDL_Flip(screen); }

// Screen and virtual screen are one surface: nothing to copy back.
void ZEL_GrafboxSDL::copy_screen_to_virtual() { SDL_Flip(screen); }

void ZEL_GrafboxSDL::show_pcx(char*) {}

void ZEL_GrafboxSDL::show_bmp(char* file, unsigned long* width, unsigned long* height) {
  const bool wantsSize = width != nullptr && height != nullptr;
  if (wantsSize) {
    fprintf(stderr, "je lis le bmp\n");
    *width = *height = 0;
    readBmpSize(file, width, height);
  }
  SDL_Surface* bitmap = SDL_LoadBMP_RW(SDL_RWFromFile(file, "rb"), 1);
  if (bitmap == nullptr) {
    fprintf(stderr, "impossible de charger le bmp %s : %s\n", file, SDL_GetError());
    if (wantsSize) *width = *height = 0;
    return;
  }
  if (bitmap->format->BytesPerPixel <= 1 && bitmap->format->palette != nullptr) {
    SDL_Palette* p = bitmap->format->palette;
    SDL_SetPalette(screen, SDL_LOGPAL | SDL_PHYSPAL, p->colors, 0, p->ncolors);
  }
  SDL_UpperBlit(bitmap, nullptr, screen, nullptr);
  SDL_FreeSurface(bitmap);
  SDL_Flip(screen);
}

void ZEL_GrafboxSDL::set_clipping(unsigned short x, unsigned short y, unsigned short w, unsigned short h) {
  SDL_Rect r = positionedRect(x, y, w, h);
  SDL_SetClipRect(screen, &r);
}

void ZEL_GrafboxSDL::put_sprite(ZEL_Surface* s, unsigned short x, unsigned short y, unsigned short w,
                                unsigned short h) {
  SDL_Rect dst = positionedRect(x, y, w, h);
  SDL_UpperBlit(surfaceOf(s), nullptr, screen, &dst);
}

void ZEL_GrafboxSDL::get_sprite(ZEL_Surface* s, unsigned short x, unsigned short y, unsigned short w,
                                unsigned short h) {
  SDL_Rect src = positionedRect(x, y, w, h);
  SDL_UpperBlit(screen, &src, surfaceOf(s), nullptr);
}

void ZEL_GrafboxSDL::copy_virtual_to_virtual(ZEL_Surface* s) {
  SDL_UpperBlit(surfaceOf(s), nullptr, screen, nullptr);
}

// Characters advance by two fifths of the glyph cell and lines by three
// quarters: glyphs sit inside transparent margins. The wrap test follows
// each glyph and places the next one. All in signed 32 bits, on purpose.
void ZEL_GrafboxSDL::put_text(long x, long y, char* text, ZEL_Font* font, int areaX, int /*areaY*/,
                              int areaWidth, int /*areaHeight*/) {
  const int32_t cellWidth = static_cast<int32_t>(font->getLargeur());
  const int32_t cellHeight = static_cast<int32_t>(font->getHauteur());
  const int32_t advance = (2 * cellWidth) / 5;
  const int32_t lineStep = (3 * cellHeight) / 4;
  const int32_t rightEdge = areaX + areaWidth - cellWidth;
  const int32_t startX = static_cast<int32_t>(x);
  int32_t cx = startX;
  int32_t cy = static_cast<int32_t>(y);
  for (const char* p = text; *p != '\0'; ++p) {
    ZEL_Surface* glyph = font->getSurface(static_cast<unsigned char>(*p));
    if (glyph == nullptr) continue;
    put_sprite(glyph, static_cast<unsigned short>(cx), static_cast<unsigned short>(cy),
               static_cast<unsigned short>(cellWidth), static_cast<unsigned short>(cellHeight));
    if (cx + advance > rightEdge) {
      cx = startX;
      cy += lineStep;
    } else {
      cx += advance;
    }
  }
}

ZEL_Surface* ZEL_GrafboxSDL::getSurface(int width, int height) {
  const int depth = screen != nullptr ? screen->format->BitsPerPixel : profondeur;
  return getSurface(width, height, depth);
}

ZEL_Surface* ZEL_GrafboxSDL::getSurface(int width, int height, int depth) {
  ZEL_SurfaceSDL* s = new ZEL_SurfaceSDL(static_cast<int>(creatMode), width, height, depth);
  all_surfaces_allocated.add(s);
  return s;
}
