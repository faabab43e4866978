#include "zel_anim_data.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "zel_alloc.h"
#include "zel_byte_order.h"
#include "zel_fatal.h"
#include "zel_grafbox.h"
#include "zel_surface.h"

namespace {

const int SPR_HEADER_BYTES = 8;
const int SPR_PIXEL_BYTES = ZEL_Surface::RGBX_BYTES;  // red, green, blue, one unused byte
const int SPR_BOX_BYTES = 16;                         // x1, y1, x2, y2, 32 bits each
const uint32_t SPR_MAX_COUNT = 0xFFFF;                // header fields are 16-bit
// A .spr frame that cannot be read: no line end, on standard error.
[[noreturn]] void failFrameRead(FILE* f, uint32_t frameNumber) {
  if (f != nullptr) fclose(f);
  ZEL_fatalTo(stderr, "erreur de lecture de la frame %u", frameNumber);
}

long fileSize(FILE* f) {
  const long here = ftell(f);
  if (fseek(f, 0, SEEK_END) != 0) return -1;
  const long size = ftell(f);
  fseek(f, here, SEEK_SET);
  return size;
}

// Reads and checks the header against the file before anything is
// allocated: the first frame the pixel block cannot hold is reported at
// once. An animation of no frame, or of empty or oversized frames, cannot
// be played: refused as an unreadable first frame.
struct SprHeader {
  uint32_t count;
  unsigned int delay;
  uint32_t width;
  uint32_t height;
};

SprHeader readSprHeader(FILE* f) {
  uint8_t p[SPR_HEADER_BYTES];
  if (fread(p, 1, sizeof p, f) != sizeof p) failFrameRead(f, 1);
  const SprHeader h = {zel_le::get16(p), zel_le::get16(p + 2), zel_le::get16(p + 4), zel_le::get16(p + 6)};
  const uint32_t maxSide = ZEL_AnimData::MAX_FRAME_SIDE;
  if (h.count == 0 || h.width == 0 || h.height == 0 || h.width > maxSide || h.height > maxSide) {
    failFrameRead(f, 1);
  }
  const int64_t frameBytes = static_cast<int64_t>(h.width) * h.height * SPR_PIXEL_BYTES;
  const int64_t size = fileSize(f);
  const int64_t available = size < SPR_HEADER_BYTES ? 0 : size - SPR_HEADER_BYTES;
  if (available < frameBytes * h.count) failFrameRead(f, static_cast<uint32_t>(available / frameBytes) + 1);
  return h;
}

// The first line from `from` towards `to` (both included) that visible()
// holds for; `from` when none does.
template <class Visible>
int firstVisibleLine(int from, int to, Visible visible) {
  const int step = from <= to ? 1 : -1;
  for (int i = from; i != to + step; i += step) {
    if (visible(i)) return i;
  }
  return from;
}

bool isVisible(ZEL_Surface* s, int x, int y) {
  unsigned char r, g, b;
  s->getPixel(x, y, &r, &g, &b);
  return (r | g | b) != 0;
}

}  // namespace

ZEL_AnimData::ZEL_AnimData(const char* file, ZEL_Grafbox* g, ZEL_Timer* t)
    : nbFrames(0), largeur(0), hauteur(0), timer(t), grafbox(g) {
  if (strstr(file, ".gif") != nullptr) {
    ReadGif(file);
  } else if (strstr(file, ".spr") != nullptr) {
    ReadSpr(file);
  } else {
    ZEL_fatal("extension inconnue:%s\n", file);
  }
}

ZEL_AnimData::ZEL_AnimData(ZEL_Grafbox* g, ZEL_Timer* t)
    : nbFrames(0), largeur(0), hauteur(0), timer(t), grafbox(g) {}

void ZEL_AnimData::addFrame(ZEL_Surface* frame, unsigned int delay, const ZEL_Rect& box) {
  const uint32_t w = static_cast<uint32_t>(frame->getLargeur());
  const uint32_t h = static_cast<uint32_t>(frame->getHauteur());
  if (nbFrames == 0) {
    largeur = w;
    hauteur = h;
  } else if (w != largeur || h != hauteur) {
    ZEL_fatal("la frame %u n'a pas la taille de l'anim\n", nbFrames + 1);
  }
  frame->setTransparencyColor(0, 0, 0);
  delays.add(new unsigned int(delay));
  boundBoxes.add(new ZEL_Rect(box));
  appendFrame(frame);
}

void ZEL_AnimData::appendFrame(ZEL_Surface* frame) {
  frames.add(frame);
  ++nbFrames;
}

void ZEL_AnimData::ReadSpr(const char* file) {
  FILE* f = fopen(file, "rb");
  if (f == nullptr) ZEL_fatal("erreur d'ouverture du fichier %s\n", file);
  nbFrames = largeur = hauteur = 0;
  const SprHeader header = readSprHeader(f);
  for (uint32_t i = 0; i < header.count; ++i) delays.add(new unsigned int(header.delay));
  largeur = header.width;
  hauteur = header.height;
  for (uint32_t i = 0; i < header.count; ++i) boundBoxes.add(new ZEL_Rect());
  readSprFrames(f, header.count);
  readSprBoxes(f, header.count);
  fclose(f);
}

