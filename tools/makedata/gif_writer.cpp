#include "gif_writer.h"

#include <fcntl.h>
#include <gif_lib.h>
#include <unistd.h>

#include <map>

#include "source_text.h"

namespace {

const int GIF_COLOURS = 256;
const int COLOUR_RESOLUTION = 8;
// Graphic control block: disposal "restore to background" (2) in bits
// 2-4, and the transparent-index flag in bit 0.
const unsigned char CONTROL_FLAGS = (2 << 2) | 1;
const unsigned char TRANSPARENT_INDEX = 0;
const unsigned SMALL_DELAY_LIMIT = 10;
const unsigned MAX_DELAY_STEPS = 6553;
const mode_t FILE_MODE = 0644;

void check(int result, GifFileType* gif, const std::string& file) {
  if (result == GIF_OK) return;
  const std::string reason = GifErrorString(gif->Error);
  int ignored = 0;
  EGifCloseFile(gif, &ignored);
  failTool("cannot write " + file + ": " + reason);
}

// Index 0 is transparent; the other colours in order of appearance.
std::map<uint32_t, int> buildPalette(const std::vector<Image>& frames, const std::string& file,
                                     ColorMapObject* map) {
  std::map<uint32_t, int> indexOf;
  int next = 1;
  auto key = [](const Rgb& c) { return (uint32_t(c.r) << 16) | (uint32_t(c.g) << 8) | c.b; };
  for (const Image& frame : frames)
    for (const Rgb& c : frame.pixels) {
      if (c.isTransparent() || indexOf.count(key(c)) != 0) continue;
      if (next >= GIF_COLOURS) failTool(file + ": more than 255 colours");
      map->Colors[next] = GifColorType{c.r, c.g, c.b};
      indexOf[key(c)] = next++;
    }
  indexOf[key(TRANSPARENT)] = TRANSPARENT_INDEX;
  return indexOf;
}

}  // namespace

unsigned gifDelayFor(unsigned delaySteps) {
  return delaySteps < SMALL_DELAY_LIMIT ? delaySteps : delaySteps * 10;
}

void writeGif(const std::string& file, const std::vector<Image>& frames, unsigned delaySteps) {
  if (frames.empty()) failTool(file + ": no frame");
  if (delaySteps == 0 || delaySteps > MAX_DELAY_STEPS) failTool(file + ": a GIF delay must be 1 to 6553 steps");
  const int w = frames[0].largeur;
  const int h = frames[0].hauteur;
  for (const Image& f : frames)
    if (f.largeur != w || f.hauteur != h) failTool(file + ": frames of different sizes");

  ColorMapObject* colours = GifMakeMapObject(GIF_COLOURS, nullptr);
  if (colours == nullptr) failTool("out of memory for " + file);
  for (int i = 0; i < GIF_COLOURS; ++i) colours->Colors[i] = GifColorType{0, 0, 0};
  const std::map<uint32_t, int> indexOf = buildPalette(frames, file, colours);

  // Opened here rather than by giflib, which would make the file private.
  const int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, FILE_MODE);
  int error = 0;
  GifFileType* gif = fd < 0 ? nullptr : EGifOpenFileHandle(fd, &error);
  if (gif == nullptr) {
    if (fd >= 0) close(fd);
    GifFreeMapObject(colours);
    failTool("cannot write " + file);
  }
  EGifSetGifVersion(gif, true);
  const int screen = EGifPutScreenDesc(gif, w, h, COLOUR_RESOLUTION, TRANSPARENT_INDEX, colours);
  GifFreeMapObject(colours);
  check(screen, gif, file);

  // Loop for ever: NETSCAPE2.0 application block, sub-block 1, count 0.
  static const unsigned char LOOP_NAME[] = "NETSCAPE2.0";
  static const unsigned char LOOP_FOREVER[] = {1, 0, 0};
  check(EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE), gif, file);
  check(EGifPutExtensionBlock(gif, sizeof LOOP_NAME - 1, LOOP_NAME), gif, file);  // no terminating zero
  check(EGifPutExtensionBlock(gif, sizeof LOOP_FOREVER, LOOP_FOREVER), gif, file);
  check(EGifPutExtensionTrailer(gif), gif, file);

  const unsigned delay = gifDelayFor(delaySteps);
  std::vector<GifPixelType> line(static_cast<size_t>(w));
  auto key = [](const Rgb& c) { return (uint32_t(c.r) << 16) | (uint32_t(c.g) << 8) | c.b; };
  for (const Image& frame : frames) {
    const unsigned char control[4] = {CONTROL_FLAGS, static_cast<unsigned char>(delay & 0xFF),
                                      static_cast<unsigned char>(delay >> 8), TRANSPARENT_INDEX};
    check(EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, sizeof control, control), gif, file);
    check(EGifPutImageDesc(gif, 0, 0, w, h, false, nullptr), gif, file);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) line[static_cast<size_t>(x)] = static_cast<GifPixelType>(indexOf.at(key(frame.at(x, y))));
      check(EGifPutLine(gif, line.data(), w), gif, file);
    }
  }
  if (EGifCloseFile(gif, &error) != GIF_OK) failTool("cannot write " + file + ": " + GifErrorString(error));
}
