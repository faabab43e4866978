// ZEL_AnimData: reading animated GIF files.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include "zel_alloc.h"
#include "zel_anim_data.h"
#include "zel_byte_order.h"
#include "zel_fatal.h"
#include "zel_grafbox.h"
#include "zel_surface.h"
#include "zel_timer.h"
#include "zel_utils.h"

namespace {

// Block introducers and labels.
enum : uint8_t { BLOCK_EXTENSION = 0x21, BLOCK_IMAGE = 0x2C, BLOCK_TRAILER = 0x3B };
enum : uint8_t { LABEL_GRAPHIC_CONTROL = 0xF9 };
// Bits of the screen's, the image's and the graphic control's packed fields.
enum : uint8_t { HAS_COLOR_TABLE = 0x80, INTERLACED = 0x40, TABLE_SIZE_BITS = 0x07, HAS_TRANSPARENCY = 0x01 };

const int HEADER_BYTES = 6;
const int RGB_BYTES = 3;
const int MAX_TABLE_ENTRIES = 256;
const int MAX_FRAME_SIDE = ZEL_AnimData::MAX_FRAME_SIDE;
// Pixels all frames of one animation may hold together: twice the largest
// frame. An image's pixels are not bounded by its data (a stream that ends
// early leaves the rest at index 0), so a few-byte file could otherwise
// announce frame after frame of 4096 x 4096.
const int64_t MAX_ANIMATION_PIXELS = 2LL * MAX_FRAME_SIDE * MAX_FRAME_SIDE;
// The delay of the second try: hundredths of a second read as tenths.
const uint32_t DELAY_RETRY_FACTOR = 10;

// The GIF reader's one memory message, whatever it could not allocate.
[[noreturn]] void failMemory() { ZEL_fatal("impossible d'allouer cette surface\n"); }

[[noreturn]] void failCorrupt(const char* file) { ZEL_fatal("fichier %s corrompu!\n", file); }

long fileSize(FILE* f) {
  if (fseek(f, 0, SEEK_END) != 0) return 0;
  const long size = ftell(f);
  rewind(f);
  return size < 0 ? 0 : size;
}

}  // namespace

namespace zel_gif {

// A whole GIF file's bytes, handed out in order. Reading past the end
// gives zeros and marks the reader bad, as a stream would.
class Reader {
 public:
  explicit Reader(FILE* f) : size(static_cast<size_t>(fileSize(f))) {
    bytes = zel_alloc::array<uint8_t>(size, [f] {
      fclose(f);
      failMemory();
    });
    size = fread(bytes.get(), 1, size, f);
  }

  bool isGood() const { return good; }

  uint8_t byte() {
    if (position >= size) {
      good = false;
      return 0;
    }
    return bytes[position++];
  }

  uint16_t le16() {
    const uint8_t p[2] = {byte(), byte()};
    return zel_le::get16(p);
  }

  // Copies n bytes to out; false (and bad) when the file holds fewer.
  bool read(uint8_t* out, size_t n) {
    if (n > size - position) {
      position = size;
      good = false;
      return false;
    }
    memcpy(out, &bytes[position], n);
    position += n;
    return true;
  }

  // The bytes of the data sub-blocks from here up to their terminator,
  // without reading them; -1 when the file ends first.
  int64_t subBlockBytes() const {
    int64_t total = 0;
    for (size_t at = position; at < size; at += 1 + bytes[at]) {
      if (bytes[at] == 0) return total;
      total += bytes[at];
    }
    return -1;
  }

  // Joins the sub-blocks into out, which holds subBlockBytes() bytes.
  void joinSubBlocks(uint8_t* out) {
    for (uint8_t n; (n = byte()) != 0 && good; out += n) read(out, n);
  }

  // Passes over sub-blocks up to their terminator.
  void skipSubBlocks() {
    for (uint8_t n; (n = byte()) != 0 && good;) {
      if (n > size - position) {
        position = size;
        good = false;
      } else {
        position += n;
      }
    }
  }

 private:
  size_t size;
  std::unique_ptr<uint8_t[]> bytes;
  size_t position = 0;
  bool good = true;
};

// Graphic control data waiting for the next image.
struct Control {
  bool pending = false;
  uint8_t packed = 0;
  uint16_t delay = 0;
  uint8_t transparentIndex = 0;
};

struct ColorTable {
  uint8_t rgb[MAX_TABLE_ENTRIES * RGB_BYTES] = {};
  int entries = 0;
  const uint8_t* entry(int i) const { return &rgb[i * RGB_BYTES]; }
};

}  // namespace zel_gif