void ZEL_AnimData::readSprFrames(FILE* f, uint32_t count) {
  const size_t frameBytes = static_cast<size_t>(largeur) * hauteur * SPR_PIXEL_BYTES;
  const auto pixels = zel_alloc::array<uint8_t>(frameBytes, [f] {
    fclose(f);
    ZEL_fatalTo(stderr, "pas assez de memoire pour allouer memoire temp pour frame %u", 1u);
  });
  for (uint32_t i = 0; i < count; ++i) {
    ZEL_Surface* frame = grafbox->getSurface(static_cast<int>(largeur), static_cast<int>(hauteur));
    if (frame == nullptr) {
      fclose(f);
      ZEL_fatalTo(stderr, "pas assez de memoire pour allouer la frame %u", i + 1);
    }
    appendFrame(frame);
    frame->setTransparencyColor(0, 0, 0);
    if (fread(pixels.get(), 1, frameBytes, f) != frameBytes) failFrameRead(f, i + 1);
    frame->setPixels(pixels.get());
  }
}

// A box block cut short leaves the remaining values at 0.
void ZEL_AnimData::readSprBoxes(FILE* f, uint32_t count) {
  for (uint32_t i = 0; i < count; ++i) {
    uint8_t p[SPR_BOX_BYTES] = {};
    if (fread(p, 1, sizeof p, f) == 0) return;
    ZEL_Rect* r = boundBoxes.elementAt(static_cast<int>(i));
    r->x1 = static_cast<int32_t>(zel_le::get32(p));
    r->y1 = static_cast<int32_t>(zel_le::get32(p + 4));
    r->x2 = static_cast<int32_t>(zel_le::get32(p + 8));
    r->y2 = static_cast<int32_t>(zel_le::get32(p + 12));
  }
}

void ZEL_AnimData::WriteSpr(const char* file) {
  // The header counts in 16 bits; an empty animation has no delay to write.
  if (nbFrames == 0 || nbFrames > SPR_MAX_COUNT || largeur > SPR_MAX_COUNT || hauteur > SPR_MAX_COUNT) {
    ZEL_fatal("erreur d'ecriture dans le fichier %s\n", file);
  }
  FILE* f = fopen(file, "wb");
  if (f == nullptr) ZEL_fatal("erreur d'ecriture dans le fichier %s\n", file);

  std::vector<uint8_t> out;
  zel_le::append16(out, static_cast<uint16_t>(nbFrames));
  zel_le::append16(out, static_cast<uint16_t>(*delays.elementAt(0)));
  zel_le::append16(out, static_cast<uint16_t>(largeur));
  zel_le::append16(out, static_cast<uint16_t>(hauteur));
  bool ok = fwrite(out.data(), 1, out.size(), f) == out.size();
  for (uint32_t i = 0; i < nbFrames && ok; ++i) {
    out.clear();
    ZEL_Surface* frame = frames.elementAt(static_cast<int>(i));
    for (uint32_t y = 0; y < hauteur; ++y) {
      for (uint32_t x = 0; x < largeur; ++x) {
        unsigned char rgb[3];
        // Outside a smaller frame this reads black: transparent.
        frame->getPixel(static_cast<int>(x), static_cast<int>(y), &rgb[0], &rgb[1], &rgb[2]);
        out.insert(out.end(), rgb, rgb + 3);
        out.push_back(0);
      }
    }
    ok = fwrite(out.data(), 1, out.size(), f) == out.size();
  }
  out.clear();
  for (uint32_t i = 0; i < nbFrames; ++i) {
    const ZEL_Rect* r = boundBoxes.elementAt(static_cast<int>(i));
    zel_le::append32(out, static_cast<uint32_t>(r->x1));
    zel_le::append32(out, static_cast<uint32_t>(r->y1));
    zel_le::append32(out, static_cast<uint32_t>(r->x2));
    zel_le::append32(out, static_cast<uint32_t>(r->y2));
  }
  ok = ok && fwrite(out.data(), 1, out.size(), f) == out.size();
  ok = (fclose(f) == 0) && ok;
  if (!ok) ZEL_fatal("erreur d'ecriture dans le fichier %s\n", file);
}

void ZEL_AnimData::calculateOptimizedBoundBox(ZEL_Rect* r, ZEL_Surface* s, unsigned int w, unsigned int h) {
  const int width = static_cast<int>(w);
  const int height = static_cast<int>(h);
  *r = ZEL_Rect{0, 0, width - 1, height - 1};
  if (width <= 0 || height <= 0) return;
  auto columnVisible = [&](int x) {
    for (int y = 0; y < height; ++y) {
      if (isVisible(s, x, y)) return true;
    }
    return false;
  };
  auto rowVisible = [&](int y) {
    for (int x = r->x1; x <= r->x2; ++x) {
      if (isVisible(s, x, y)) return true;
    }
    return false;
  };
  r->x1 = firstVisibleLine(0, width - 1, columnVisible);
  r->x2 = firstVisibleLine(width - 1, r->x1, columnVisible);
  r->y1 = firstVisibleLine(0, height - 1, rowVisible);
  r->y2 = firstVisibleLine(height - 1, r->y1, rowVisible);
}
