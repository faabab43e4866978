#include "zel_tile.h"

#include <memory>
#include <vector>

#include "zel_alloc.h"
#include "zel_fatal.h"
#include "zel_file_io.h"
#include "zel_grafbox.h"
#include "zel_surface.h"

namespace {

const int PIXEL_BYTES = ZEL_Surface::RGBX_BYTES;  // red, green, blue, one byte written as 0
// Skipped pixel blocks go through a buffer of at most this many bytes, so
// that a record announcing more than its file holds costs no memory.
const size_t SKIP_BUFFER_BYTES = 64 * 1024;
const char DUMP_END[] = "-----------------------------------\n";

bool isAcceptableSize(int32_t largeur, int32_t hauteur) {
  return largeur >= 0 && hauteur >= 0 && largeur <= ZEL_Tile::MAX_SIDE && hauteur <= ZEL_Tile::MAX_SIDE;
}

uint64_t pixelBlockBytes(int32_t largeur, int32_t hauteur) {
  return static_cast<uint64_t>(largeur) * static_cast<uint64_t>(hauteur) * PIXEL_BYTES;
}

// A record's header as the stream delivers it: sizes 0, and attributes
// left unread, where it ends first.
struct RecordHeader {
  bool widthRead = false;
  int32_t largeur = 0;
  int32_t hauteur = 0;
  uint8_t attributes[ZEL_Tile::ATTRIBUTE_COUNT] = {};
  int attributesRead = 0;
};

RecordHeader readRecordHeader(FILE* stream) {
  RecordHeader h;
  h.widthRead = zel_file::readLe32(stream, &h.largeur);
  zel_file::readLe32(stream, &h.hauteur);
  while (h.attributesRead < ZEL_Tile::ATTRIBUTE_COUNT &&
         zel_file::readByte(stream, &h.attributes[h.attributesRead])) {
    ++h.attributesRead;
  }
  return h;
}

// A record that cannot be read as announced. The stream is closed first.
[[noreturn]] void failRead(FILE* stream, FILE* out) {
  fclose(stream);
  ZEL_fatalTo(out, "erreur de lecture de la mosaique");
}

// No room for the tile's image. The stream is closed first.
[[noreturn]] void failMemory(FILE* stream, bool withLineEnd) {
  fclose(stream);
  ZEL_fatal(withLineEnd ? "pas assez de memoire pour allouer la mosaique \n"
                        : "pas assez de memoire pour allouer la mosaique ");
}

}  // namespace

ZEL_Tile::ZEL_Tile(ZEL_Grafbox* g)
    : grafbox(g),
      largeur(0),
      hauteur(0),
      attr0(0),
      transparent(0),
      attr2(0),
      attr3(0),
      walkable(0),
      surface(nullptr) {}

ZEL_Tile::~ZEL_Tile() { delete surface; }

// Fields the stream cannot deliver in full: sizes read as 0, attributes
// keep their values.
bool ZEL_Tile::readHeader(FILE* stream) {
  const RecordHeader h = readRecordHeader(stream);
  largeur = h.largeur;
  hauteur = h.hauteur;
  uint8_t* attributes[ATTRIBUTE_COUNT] = {&attr0, &transparent, &attr2, &attr3, &walkable};
  for (int i = 0; i < h.attributesRead; ++i) *attributes[i] = h.attributes[i];
  return h.widthRead;
}

bool ZEL_Tile::hasAcceptableSize() const { return isAcceptableSize(largeur, hauteur); }

void ZEL_Tile::replaceSurface(FILE* stream, bool withLineEnd) {
  delete surface;
  surface = grafbox->getSurface(largeur, hauteur);
  if (surface == nullptr) failMemory(stream, withLineEnd);
}

void ZEL_Tile::fillSurface(const uint8_t* pixels) {
  surface->setPixels(pixels);
  if (transparent == 1) surface->setTransparencyColor(0, 0, 0);
}

// The size is checked against the file before the surface is made: a
// few-byte record cannot make the tile allocate what it announces. A short
// pixel block is reported on shortBlockOut.
bool ZEL_Tile::readRecord(FILE* stream, FILE* shortBlockOut, bool withLineEnd) {
  const bool widthRead = readHeader(stream);
  if (!hasAcceptableSize()) failRead(stream, stdout);
  const uint64_t blockBytes = pixelBlockBytes(largeur, hauteur);
  if (zel_file::isShorterThan(stream, blockBytes)) failRead(stream, shortBlockOut);
  replaceSurface(stream, withLineEnd);
  const auto pixels =
      zel_alloc::array<uint8_t>(blockBytes, [stream, withLineEnd] { failMemory(stream, withLineEnd); });
  if (fread(pixels.get(), 1, blockBytes, stream) != blockBytes) failRead(stream, shortBlockOut);
  fillSurface(pixels.get());
  return widthRead;
}

