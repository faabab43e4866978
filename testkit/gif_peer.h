#ifndef TESTKIT_GIF_PEER_H
#define TESTKIT_GIF_PEER_H

#include <cstdint>
#include <vector>

// giflib's data for indices below 2^colourBits in rows of width: minimum code size, sub-blocks joined.
struct GifData {
  int codeSize = 0;
  std::vector<uint8_t> bytes;
};
GifData giflibData(const std::vector<uint8_t>& indices, int width, int colourBits);

#endif
