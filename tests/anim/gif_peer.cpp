#include "gif_peer.h"

#include <gif_lib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

namespace {

const int PASS_START[] = {0, 4, 2, 1};
const int PASS_STEP[] = {8, 8, 4, 2};
const int NB_PASSES = 4;
const int MAX_SUB_BLOCK = 255;
const int GCB_BYTES = 4;
const int COLOR_RESOLUTION = 8;
const uint8_t BLOCK_EXTENSION = 0x21;
const uint8_t BLOCK_IMAGE = 0x2C;
const uint8_t BLOCK_TRAILER = 0x3B;

[[noreturn]] void fail(const char* what, int error) {
  fprintf(stderr, "gif_peer: %s: %s\n", what, GifErrorString(error));
  abort();
}

int appendBytes(GifFileType* gif, const GifByteType* bytes, int n) {
  auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
  out->insert(out->end(), bytes, bytes + n);
  return n;
}

struct ReadState {
  const std::vector<uint8_t>* bytes;
  size_t position;
};

int takeBytes(GifFileType* gif, GifByteType* into, int n) {
  auto* in = static_cast<ReadState*>(gif->UserData);
  const size_t left = in->bytes->size() - in->position;
  const size_t count = static_cast<size_t>(n) < left ? static_cast<size_t>(n) : left;
  memcpy(into, in->bytes->data() + in->position, count);
  in->position += count;
  return static_cast<int>(count);
}

ColorMapObject* makeMap(const std::vector<GifRgb>& table) {
  if (table.empty()) return nullptr;
  std::vector<GifColorType> colours(table.size());
  for (size_t i = 0; i < table.size(); ++i) colours[i] = {table[i].r, table[i].g, table[i].b};
  ColorMapObject* map = GifMakeMapObject(static_cast<int>(table.size()), colours.data());
  if (map == nullptr) fail("colour table size is not a power of two", E_GIF_ERR_NOT_ENOUGH_MEM);
  return map;
}

std::vector<GifRgb> tableOf(const ColorMapObject* map) {
  std::vector<GifRgb> table;
  if (map == nullptr) return table;
  for (int i = 0; i < map->ColorCount; ++i) {
    table.push_back({map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue});
  }
  return table;
}

// Rows in the order an image is stored: plain, or the four GIF passes.
std::vector<int> storedRowOrder(int height, bool interlace) {
  std::vector<int> rows;
  if (!interlace) {
    for (int y = 0; y < height; ++y) rows.push_back(y);
    return rows;
  }
  for (int pass = 0; pass < NB_PASSES; ++pass) {
    for (int y = PASS_START[pass]; y < height; y += PASS_STEP[pass]) rows.push_back(y);
  }
  return rows;
}

void putFrame(GifFileType* gif, const GifFrameSpec& frame) {
  if (frame.delay != GIF_NO_CONTROL) {
    GraphicsControlBlock gcb = {};
    gcb.DisposalMode = DISPOSAL_UNSPECIFIED;
    gcb.DelayTime = frame.delay;
    gcb.TransparentColor = frame.transparentIndex;
    GifByteType ext[GCB_BYTES];
    EGifGCBToExtension(&gcb, ext);
    if (EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, GCB_BYTES, ext) == GIF_ERROR) {
      fail("EGifPutExtension", gif->Error);
    }
  }
  ColorMapObject* local = makeMap(frame.localTable);
  if (local == nullptr && gif->Image.ColorMap != nullptr) {
    // giflib would drop the previous image's table here without freeing it.
    GifFreeMapObject(gif->Image.ColorMap);
    gif->Image.ColorMap = nullptr;
  }
  const int status = EGifPutImageDesc(gif, 0, 0, frame.width, frame.height, frame.interlace, local);
  GifFreeMapObject(local);
  if (status == GIF_ERROR) fail("EGifPutImageDesc", gif->Error);
  // EGifPutLine masks the line it is given: hand it a copy.
  std::vector<GifPixelType> line(static_cast<size_t>(frame.width));
  for (int y : storedRowOrder(frame.height, frame.interlace)) {
    memcpy(line.data(), frame.indices.data() + static_cast<size_t>(y) * frame.width, line.size());
    if (EGifPutLine(gif, line.data(), frame.width) == GIF_ERROR) fail("EGifPutLine", gif->Error);
  }
}

