// The reference scene, drawn through the engine and through raw SDL 1.2
// calls in one process, 2,000 frames each: a 640 x 480 screen, a level of
// 160 x 30 tiles of 16 x 16 (8 flat colours, the tile at column c, row r
// being (7c + 13r) mod 8) scrolled 2 pixels a frame, 20 colour-keyed
// 32 x 32 discs, a 60-character caption in a 16 x 24 keyed font, and a
// flip. Prints the median and 99th percentile of each and their ratios.
#include <SDL.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bench_report.h"
#include "zel_anim_data.h"
#include "zel_byte_order.h"
#include "zel_font.h"
#include "zel_grafbox_sdl.h"
#include "zel_surface_sdl.h"
#include "zel_tile_map.h"

namespace {

// The scene, as the reference describes it.
enum Scene : int {
  SCREEN_WIDTH = 640,
  SCREEN_HEIGHT = 480,
  TILE_SIDE = 16,
  TILE_KINDS = 8,
  COLUMNS = 160,
  ROWS = 30,
  SCROLL_PIXELS = 2,
  SPRITES = 20,
  SPRITE_SIDE = 32,
  GLYPH_WIDTH = 16,
  GLYPH_HEIGHT = 24,
  CAPTION_LENGTH = 60
};
const int CAPTION_Y = SCREEN_HEIGHT - 2 * GLYPH_HEIGHT;  // two lines: it wraps at the screen's edge
const int GLYPHS_PER_LINE = SCREEN_WIDTH / GLYPH_WIDTH;
const int FRAMES = 2000;
const int WARMUP_FRAMES = 50;
const int PIXEL_BYTES = 4;
const int TILE_ATTRIBUTES = 5;

typedef std::chrono::steady_clock Clock;

int kindAt(int c, int r) { return (7 * c + 13 * r) % TILE_KINDS; }

void colourOf(int kind, uint8_t rgb[3]) {
  rgb[0] = static_cast<uint8_t>(40 + 25 * kind);
  rgb[1] = static_cast<uint8_t>(200 - 20 * kind);
  rgb[2] = static_cast<uint8_t>(90 + 15 * (kind % 3));
}

// Measured from the sprite's centre in half pixels: a disc 31 pixels across.
bool inDisc(int x, int y) {
  const int dx = 2 * x + 1 - SPRITE_SIDE;
  const int dy = 2 * y + 1 - SPRITE_SIDE;
  return dx * dx + dy * dy <= (SPRITE_SIDE - 1) * (SPRITE_SIDE - 1);
}

// A glyph: a block inside a keyed (black) margin of 2 pixels.
bool inGlyph(int x, int y) { return x >= 2 && y >= 2 && x < GLYPH_WIDTH - 2 && y < GLYPH_HEIGHT - 2; }

long viewX(int frame) {
  return static_cast<long>(frame) * SCROLL_PIXELS % (COLUMNS * TILE_SIDE - SCREEN_WIDTH);
}

int spriteX(int i) { return (i * 83) % (SCREEN_WIDTH - SPRITE_SIDE); }
int spriteY(int i) { return (i * 47) % (SCREEN_HEIGHT - SPRITE_SIDE); }

// The frame times of `frames` frames of draw, in milliseconds.
std::vector<double> timeFrames(const std::function<void(int)>& draw) {
  std::vector<double> ms;
  for (int f = 0; f < WARMUP_FRAMES + FRAMES; ++f) {
    const Clock::time_point start = Clock::now();
    draw(f);
    if (f >= WARMUP_FRAMES)
      ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  return ms;
}

// ---- Through the engine ----

std::string writeTileSet() {
  std::vector<uint8_t> tle;
  for (int k = 0; k < TILE_KINDS; ++k) {
    zel_le::append32(tle, TILE_SIDE);
    zel_le::append32(tle, TILE_SIDE);
    tle.insert(tle.end(), TILE_ATTRIBUTES, 0);
    uint8_t rgb[3];
    colourOf(k, rgb);
    for (int p = 0; p < TILE_SIDE * TILE_SIDE; ++p) tle.insert(tle.end(), {rgb[0], rgb[1], rgb[2], 0});
  }
  const std::string path = "/tmp/zel_reference_scene.tle";
  FILE* f = fopen(path.c_str(), "wb");
  if (f == nullptr || fwrite(tle.data(), 1, tle.size(), f) != tle.size()) abort();
  fclose(f);
  return path;
}

ZEL_Surface* makeSurface(ZEL_Grafbox* box, int w, int h, bool (*visible)(int, int), uint8_t r, uint8_t g,
                         uint8_t b) {
  ZEL_Surface* s = box->getSurface(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const bool on = visible(x, y);
      s->setPixel(x, y, on ? r : 0, on ? g : 0, on ? b : 0);
    }
  s->setTransparencyColor(0, 0, 0);
  return s;
}

// A font of 256 keyed glyphs, written as .spr through the engine.
std::string writeFont(ZEL_Grafbox* box) {
  ZEL_AnimData font(box, nullptr);
  std::vector<std::unique_ptr<ZEL_Surface>> glyphs;
  for (uint32_t c = 0; c < ZEL_Font::NB_GLYPHS; ++c) {
    glyphs.emplace_back(
        makeSurface(box, GLYPH_WIDTH, GLYPH_HEIGHT, inGlyph, 250, static_cast<uint8_t>(c), 120));
    font.addFrame(glyphs.back().get(), 0, ZEL_Rect{0, 0, GLYPH_WIDTH - 1, GLYPH_HEIGHT - 1});
  }
  const std::string path = "/tmp/zel_reference_scene_font.spr";
  font.WriteSpr(&path[0]);
  return path;
}

struct EngineScene {
  ZEL_GrafboxSDL* box;
  ZEL_TileMap map;
  std::unique_ptr<ZEL_Surface> disc;
  ZEL_Font font;
  std::string caption = std::string(CAPTION_LENGTH, 'A');

  explicit EngineScene(ZEL_GrafboxSDL* b)
      : box(b),
        map(writeTileSet().c_str(), b),
        disc(makeSurface(b, SPRITE_SIDE, SPRITE_SIDE, inDisc, 220, 180, 40)),
        font(writeFont(b).c_str(), b) {
    map.setMap(COLUMNS, ROWS, 0);
    for (int r = 0; r < ROWS; ++r)
      for (int c = 0; c < COLUMNS; ++c) map.setTile(kindAt(c, r), c, r);
  }

  void draw(int frame) {
    map.draw(viewX(frame), 0, 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT);
    for (int i = 0; i < SPRITES; ++i)
      box->put_sprite(disc.get(), spriteX(i), spriteY(i), SPRITE_SIDE, SPRITE_SIDE);
    box->put_text(0, CAPTION_Y, &caption[0], &font, 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT);
    box->copy_virtual_to_screen();
  }
};

// ---- Through SDL alone ----

SDL_Surface* rawSurface(int w, int h, bool (*visible)(int, int), uint8_t r, uint8_t g, uint8_t b,
                        bool keyed) {
  SDL_Surface* made = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 32, 0, 0, 0, 0);
  SDL_Surface* s = SDL_DisplayFormat(made);
  SDL_FreeSurface(made);
  SDL_LockSurface(s);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const Uint32 value = visible(x, y) ? SDL_MapRGB(s->format, r, g, b) : SDL_MapRGB(s->format, 0, 0, 0);
      *reinterpret_cast<Uint32*>(static_cast<Uint8*>(s->pixels) + y * s->pitch + x * PIXEL_BYTES) = value;
    }
  SDL_UnlockSurface(s);
  if (keyed) SDL_SetColorKey(s, SDL_SRCCOLORKEY | SDL_RLEACCEL, SDL_MapRGB(s->format, 0, 0, 0));
  return s;
}

