// ZEL_AnimData: reading animated GIF files.
#include <cstdio>
#include <cstring>
#include <vector>

#include "zel_anim_data.h"
#include "zel_fatal.h"
#include "zel_grafbox.h"
#include "zel_surface.h"
#include "zel_timer.h"
#include "zel_utils.h"

namespace {

const uint8_t BLOCK_EXTENSION = 0x21;
const uint8_t BLOCK_IMAGE = 0x2C;
const uint8_t BLOCK_TRAILER = 0x3B;
const uint8_t LABEL_GRAPHIC_CONTROL = 0xF9;

const uint8_t HAS_COLOR_TABLE = 0x80;
const uint8_t INTERLACED = 0x40;
const uint8_t TABLE_SIZE_BITS = 0x07;
const uint8_t HAS_TRANSPARENCY = 0x01;

const int HEADER_BYTES = 6;
const int RGB_BYTES = 3;
const int GREY_RAMP_ENTRIES = 256;
// Larger images are refused (see .spr): no sprite needs them.
const int MAX_FRAME_SIDE = 4096;
// Pixels all frames of one animation may hold together: twice the largest
// frame. An image's pixels are not bounded by its data (a stream that ends
// early leaves the rest at index 0), so a few-byte file could otherwise
// announce frame after frame of 4096 x 4096.
const int64_t MAX_ANIMATION_PIXELS = 2LL * MAX_FRAME_SIDE * MAX_FRAME_SIDE;
// The delay of the second try: hundredths of a second read as tenths.
const uint32_t DELAY_RETRY_FACTOR = 10;

}  // namespace

// Reads a whole GIF file and hands out its bytes. Reading past the end
// gives zeros and marks the reader bad, as a stream would.
class ZEL_AnimData::GifReader {
 public:
  explicit GifReader(FILE* f) {
    uint8_t chunk[4096];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, f)) > 0) bytes.insert(bytes.end(), chunk, chunk + n);
  }

  bool isGood() const { return good; }
  size_t left() const { return bytes.size() - position; }

  uint8_t byte() {
    if (position >= bytes.size()) {
      good = false;
      return 0;
    }
    return bytes[position++];
  }

  uint16_t le16() {
    const uint8_t low = byte();
    return static_cast<uint16_t>(low | (byte() << 8));
  }

  // Copies n bytes into out; false (and bad) when the file holds fewer.
  bool copy(size_t n, std::vector<uint8_t>& out) {
    if (n > left()) {
      position = bytes.size();
      good = false;
      return false;
    }
    out.insert(out.end(), bytes.begin() + position, bytes.begin() + position + n);
    position += n;
    return true;
  }

  void skip(size_t n) {
    if (n > left()) {
      position = bytes.size();
      good = false;
    } else {
      position += n;
    }
  }

  // Joins data sub-blocks up to their terminator; false when the file ends
  // first.
  bool subBlocks(std::vector<uint8_t>* out) {
    for (;;) {
      const uint8_t n = byte();
      if (!good) return false;
      if (n == 0) return true;
      if (out != nullptr ? !copy(n, *out) : (skip(n), !good)) return false;
    }
  }

 private:
  std::vector<uint8_t> bytes;
  size_t position = 0;
  bool good = true;
};

struct ZEL_AnimData::GifControl {
  bool pending = false;
  uint8_t packed = 0;
  uint16_t delay = 0;
  uint8_t transparentIndex = 0;
};

struct ZEL_AnimData::GifColorTable {
  std::vector<uint8_t> rgb;
  int entries() const { return static_cast<int>(rgb.size()) / RGB_BYTES; }
  const uint8_t* entry(int i) const { return &rgb[static_cast<size_t>(i) * RGB_BYTES]; }
};

namespace {

int tableEntries(uint8_t packed) { return 2 << (packed & TABLE_SIZE_BITS); }

[[noreturn]] void failCorrupt(const char* file) { ZEL_fatal("fichier %s corrompu!\n", file); }

const uint8_t BLACK[RGB_BYTES] = {0, 0, 0};

bool isBlack(const uint8_t* c) { return (c[0] | c[1] | c[2]) == 0; }

bool sameColor(const uint8_t* a, const uint8_t* b) { return memcmp(a, b, RGB_BYTES) == 0; }

}  // namespace