namespace {

using zel_gif::ColorTable;
using zel_gif::Control;
using zel_gif::Reader;

// An image descriptor's size and packed field.
struct Image {
  int width;
  int height;
  uint8_t packed;
};

int tableEntries(uint8_t packed) { return 2 << (packed & TABLE_SIZE_BITS); }

// A colour table of the entries packed announces; none when the file ends first.
ColorTable readColorTable(Reader& in, uint8_t packed) {
  ColorTable table;
  const int entries = tableEntries(packed);
  if (in.read(table.rgb, static_cast<size_t>(entries) * RGB_BYTES)) table.entries = entries;
  return table;
}

// Without a global colour table, index i reads as grey level i.
ColorTable greyRamp() {
  ColorTable table;
  for (int i = 0; i < MAX_TABLE_ENTRIES; ++i) memset(&table.rgb[i * RGB_BYTES], i, RGB_BYTES);
  table.entries = MAX_TABLE_ENTRIES;
  return table;
}

// A graphic control extension, or any other one passed over.
void readExtension(Reader& in, Control* control) {
  if (in.byte() != LABEL_GRAPHIC_CONTROL) {
    in.skipSubBlocks();
    return;
  }
  in.byte();  // block size, taken to be the standard 4
  control->packed = in.byte();
  control->delay = in.le16();
  control->transparentIndex = in.byte();
  in.byte();  // block terminator
  control->pending = true;
}

// The image descriptor; an empty or oversized image, or one past what the
// animation may hold in all, is refused.
Image readImage(Reader& in, const char* file, int64_t& pixelsLeft) {
  in.le16();  // left
  in.le16();  // top
  Image image;
  image.width = in.le16();
  image.height = in.le16();
  image.packed = in.byte();
  if (!in.isGood() || image.width == 0 || image.height == 0 || image.width > MAX_FRAME_SIDE ||
      image.height > MAX_FRAME_SIDE) {
    failCorrupt(file);
  }
  pixelsLeft -= static_cast<int64_t>(image.width) * image.height;
  if (pixelsLeft < 0) failCorrupt(file);
  return image;
}

// The image's colour indices, decoded from its data sub-blocks; what the
// data leaves out stays at index 0.
std::unique_ptr<uint8_t[]> readIndices(Reader& in, const char* file, const Image& image) {
  const short codeSize = in.byte();
  const int64_t dataBytes = in.isGood() ? in.subBlockBytes() : -1;
  if (dataBytes <= 0) failCorrupt(file);
  const auto data = zel_alloc::array<char>(static_cast<uint64_t>(dataBytes), failMemory);
  in.joinSubBlocks(reinterpret_cast<uint8_t*>(data.get()));
  auto indices = zel_alloc::array<uint8_t>(static_cast<uint64_t>(image.width) * image.height, failMemory);
  if (LZWDecoder(data.get(), reinterpret_cast<char*>(indices.get()), codeSize, image.width, image.width,
                 image.height, image.packed & INTERLACED, static_cast<int>(dataBytes)) == 0) {
    failCorrupt(file);
  }
  return indices;
}

const uint8_t BLACK[RGB_BYTES] = {0, 0, 0};
const uint8_t NEAR_BLACK[RGB_BYTES] = {0, 0, 1};  // the nearest colour the key leaves visible

bool isBlack(const uint8_t* c) { return (c[0] | c[1] | c[2]) == 0; }

bool sameColor(const uint8_t* a, const uint8_t* b) { return memcmp(a, b, RGB_BYTES) == 0; }

// What one index paints: the transparent index gives the key (black); an
// index beyond the table reads as black, and so does the transparent
// colour when its index lies beyond it; black meant to be seen becomes
// near-black.
struct IndexColours {
  uint8_t rgbx[MAX_TABLE_ENTRIES][ZEL_Surface::RGBX_BYTES] = {};
  bool visible[MAX_TABLE_ENTRIES] = {};