bool everywhere(int, int) { return true; }

struct RawScene {
  SDL_Surface* screen = ZEL_GrafboxSDL::getScreen();
  std::vector<SDL_Surface*> tiles;
  SDL_Surface* disc = rawSurface(SPRITE_SIDE, SPRITE_SIDE, inDisc, 220, 180, 40, true);
  SDL_Surface* glyph = rawSurface(GLYPH_WIDTH, GLYPH_HEIGHT, inGlyph, 250, 'A', 120, true);

  RawScene() {
    for (int k = 0; k < TILE_KINDS; ++k) {
      uint8_t rgb[3];
      colourOf(k, rgb);
      tiles.push_back(rawSurface(TILE_SIDE, TILE_SIDE, everywhere, rgb[0], rgb[1], rgb[2], false));
    }
  }
  ~RawScene() {
    for (SDL_Surface* s : tiles) SDL_FreeSurface(s);
    SDL_FreeSurface(disc);
    SDL_FreeSurface(glyph);
  }

  void blit(SDL_Surface* s, int x, int y) {
    SDL_Rect to = {static_cast<Sint16>(x), static_cast<Sint16>(y), 0, 0};
    SDL_BlitSurface(s, nullptr, screen, &to);
  }

  void draw(int frame) {
    const long x0 = viewX(frame);
    for (int r = 0; r < ROWS && r * TILE_SIDE < SCREEN_HEIGHT; ++r)
      for (long c = x0 / TILE_SIDE; c < COLUMNS && c * TILE_SIDE < x0 + SCREEN_WIDTH; ++c)
        blit(tiles[kindAt(static_cast<int>(c), r)], static_cast<int>(c * TILE_SIDE - x0), r * TILE_SIDE);
    for (int i = 0; i < SPRITES; ++i) blit(disc, spriteX(i), spriteY(i));
    for (int i = 0; i < CAPTION_LENGTH; ++i) {
      blit(glyph, i % GLYPHS_PER_LINE * GLYPH_WIDTH, CAPTION_Y + i / GLYPHS_PER_LINE * GLYPH_HEIGHT);
    }
    SDL_Flip(screen);
  }
};

void report(const char* what, double engine, double raw) {
  printf("  %-8s engine %7.3f ms   raw SDL %7.3f ms   ratio %.2f\n", what, engine, raw, engine / raw);
  reportFigure(std::string("reference scene frame, ") + what, engine, "raw SDL 1.2", raw, "ms");
}

}  // namespace

int main() {
  ZEL_GrafboxSDL box(SCREEN_WIDTH, SCREEN_HEIGHT, 32, false);
  box.init_graf();
  if (ZEL_GrafboxSDL::getProfondeur() != 32) box.setVideoMode(SCREEN_WIDTH, SCREEN_HEIGHT, 32, false);
  box.set_clipping(0, 0, SCREEN_WIDTH, SCREEN_HEIGHT);
  EngineScene engine(&box);
  RawScene raw;
  const std::vector<double> viaEngine = timeFrames([&](int f) { engine.draw(f); });
  const std::vector<double> viaSdl = timeFrames([&](int f) { raw.draw(f); });
  printf("reference scene, %d frames each, %d x %d tiles of %d, %d sprites, %d characters:\n", FRAMES,
         COLUMNS, ROWS, TILE_SIDE, SPRITES, CAPTION_LENGTH);
  report("median", percentile(viaEngine, 0.5), percentile(viaSdl, 0.5));
  report("p99", percentile(viaEngine, 0.99), percentile(viaSdl, 0.99));
  unlink("/tmp/zel_reference_scene.tle");
  unlink("/tmp/zel_reference_scene_font.spr");
  return 0;
}
