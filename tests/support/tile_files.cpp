#include "tile_files.h"

static void put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

std::vector<uint8_t> tleRecord(int32_t w, int32_t h, const std::array<uint8_t, 5>& attributes,
                               const std::function<TileRgb(int x, int y)>& colour, uint8_t fourth) {
  std::vector<uint8_t> out;
  put32(out, static_cast<uint32_t>(w));
  put32(out, static_cast<uint32_t>(h));
  out.insert(out.end(), attributes.begin(), attributes.end());
  for (int y = 0; colour && y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const TileRgb c = colour(x, y);
      out.insert(out.end(), {c[0], c[1], c[2], fourth});
    }
  return out;
}

std::vector<uint8_t> plainTle(int32_t w, int32_t h, TileRgb c, uint8_t walkable) {
  return tleRecord(w, h, {0, 0, 0, 0, walkable}, [c](int, int) { return c; });
}

std::vector<uint8_t> mapBytes(const MapHeader& h, const std::vector<uint16_t>& cells) {
  std::vector<uint8_t> out;
  for (uint32_t v : {h.colonnes, h.lignes, uint32_t(h.largeurTile), uint32_t(h.hauteurTile)}) put32(out, v);
  out.insert(out.end(), {h.attr0, h.attr1, h.attr2});
  put32(out, h.attr3);
  out.push_back(h.attr4);
  for (uint16_t c : cells) out.insert(out.end(), {uint8_t(c), uint8_t(c >> 8)});
  return out;
}

void appendBytes(std::vector<uint8_t>& to, const std::vector<uint8_t>& bytes) {
  to.insert(to.end(), bytes.begin(), bytes.end());
}