// The usual application extension that makes players loop forever.
void putLooping(GifFileType* gif) {
  static const char APPLICATION[] = "NETSCAPE2.0";
  static const uint8_t LOOP_FOREVER[] = {1, 0, 0};  // sub-block id 1, count 0
  if (EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_ERROR ||
      EGifPutExtensionBlock(gif, sizeof APPLICATION - 1, APPLICATION) == GIF_ERROR ||
      EGifPutExtensionBlock(gif, sizeof LOOP_FOREVER, LOOP_FOREVER) == GIF_ERROR ||
      EGifPutExtensionTrailer(gif) == GIF_ERROR) {
    fail("looping extension", gif->Error);
  }
}

}  // namespace

std::vector<uint8_t> giflibEncode(const GifLayout& layout) {
  std::vector<uint8_t> out;
  int error = 0;
  GifFileType* gif = EGifOpen(&out, appendBytes, &error);
  if (gif == nullptr) fail("EGifOpen", error);
  EGifSetGifVersion(gif, true);
  ColorMapObject* global = makeMap(layout.globalTable);
  const int status = EGifPutScreenDesc(gif, layout.screenWidth, layout.screenHeight, COLOR_RESOLUTION, 0, global);
  GifFreeMapObject(global);
  if (status == GIF_ERROR) fail("EGifPutScreenDesc", gif->Error);
  if (layout.looping) putLooping(gif);
  if (!layout.comment.empty() && EGifPutComment(gif, layout.comment.c_str()) == GIF_ERROR) {
    fail("EGifPutComment", gif->Error);
  }
  for (const GifFrameSpec& frame : layout.frames) putFrame(gif, frame);
  if (EGifCloseFile(gif, &error) == GIF_ERROR) fail("EGifCloseFile", error);
  return out;
}

bool giflibDecode(const std::vector<uint8_t>& file, std::vector<GiflibImage>& images, std::string& error) {
  images.clear();
  ReadState state = {&file, 0};
  int code = 0;
  GifFileType* gif = DGifOpen(&state, takeBytes, &code);
  if (gif == nullptr) {
    error = GifErrorString(code);
    return false;
  }
  const bool ok = DGifSlurp(gif) == GIF_OK;
  if (!ok) error = GifErrorString(gif->Error);
  for (int i = 0; ok && i < gif->ImageCount; ++i) {
    const SavedImage& saved = gif->SavedImages[i];
    GiflibImage image;
    image.width = saved.ImageDesc.Width;
    image.height = saved.ImageDesc.Height;
    image.interlace = saved.ImageDesc.Interlace;
    image.indices.assign(saved.RasterBits,
                         saved.RasterBits + static_cast<size_t>(image.width) * image.height);
    image.table = tableOf(saved.ImageDesc.ColorMap != nullptr ? saved.ImageDesc.ColorMap : gif->SColorMap);
    GraphicsControlBlock gcb;
    if (DGifSavedExtensionToGCB(gif, i, &gcb) == GIF_OK) {
      image.hasControl = true;
      image.transparentIndex = gcb.TransparentColor;
      image.delay = gcb.DelayTime;
    }
    images.push_back(image);
  }
  DGifCloseFile(gif, &code);
  return ok;
}

namespace {

class ByteWalker {
 public:
  explicit ByteWalker(const std::vector<uint8_t>& b) : bytes(b) {}
  uint8_t byte() {
    if (position >= bytes.size()) {
      fprintf(stderr, "gif_peer: GIF ends early\n");
      abort();
    }
    return bytes[position++];
  }
  int le16() {
    const int low = byte();
    return low | (byte() << 8);
  }
  void skip(size_t n) {
    for (size_t i = 0; i < n; ++i) byte();
  }
  void subBlocks(std::vector<uint8_t>* out) {
    for (uint8_t n = byte(); n != 0; n = byte()) {
      for (int i = 0; i < n; ++i) {
        const uint8_t b = byte();
        if (out != nullptr) out->push_back(b);
      }
    }
  }

