#include "zel_anim_data.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "zel_fatal.h"
#include "zel_grafbox.h"
#include "zel_surface.h"

namespace {

const int SPR_HEADER_BYTES = 8;
const int SPR_PIXEL_BYTES = 4;     // red, green, blue, one unused byte
const int SPR_BOX_BYTES = 16;      // x1, y1, x2, y2, 32 bits each
const uint32_t SPR_MAX_COUNT = 0xFFFF;  // header fields are 16-bit
// Larger frames are refused: no sprite needs them, and a few-byte file
// must not make the loader allocate gigabytes.
const uint32_t MAX_FRAME_SIDE = 4096;

uint16_t readLe16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

int32_t readLe32(const uint8_t* p) {
  return static_cast<int32_t>(p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24));
}

void putLe16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void putLe32(std::vector<uint8_t>& out, int32_t value) {
  const uint32_t v = static_cast<uint32_t>(value);
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

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

  uint8_t header[SPR_HEADER_BYTES];
  if (fread(header, 1, sizeof header, f) != sizeof header) failFrameRead(f, 1);
  const uint32_t count = readLe16(header);
  const unsigned int delay = readLe16(header + 2);
  const uint32_t w = readLe16(header + 4);
  const uint32_t h = readLe16(header + 6);
  // An animation of no frame, or of empty or oversized frames, cannot be
  // played: refused as an unreadable first frame.
  if (count == 0 || w == 0 || h == 0 || w > MAX_FRAME_SIDE || h > MAX_FRAME_SIDE) failFrameRead(f, 1);

  // Checked against the file before anything is allocated: the first
  // frame the pixel block cannot hold is reported at once.
  const int64_t frameBytes = static_cast<int64_t>(w) * h * SPR_PIXEL_BYTES;
  const int64_t size = fileSize(f);
  const int64_t available = size < SPR_HEADER_BYTES ? 0 : size - SPR_HEADER_BYTES;
  if (available < frameBytes * count) failFrameRead(f, static_cast<uint32_t>(available / frameBytes) + 1);

  for (uint32_t i = 0; i < count; ++i) delays.add(new unsigned int(delay));
  largeur = w;
  hauteur = h;
  for (uint32_t i = 0; i < count; ++i) boundBoxes.add(new ZEL_Rect());

  std::vector<uint8_t> pixels(static_cast<size_t>(frameBytes));
  for (uint32_t i = 0; i < count; ++i) {
    ZEL_Surface* frame = grafbox->getSurface(static_cast<int>(w), static_cast<int>(h));
    if (frame == nullptr) {
      fclose(f);
      ZEL_fatalTo(stderr, "pas assez de memoire pour allouer la frame %u", i + 1);
    }
    appendFrame(frame);
    frame->setTransparencyColor(0, 0, 0);
    if (fread(pixels.data(), 1, pixels.size(), f) != pixels.size()) failFrameRead(f, i + 1);
    const uint8_t* p = pixels.data();
    for (uint32_t y = 0; y < h; ++y) {
      for (uint32_t x = 0; x < w; ++x, p += SPR_PIXEL_BYTES) {
        frame->setPixel(static_cast<int>(x), static_cast<int>(y), p[0], p[1], p[2]);
      }
    }
  }

  // A box block cut short leaves the remaining values at 0.
  std::vector<uint8_t> boxes(static_cast<size_t>(count) * SPR_BOX_BYTES, 0);
  const size_t got = fread(boxes.data(), 1, boxes.size(), f);
  for (uint32_t i = 0; i < count && got > 0; ++i) {
    const uint8_t* p = boxes.data() + static_cast<size_t>(i) * SPR_BOX_BYTES;
    ZEL_Rect* r = boundBoxes.elementAt(static_cast<int>(i));
    r->x1 = readLe32(p);
    r->y1 = readLe32(p + 4);
    r->x2 = readLe32(p + 8);
    r->y2 = readLe32(p + 12);
  }
  fclose(f);
}

void ZEL_AnimData::WriteSpr(const char* file) {
  // The header counts in 16 bits; an empty animation has no delay to write.
  if (nbFrames == 0 || nbFrames > SPR_MAX_COUNT || largeur > SPR_MAX_COUNT || hauteur > SPR_MAX_COUNT) {
    ZEL_fatal("erreur d'ecriture dans le fichier %s\n", file);
  }
  FILE* f = fopen(file, "wb");
  if (f == nullptr) ZEL_fatal("erreur d'ecriture dans le fichier %s\n", file);

  std::vector<uint8_t> out;
  putLe16(out, nbFrames);
  putLe16(out, *delays.elementAt(0));
  putLe16(out, largeur);
  putLe16(out, hauteur);
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
    putLe32(out, r->x1);
    putLe32(out, r->y1);
    putLe32(out, r->x2);
    putLe32(out, r->y2);
  }
  ok = ok && fwrite(out.data(), 1, out.size(), f) == out.size();
  ok = (fclose(f) == 0) && ok;
  if (!ok) ZEL_fatal("erreur d'ecriture dans le fichier %s\n", file);
}

void ZEL_AnimData::calculateOptimizedBoundBox(ZEL_Rect* r, ZEL_Surface* s, unsigned int w,
                                              unsigned int h) {
  const int width = static_cast<int>(w);
  const int height = static_cast<int>(h);
  r->x1 = 0;
  r->y1 = 0;
  r->x2 = width - 1;
  r->y2 = height - 1;
  auto columnVisible = [&](int x) {
    for (int y = 0; y < height; ++y)
      if (isVisible(s, x, y)) return true;
    return false;
  };
  auto rowVisible = [&](int y) {
    for (int x = 0; x < width; ++x)
      if (isVisible(s, x, y)) return true;
    return false;
  };
  for (int x = 0; x < width; ++x)
    if (columnVisible(x)) {
      r->x1 = x;
      break;
    }
  for (int x = width - 1; x >= 0; --x)
    if (columnVisible(x)) {
      r->x2 = x;
      break;
    }
  for (int y = 0; y < height; ++y)
    if (rowVisible(y)) {
      r->y1 = y;
      break;
    }
  for (int y = height - 1; y >= 0; --y)
    if (rowVisible(y)) {
      r->y2 = y;
      break;
    }
}
