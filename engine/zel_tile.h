#ifndef ZEL_TILE_H
#define ZEL_TILE_H

#include <array>
#include <cstdint>
#include <cstdio>

class ZEL_Grafbox;
class ZEL_Surface;

// One tile of a tile set: an image of its own size and five attribute
// bytes, of which two mean something to the engine (black is transparent;
// the tile can be walked through). Created empty and filled by the tile map
// that owns it; the tile owns its surface. Read failures end the process
// with a message.
class ZEL_Tile {
 public:
  // Largest tile side, in pixels, that a .tle record may announce.
  static constexpr int32_t MAX_SIDE = 4096;
  // Attribute bytes of a record, after its width and height.
  static constexpr int ATTRIBUTE_COUNT = 5;

  explicit ZEL_Tile(ZEL_Grafbox* grafbox);
  ~ZEL_Tile();
  ZEL_Tile(const ZEL_Tile&) = delete;
  ZEL_Tile& operator=(const ZEL_Tile&) = delete;

  // Reads the record at the stream's position into the tile. Returns 1
  // when the width field could be read, -1 at the end of the file.
  int ReadTle(FILE* stream);

  // Reads the record at the stream's position and drops it, leaving the
  // tile as it is. Returns 1 when the whole pixel block was there and not
  // empty, else -1: the record does not count.
  int SkipTle(FILE* stream);

  // Writes the tile as one record at the stream's position.
  void WriteTle(FILE* stream);

  // Reads the file's first record into the tile.
  void ReadTle(const char* filename);

  // Writes the tile as the file's only record, with a text dump of its
  // pixels on standard error.
  void WriteTle(const char* filename);

  bool IsWalkable() const;
  // The attribute bytes as a record holds them, for tools that write other
  // formats: attr0, transparent, attr2, attr3, walkable.
  std::array<uint8_t, 5> getAttributes() const { return {attr0, transparent, attr2, attr3, walkable}; }

  // Makes the tile from an image and its five attribute bytes, as reading a
  // record would: the tile takes ownership of image (replacing the surface
  // it held), takes its size from it, and keys black out when transparent
  // is 1. For tools that build tile sets in memory before WriteTle.
  void setImage(ZEL_Surface* image, uint8_t attr0, uint8_t transparent, uint8_t attr2, uint8_t attr3,
                uint8_t walkable);

  // Draws the tile at screen (x, y) with the tile's own graphics box or the
  // given one. Positions and size travel as 16-bit values, on purpose: a
  // negative position arrives as a signed 16-bit one and is clipped.
  void draw(unsigned int x, unsigned int y);
  void draw(unsigned int x, unsigned int y, ZEL_Grafbox* grafbox);

  int get_largeur() const { return largeur; }
  int get_hauteur() const { return hauteur; }
  ZEL_Surface* getSurface() const { return surface; }

 private:
  bool readHeader(FILE* stream);
  bool readRecord(FILE* stream, FILE* shortBlockOut, bool withLineEnd);
  bool hasAcceptableSize() const;
  void replaceSurface(FILE* stream, bool withLineEnd);
  void fillSurface(const uint8_t* pixels);
  bool writeRecord(FILE* stream, FILE* dump);

  ZEL_Grafbox* grafbox;
  int32_t largeur;
  int32_t hauteur;
  uint8_t attr0;
  uint8_t transparent;  // 1: black pixels are not drawn
  uint8_t attr2;
  uint8_t attr3;
  uint8_t walkable;  // 1: the tile does not block actors
  ZEL_Surface* surface;
};

#endif