 private:
  const std::vector<uint8_t>& bytes;
  size_t position = 0;
};

const uint8_t HAS_TABLE = 0x80;
const uint8_t INTERLACED = 0x40;
const uint8_t TABLE_BITS = 0x07;
const int RGB_BYTES = 3;
const int HEADER_BYTES = 6;

size_t tableBytes(uint8_t packed) {
  return (packed & HAS_TABLE) != 0 ? static_cast<size_t>(2 << (packed & TABLE_BITS)) * RGB_BYTES : 0;
}

}  // namespace

std::vector<GifImageStream> gifImageStreams(const std::vector<uint8_t>& file) {
  std::vector<GifImageStream> images;
  ByteWalker in(file);
  in.skip(HEADER_BYTES);
  in.le16();
  in.le16();
  const uint8_t screenPacked = in.byte();
  in.skip(2);  // background colour, aspect ratio
  in.skip(tableBytes(screenPacked));
  for (;;) {
    const uint8_t block = in.byte();
    if (block == BLOCK_TRAILER) break;
    if (block == BLOCK_EXTENSION) {
      in.byte();
      in.subBlocks(nullptr);
    } else if (block == BLOCK_IMAGE) {
      GifImageStream image;
      in.le16();
      in.le16();
      image.width = in.le16();
      image.height = in.le16();
      const uint8_t packed = in.byte();
      image.interlace = (packed & INTERLACED) != 0;
      in.skip(tableBytes(packed));
      image.codeSize = in.byte();
      in.subBlocks(&image.data);
      images.push_back(image);
    } else {
      fprintf(stderr, "gif_peer: unknown block 0x%02x\n", block);
      abort();
    }
  }
  return images;
}

std::vector<uint8_t> gifWithStream(int width, int height, int tableBits, int codeSize,
                                   const std::vector<uint8_t>& data) {
  std::vector<uint8_t> out = {'G', 'I', 'F', '8', '9', 'a'};
  auto le16 = [&](int v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
  };
  le16(width);
  le16(height);
  out.push_back(static_cast<uint8_t>(HAS_TABLE | (tableBits - 1)));
  out.push_back(0);
  out.push_back(0);
  for (int i = 0; i < (1 << tableBits); ++i) out.insert(out.end(), RGB_BYTES, static_cast<uint8_t>(i));
  out.push_back(BLOCK_IMAGE);
  le16(0);
  le16(0);
  le16(width);
  le16(height);
  out.push_back(0);
  out.push_back(static_cast<uint8_t>(codeSize));
  for (size_t at = 0; at < data.size(); at += MAX_SUB_BLOCK) {
    const size_t n = data.size() - at < MAX_SUB_BLOCK ? data.size() - at : MAX_SUB_BLOCK;
    out.push_back(static_cast<uint8_t>(n));
    out.insert(out.end(), data.begin() + static_cast<long>(at), data.begin() + static_cast<long>(at + n));
  }
  out.push_back(0);
  out.push_back(BLOCK_TRAILER);
  return out;
}

std::vector<uint8_t> patternIndices(int width, int height, int colours, int noisePercent, uint32_t seed) {
  const int PERCENT = 100;
  const int BAND_PIXELS = 7;  // width of a colour band of the diagonal pattern
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> percent(0, PERCENT - 1);
  std::uniform_int_distribution<int> colour(0, colours - 1);
  std::vector<uint8_t> indices(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      int v = ((x + 2 * y) / BAND_PIXELS) % colours;
      if (percent(random) < noisePercent) v = colour(random);
      indices[static_cast<size_t>(y) * width + x] = static_cast<uint8_t>(v);
    }
  }
  return indices;
}

std::vector<GifRgb> randomTable(int entries, uint32_t seed) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> component(0, 255);
  std::vector<GifRgb> table(static_cast<size_t>(entries));
  for (GifRgb& c : table) {
    c = {static_cast<uint8_t>(component(random)), static_cast<uint8_t>(component(random)),
         static_cast<uint8_t>(component(random))};
  }
  if (entries > 1) table[1] = GifRgb();
  if (entries > 2) table.back() = table[0];
  return table;
}

void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* f = fopen(path.c_str(), "wb");
  const bool written = f != nullptr && (bytes.empty() || fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size());
  if (f == nullptr || fclose(f) != 0 || !written) {
    fprintf(stderr, "gif_peer: cannot write %s\n", path.c_str());
    abort();
  }
}