void ZEL_AnimData::ReadGif(const char* file) {
  FILE* f = fopen(file, "rb");
  if (f == nullptr) ZEL_fatal("fichier %s non trouv\xe9\n", file);
  GifReader in(f);
  fclose(f);

  uint8_t header[HEADER_BYTES];
  for (uint8_t& b : header) b = in.byte();
  if (memcmp(header, "GIF", 3) != 0) ZEL_fatal("le fichier %s n'est pas un GIF valide!\n", file);

  largeur = in.le16();
  hauteur = in.le16();
  const uint8_t screenPacked = in.byte();
  in.byte();  // background colour index
  in.byte();  // pixel aspect ratio

  GifColorTable global;
  if ((screenPacked & HAS_COLOR_TABLE) != 0) {
    in.copy(static_cast<size_t>(tableEntries(screenPacked)) * RGB_BYTES, global.rgb);
  } else {
    for (int i = 0; i < GREY_RAMP_ENTRIES; ++i) {
      global.rgb.insert(global.rgb.end(), RGB_BYTES, static_cast<uint8_t>(i));
    }
  }

  GifControl control;
  int64_t pixelsLeft = MAX_ANIMATION_PIXELS;
  while (in.isGood()) {
    const uint8_t block = in.byte();
    if (!in.isGood() || block == BLOCK_TRAILER) break;
    if (block == BLOCK_EXTENSION) {
      if (in.byte() == LABEL_GRAPHIC_CONTROL) {
        in.byte();  // block size, taken to be the standard 4
        control.packed = in.byte();
        control.delay = in.le16();
        control.transparentIndex = in.byte();
        in.byte();  // block terminator
        control.pending = true;
      } else {
        in.subBlocks(nullptr);
      }
    } else if (block == BLOCK_IMAGE) {
      readGifFrame(in, file, global, control, pixelsLeft);
      control = GifControl();  // used by this image only
    }
  }
  if (nbFrames == 0) ZEL_fatal("fichier %s a une fin pr\xe9matur\xe9" "e\n", file);
}

unsigned int ZEL_AnimData::gifDelayToSteps(uint16_t hundredths, const char* file) {
  if (timer == nullptr) return 0;
  // The value is first taken as milliseconds, then as tenths if that is 0.
  int64_t steps = timer->getNbStep(hundredths);
  if (steps == 0) steps = timer->getNbStep(DELAY_RETRY_FACTOR * hundredths);
  if (steps == 0) {
    printf("Attention le timer a un taux de FPS trop faible pour respecter le timing de l'anim %s\n",
           file);
  }
  return static_cast<unsigned int>(steps);
}

void ZEL_AnimData::readGifFrame(GifReader& in, const char* file, const GifColorTable& global,
                                const GifControl& control, int64_t& pixelsLeft) {
  in.le16();  // left
  in.le16();  // top
  const int width = in.le16();
  const int height = in.le16();
  const uint8_t packed = in.byte();
  if (!in.isGood() || width == 0 || height == 0 || width > MAX_FRAME_SIDE || height > MAX_FRAME_SIDE) {
    failCorrupt(file);
  }
  pixelsLeft -= static_cast<int64_t>(width) * height;
  if (pixelsLeft < 0) failCorrupt(file);

  ZEL_Surface* frame = grafbox->getSurface(width, height);
  if (frame == nullptr) ZEL_fatal("impossible d'allouer cette surface\n");
  // Every frame keys out black; without a transparent index the loader
  // writes no black pixel, so nothing is left out.
  frame->setTransparencyColor(0, 0, 0);
  const bool hasTransparency = control.pending && (control.packed & HAS_TRANSPARENCY) != 0;
  // A frame without graphic control data (a still GIF) changes every step.
  delays.add(new unsigned int(control.pending ? gifDelayToSteps(control.delay, file) : 0));

  GifColorTable local;
  if ((packed & HAS_COLOR_TABLE) != 0) {
    in.copy(static_cast<size_t>(tableEntries(packed)) * RGB_BYTES, local.rgb);
  }
  const GifColorTable& table = (packed & HAS_COLOR_TABLE) != 0 ? local : global;
  const short codeSize = in.byte();
  std::vector<uint8_t> data;
  if (!in.isGood() || !in.subBlocks(&data) || data.empty()) {
    delete frame;
    failCorrupt(file);
  }

  std::vector<uint8_t> indices(static_cast<size_t>(width) * height, 0);
  if (LZWDecoder(reinterpret_cast<char*>(data.data()), reinterpret_cast<char*>(indices.data()),
                 codeSize, width, width, height, packed & INTERLACED,
                 static_cast<int>(data.size())) == 0) {
    delete frame;
    failCorrupt(file);
  }

  // An index beyond the table reads as black; so does the transparent
  // colour when its index lies beyond it.
  const int entries = table.entries();
  const uint8_t* transparentColor =
      hasTransparency && control.transparentIndex < entries ? table.entry(control.transparentIndex) : nullptr;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int idx = indices[static_cast<size_t>(y) * width + x];
      if (hasTransparency && idx == control.transparentIndex) {
        frame->setPixel(x, y, 0, 0, 0);
        continue;
      }
      const uint8_t* c = idx < entries ? table.entry(idx) : BLACK;
      if (isBlack(c) || (transparentColor != nullptr && sameColor(c, transparentColor))) {
        frame->setPixel(x, y, 0, 0, 1);  // meant to be seen: near-black, not the key
      } else {
        frame->setPixel(x, y, c[0], c[1], c[2]);
      }
    }
  }

  appendFrame(frame);
  ZEL_Rect* box = new ZEL_Rect();
  calculateOptimizedBoundBox(box, frame, static_cast<unsigned int>(width), static_cast<unsigned int>(height));
  boundBoxes.add(box);
}
