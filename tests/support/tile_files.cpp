#include "tile_files.h"

#include <cstdlib>

#include "zel_grafbox_sdl.h"

namespace {

const int SCREEN_SIDE = 64;
const int SCREEN_DEPTH = 32;

void put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int s = 0; s < 32; s += 8) out.push_back(static_cast<uint8_t>(v >> s));
}

}  // namespace

std::ostream& operator<<(std::ostream& os, const TileRgb& c) {
  return os << "(" << int(c.r) << "," << int(c.g) << "," << int(c.b) << ")";
}

std::vector<uint8_t> tleHeader(int32_t w, int32_t h, const TileAttributes& attributes) {
  std::vector<uint8_t> out;
  put32(out, static_cast<uint32_t>(w));
  put32(out, static_cast<uint32_t>(h));
  out.insert(out.end(), attributes.begin(), attributes.end());
  return out;
}

std::vector<uint8_t> tleRecord(int32_t w, int32_t h, const TileAttributes& attributes,
                               const std::function<TileRgb(int x, int y)>& colour,
                               uint8_t fourth) {
  std::vector<uint8_t> out = tleHeader(w, h, attributes);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const TileRgb c = colour(x, y);
      out.insert(out.end(), {c.r, c.g, c.b, fourth});
    }
  }
  return out;
}

std::vector<uint8_t> plainTle(int32_t w, int32_t h, TileRgb c, uint8_t walkable,
                              uint8_t transparent) {
  return tleRecord(w, h, {0, transparent, 0, 0, walkable}, [c](int, int) { return c; });
}

std::vector<uint8_t> mapBytes(const MapHeader& h, const std::vector<uint16_t>& cells) {
  std::vector<uint8_t> out;
  put32(out, h.colonnes);
  put32(out, h.lignes);
  put32(out, static_cast<uint32_t>(h.largeurTile));
  put32(out, static_cast<uint32_t>(h.hauteurTile));
  out.insert(out.end(), {h.attr0, h.attr1, h.attr2});
  put32(out, h.attr3);
  out.push_back(h.attr4);
  for (uint16_t c : cells) out.insert(out.end(), {static_cast<uint8_t>(c), static_cast<uint8_t>(c >> 8)});
  return out;
}

void appendBytes(std::vector<uint8_t>& to, const std::vector<uint8_t>& bytes) {
  to.insert(to.end(), bytes.begin(), bytes.end());
}

// The dummy driver reports an 8-bit desktop: the screen is set to 32 bits
// explicitly.
ChildResult runOnDummyScreen(const std::function<void(ZEL_GrafboxSDL&)>& body) {
  return runInChild([&] {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ZEL_GrafboxSDL box(SCREEN_SIDE, SCREEN_SIDE, SCREEN_DEPTH, false);
    box.setVideoMode(SCREEN_SIDE, SCREEN_SIDE, SCREEN_DEPTH, false);
    body(box);
  });
}