  IndexColours(const ColorTable& table, const Control& control) {
    const bool hasTransparency = control.pending && (control.packed & HAS_TRANSPARENCY) != 0;
    const uint8_t* transparentColor = hasTransparency && control.transparentIndex < table.entries
                                          ? table.entry(control.transparentIndex)
                                          : nullptr;
    for (int i = 0; i < MAX_TABLE_ENTRIES; ++i) {
      visible[i] = !hasTransparency || i != control.transparentIndex;
      const bool seenAsBlack = i >= table.entries || isBlack(table.entry(i)) ||
                               (transparentColor != nullptr && sameColor(table.entry(i), transparentColor));
      memcpy(rgbx[i], !visible[i] ? BLACK : seenAsBlack ? NEAR_BLACK : table.entry(i), RGB_BYTES);
    }
  }
};

// The indices as colours (red, green, blue, an unused byte) in rgbx.
// Returns the box of the pixels left visible (the whole image when none
// is), as calculateOptimizedBoundBox finds it.
ZEL_Rect toColours(const uint8_t* indices, const Image& image, const IndexColours& colours, uint8_t* rgbx) {
  int left = image.width, top = -1, right = -1, bottom = -1;
  for (int y = 0; y < image.height; ++y) {
    int rowLeft = image.width, rowRight = -1;
    for (int x = 0; x < image.width; ++x, rgbx += ZEL_Surface::RGBX_BYTES) {
      const uint8_t idx = *indices++;
      memcpy(rgbx, colours.rgbx[idx], ZEL_Surface::RGBX_BYTES);
      if (!colours.visible[idx]) continue;
      if (rowRight < 0) rowLeft = x;
      rowRight = x;
    }
    if (rowRight < 0) continue;
    if (top < 0) top = y;
    bottom = y;
    left = std::min(left, rowLeft);
    right = std::max(right, rowRight);
  }
  return right < 0 ? ZEL_Rect{0, 0, image.width - 1, image.height - 1} : ZEL_Rect{left, top, right, bottom};
}

}  // namespace

void ZEL_AnimData::ReadGif(const char* file) {
  FILE* f = fopen(file, "rb");
  if (f == nullptr) ZEL_fatal("fichier %s non trouv\xe9\n", file);
  Reader in(f);
  fclose(f);

  uint8_t header[HEADER_BYTES];
  for (uint8_t& b : header) b = in.byte();
  if (memcmp(header, "GIF", 3) != 0) ZEL_fatal("le fichier %s n'est pas un GIF valide!\n", file);

  largeur = in.le16();
  hauteur = in.le16();
  const uint8_t screenPacked = in.byte();
  in.byte();  // background colour index
  in.byte();  // pixel aspect ratio
  const ColorTable global =
      (screenPacked & HAS_COLOR_TABLE) != 0 ? readColorTable(in, screenPacked) : greyRamp();

  Control control;
  int64_t pixelsLeft = MAX_ANIMATION_PIXELS;
  while (in.isGood()) {
    const uint8_t block = in.byte();
    if (!in.isGood() || block == BLOCK_TRAILER) break;
    if (block == BLOCK_EXTENSION) {
      readExtension(in, &control);
    } else if (block == BLOCK_IMAGE) {
      readGifFrame(in, file, global, control, pixelsLeft);
      control = Control();  // used by this image only
    }
  }
  if (nbFrames == 0)
    ZEL_fatal(
        "fichier %s a une fin pr\xe9matur\xe9"
        "e\n",
        file);
}

unsigned int ZEL_AnimData::gifDelayToSteps(uint16_t hundredths, const char* file) {
  if (timer == nullptr) return 0;
  // The value is first taken as milliseconds, then as tenths if that is 0.
  int64_t steps = timer->getNbStep(hundredths);
  if (steps == 0) steps = timer->getNbStep(DELAY_RETRY_FACTOR * hundredths);
  if (steps == 0) {
    printf("Attention le timer a un taux de FPS trop faible pour respecter le timing de l'anim %s\n", file);
  }
  return static_cast<unsigned int>(steps);
}

void ZEL_AnimData::readGifFrame(Reader& in, const char* file, const ColorTable& global,
                                const Control& control, int64_t& pixelsLeft) {
  const Image image = readImage(in, file, pixelsLeft);
  std::unique_ptr<ZEL_Surface> frame(grafbox->getSurface(image.width, image.height));
  if (frame == nullptr) failMemory();
  // Every frame keys out black; without a transparent index the loader
  // writes no black pixel, so nothing is left out.
  frame->setTransparencyColor(0, 0, 0);
  // A frame without graphic control data (a still GIF) changes every step.
  delays.add(new unsigned int(control.pending ? gifDelayToSteps(control.delay, file) : 0));

  const bool hasLocalTable = (image.packed & HAS_COLOR_TABLE) != 0;
  const ColorTable local = hasLocalTable ? readColorTable(in, image.packed) : ColorTable();
  const auto indices = readIndices(in, file, image);
  const auto rgbx = zel_alloc::array<uint8_t>(
      static_cast<uint64_t>(image.width) * image.height * ZEL_Surface::RGBX_BYTES, failMemory);
  const ZEL_Rect box =
      toColours(indices.get(), image, IndexColours(hasLocalTable ? local : global, control), rgbx.get());
  frame->setPixels(rgbx.get());
  boundBoxes.add(new ZEL_Rect(box));
  appendFrame(frame.release());
}
