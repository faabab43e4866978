#include "gif_peer.h"

#include <gif_lib.h>

#include <cstdlib>

namespace {

const size_t SCREEN_BYTES = 13;  // signature, version, screen descriptor
const size_t DESCRIPTOR_BYTES = 10;

int append(GifFileType* gif, const GifByteType* bytes, int n) {
  auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
  out->insert(out->end(), bytes, bytes + n);
  return n;
}

void check(bool ok) {
  if (!ok) abort();
}

}  // namespace

GifData giflibData(const std::vector<uint8_t>& indices, int width, int colourBits) {
  // A file of one image after a global table; EGifPutLine masks the line it is given.
  std::vector<uint8_t> file;
  int error = 0;
  GifFileType* gif = EGifOpen(&file, append, &error);
  ColorMapObject* table = GifMakeMapObject(1 << colourBits, nullptr);
  const int height = static_cast<int>(indices.size()) / width;
  check(gif != nullptr && EGifPutScreenDesc(gif, width, height, colourBits, 0, table) == GIF_OK &&
        EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr) == GIF_OK);
  GifFreeMapObject(table);
  for (auto row = indices.begin(); row != indices.end(); row += width) {
    std::vector<GifPixelType> line(row, row + width);
    check(EGifPutLine(gif, line.data(), width) == GIF_OK);
  }
  check(EGifCloseFile(gif, &error) == GIF_OK);
  size_t at = SCREEN_BYTES + (3u << colourBits) + DESCRIPTOR_BYTES;  // 3 bytes a table entry
  GifData data;
  data.codeSize = file.at(at++);
  for (size_t n; (n = file.at(at++)) != 0; at += n) {
    data.bytes.insert(data.bytes.end(), file.begin() + static_cast<long>(at),
                      file.begin() + static_cast<long>(at + n));
  }
  return data;
}