int ZEL_Tile::ReadTle(FILE* stream) { return readRecord(stream, stderr, true) ? 1 : -1; }

void ZEL_Tile::ReadTle(const char* filename) {
  FILE* f = fopen(filename, "rb");
  if (f == nullptr) ZEL_fatal("erreur d'ouverture du fichier %s", filename);
  readRecord(f, stdout, false);
  fclose(f);
}

int ZEL_Tile::SkipTle(FILE* stream) {
  const RecordHeader h = readRecordHeader(stream);
  if (!isAcceptableSize(h.largeur, h.hauteur)) failRead(stream, stdout);

  const uint64_t blockBytes = pixelBlockBytes(h.largeur, h.hauteur);
  const size_t bufferBytes = blockBytes < SKIP_BUFFER_BYTES ? blockBytes : SKIP_BUFFER_BYTES;
  const auto buffer = zel_alloc::array<uint8_t>(bufferBytes, [stream] {
    fclose(stream);
    ZEL_fatal("not enough space to skip tiles\n");
  });
  const uint64_t dropped = zel_file::drop(stream, blockBytes, buffer.get(), bufferBytes);
  // An empty block is no tile either: it ends the tile set.
  return blockBytes > 0 && dropped == blockBytes ? 1 : -1;
}

// Writes the record; with a dump stream, also the pixels as text. False
// when a write failed.
bool ZEL_Tile::writeRecord(FILE* stream, FILE* dump) {
  bool ok = zel_file::writeLe32(stream, static_cast<uint32_t>(largeur));
  ok = zel_file::writeLe32(stream, static_cast<uint32_t>(hauteur)) && ok;
  const uint8_t attributes[ATTRIBUTE_COUNT] = {attr0, transparent, attr2, attr3, walkable};
  ok = fwrite(attributes, 1, sizeof attributes, stream) == sizeof attributes && ok;

  std::vector<uint8_t> row(static_cast<size_t>(largeur) * PIXEL_BYTES, 0);
  for (int y = 0; y < hauteur; ++y) {
    for (int x = 0; x < largeur; ++x) {
      unsigned char r = 0, g = 0, b = 0;
      if (surface != nullptr) surface->getPixel(x, y, &r, &g, &b);
      uint8_t* p = &row[static_cast<size_t>(x) * PIXEL_BYTES];
      p[0] = r;
      p[1] = g;
      p[2] = b;
      p[3] = 0;
      if (dump != nullptr) fprintf(dump, "(%d,%d,%d)", r, g, b);
    }
    ok = fwrite(row.data(), 1, row.size(), stream) == row.size() && ok;
    if (dump != nullptr) fputs("\n", dump);
  }
  if (dump != nullptr) fputs(DUMP_END, dump);
  return ok;
}

void ZEL_Tile::WriteTle(FILE* stream) { writeRecord(stream, nullptr); }

void ZEL_Tile::WriteTle(const char* filename) {
  FILE* f = fopen(filename, "wb");
  if (f == nullptr) ZEL_fatal("erreur d'ecriture dans le fichier %s", filename);
  bool ok = writeRecord(f, stderr);
  ok = fclose(f) == 0 && ok;
  if (!ok) ZEL_fatal("erreur d'ecriture dans le fichier %s", filename);
}

bool ZEL_Tile::IsWalkable() const { return walkable == 1; }

void ZEL_Tile::setImage(ZEL_Surface* image, uint8_t a0, uint8_t t, uint8_t a2, uint8_t a3, uint8_t w) {
  if (image != surface) delete surface;
  surface = image;
  largeur = image != nullptr ? image->getLargeur() : 0;
  hauteur = image != nullptr ? image->getHauteur() : 0;
  attr0 = a0;
  transparent = t;
  attr2 = a2;
  attr3 = a3;
  walkable = w;
  if (image != nullptr && transparent == 1) image->setTransparencyColor(0, 0, 0);
}

void ZEL_Tile::draw(unsigned int x, unsigned int y) { draw(x, y, grafbox); }

// Cut to 16 bits on purpose: the graphics box reads the position as signed.
void ZEL_Tile::draw(unsigned int x, unsigned int y, ZEL_Grafbox* g) {
  if (surface == nullptr) return;
  g->put_sprite(surface, static_cast<unsigned short>(x), static_cast<unsigned short>(y),
                static_cast<unsigned short>(largeur), static_cast<unsigned short>(hauteur));
}
