#include "font.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <memory>
#include <vector>

#include "image.h"
#include "source_text.h"
#include "zel_anim_data.h"
#include "zel_rect.h"
#include "zel_surface.h"

namespace {

// Three words as a colour; pure black is refused, since it is transparent.
Rgb parseColour(const SourceText& source, const std::vector<std::string>& words, size_t first) {
  if (words.size() < first + 3) source.fail("expected red, green and blue");
  Rgb c;
  c.r = static_cast<uint8_t>(parseInt(source, words[first], 0, 255));
  c.g = static_cast<uint8_t>(parseInt(source, words[first + 1], 0, 255));
  c.b = static_cast<uint8_t>(parseInt(source, words[first + 2], 0, 255));
  if (c.isTransparent()) source.fail("0 0 0 is the transparent colour: write black as 0 0 1");
  return c;
}

const int GLYPHS = 256;
const int MAX_CELL = 128;
const int FIRST_PRINTABLE = 0x20;
const int DELETE = 0x7F;
const int LAST_C1_CONTROL = 0x9F;
const int OPAQUE = 255;

struct FontSettings {
  std::string face;
  int pixels = 0;
  int cellWidth = 0;
  int cellHeight = 0;
  int pen = 0;
  Rgb fillTop, fillBottom, outline;
};

FontSettings readSettings(const std::string& path) {
  SourceText source(path);
  FontSettings s;
  std::vector<std::string> w;
  int seen = 0;
  while (source.nextWords(&w)) {
    ++seen;
    if (w[0] == "face" && w.size() == 2) {
      s.face = w[1];
    } else if (w[0] == "pixels" && w.size() == 2) {
      s.pixels = parseInt(source, w[1], 4, MAX_CELL);
    } else if (w[0] == "cell" && w.size() == 3) {
      s.cellWidth = parseInt(source, w[1], 1, MAX_CELL);
      s.cellHeight = parseInt(source, w[2], 2, MAX_CELL);  // the fill blends over height - 1
    } else if (w[0] == "pen" && w.size() == 2) {
      s.pen = parseInt(source, w[1], 0, MAX_CELL);
    } else if (w[0] == "fill-top" && w.size() == 4) {
      s.fillTop = parseColour(source, w, 1);
    } else if (w[0] == "fill-bottom" && w.size() == 4) {
      s.fillBottom = parseColour(source, w, 1);
    } else if (w[0] == "outline" && w.size() == 4) {
      s.outline = parseColour(source, w, 1);
    } else {
      source.fail("unknown line: " + w[0]);
    }
  }
  if (s.face.empty() || s.pixels == 0 || s.cellWidth == 0 || seen != 7) source.fail("the font source needs all seven lines");
  return s;
}

uint8_t mix(uint8_t a, uint8_t b, int amount, int whole) {
  return static_cast<uint8_t>((a * (whole - amount) + b * amount + whole / 2) / whole);
}

Rgb mix(Rgb a, Rgb b, int amount, int whole) {
  return Rgb{mix(a.r, b.r, amount, whole), mix(a.g, b.g, amount, whole), mix(a.b, b.b, amount, whole)};
}

// Coverage (0..255) of the glyph in a cell-sized grid.
std::vector<int> coverage(FT_Face face, int code, const FontSettings& s, int baseline) {
  std::vector<int> cover(static_cast<size_t>(s.cellWidth) * s.cellHeight, 0);
  if (code < FIRST_PRINTABLE || (code >= DELETE && code <= LAST_C1_CONTROL)) return cover;
  const FT_UInt index = FT_Get_Char_Index(face, static_cast<FT_ULong>(code));
  if (index == 0 || FT_Load_Glyph(face, index, FT_LOAD_RENDER) != 0) return cover;
  const FT_GlyphSlot g = face->glyph;
  const FT_Bitmap& bm = g->bitmap;
  // Coverage is read a byte a pixel: only grey bitmaps are.
  if (bm.pixel_mode != FT_PIXEL_MODE_GRAY) return cover;
  for (unsigned row = 0; row < bm.rows; ++row)
    for (unsigned col = 0; col < bm.width; ++col) {
      const int x = s.pen + g->bitmap_left + static_cast<int>(col);
      const int y = baseline - g->bitmap_top + static_cast<int>(row);
      if (x < 0 || y < 0 || x >= s.cellWidth || y >= s.cellHeight) continue;
      cover[static_cast<size_t>(y) * s.cellWidth + x] = bm.buffer[static_cast<long>(row) * bm.pitch + col];
    }
  return cover;
}

// The glyph's colour over its outline, blended by coverage so that the
// edges stay smooth against the dark ring.
Image glyphImage(const std::vector<int>& cover, const FontSettings& s) {
  Image out(s.cellWidth, s.cellHeight);
  auto covered = [&](int x, int y) {
    return x >= 0 && y >= 0 && x < s.cellWidth && y < s.cellHeight && cover[static_cast<size_t>(y) * s.cellWidth + x] > 0;
  };
  for (int y = 0; y < s.cellHeight; ++y) {
    const Rgb fill = mix(s.fillTop, s.fillBottom, y, s.cellHeight - 1);
    for (int x = 0; x < s.cellWidth; ++x) {
      const int c = cover[static_cast<size_t>(y) * s.cellWidth + x];
      if (c > 0) {
        out.at(x, y) = mix(s.outline, fill, c, OPAQUE);
        continue;
      }
      bool ring = false;
      for (int dy = -1; dy <= 1 && !ring; ++dy)
        for (int dx = -1; dx <= 1 && !ring; ++dx) ring = covered(x + dx, y + dy);
      if (ring) out.at(x, y) = s.outline;
    }
  }
  return out;
}

}  // namespace

void makeFont(const std::string& sourcePath, const std::string& sprFile, ZEL_Grafbox* grafbox) {
  const FontSettings s = readSettings(sourcePath);
  FT_Library library;
  if (FT_Init_FreeType(&library) != 0) failTool("FreeType does not start");
  FT_Face face;
  if (FT_New_Face(library, s.face.c_str(), 0, &face) != 0) failTool("FreeType cannot read " + s.face);
  if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(s.pixels)) != 0) failTool("no such size in " + s.face);
  // One pixel of room above the tallest glyph for its outline.
  const int baseline = static_cast<int>(face->size->metrics.ascender >> 6) + 1;

  // The animation does not own its frames: they go after it.
  std::vector<std::unique_ptr<ZEL_Surface>> surfaces;
  ZEL_AnimData font(grafbox, nullptr);
  for (int code = 0; code < GLYPHS; ++code) {
    const Image glyph = glyphImage(coverage(face, code, s, baseline), s);
    surfaces.emplace_back(toSurface(glyph, grafbox));
    ZEL_Rect box;
    ZEL_AnimData::calculateOptimizedBoundBox(&box, surfaces.back().get(), static_cast<unsigned>(s.cellWidth),
                                             static_cast<unsigned>(s.cellHeight));
    font.addFrame(surfaces.back().get(), 0, box);
  }
  FT_Done_Face(face);
  FT_Done_FreeType(library);
  font.WriteSpr(sprFile.c_str());
}
