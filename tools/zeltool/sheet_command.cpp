// zeltool sheet: every animation of a list (or one animation) as one
// picture, each on its row, bound boxes outlined, named in the game's font.
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <memory>

#include "command.h"
#include "engine_level.h"
#include "files.h"
#include "headless_screen.h"
#include "sprite.h"
#include "tool_error.h"
#include "zel_font.h"

namespace {

const int GAP = 6;  // pixels around and between frames and rows
const int MAX_SCALE = 16;
const int LABEL_SCREEN_WIDTH = 1024, LABEL_SCREEN_HEIGHT = 64;  // where one label is drawn
const uint8_t BACKGROUND[4] = {96, 112, 128, 255};
const uint8_t OUTLINE[4] = {255, 0, 255, 255};
const char FONT_FILE[] = "cartoon.spr";

bool exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

// The animation files a .dat names, or the one file.
std::vector<std::string> animationsOf(const std::string& path) {
  if (!endsWith(path, ".dat")) return {path};
  std::ifstream list(path);
  if (!list) throw ToolError(path + ": cannot open the file");
  std::vector<std::string> files;
  for (std::string name; list >> name;) files.push_back(directoryOf(path) + name);
  if (files.empty()) throw ToolError(path + ": names no animation");
  return files;
}

// The label's pixels as the engine's put_text draws them, read off the screen.
RgbaImage label(const std::string& text, ZEL_Font& font, HeadlessScreen& screen) {
  const int advance = static_cast<int>(font.getLargeur()) * 2 / 5;  // as put_text advances
  const int w = std::min(LABEL_SCREEN_WIDTH,
                         advance * static_cast<int>(text.size()) + static_cast<int>(font.getLargeur()));
  const int h = std::min(LABEL_SCREEN_HEIGHT, static_cast<int>(font.getHauteur()));
  screen.box.fill_virtual(BACKGROUND[0], BACKGROUND[1], BACKGROUND[2]);
  std::vector<char> buffer(text.begin(), text.end());
  buffer.push_back('\0');
  screen.box.put_text(0, 0, buffer.data(), &font, 0, 0, w, h);
  RgbaImage out(w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      uint8_t* p = out.at(x, y);
      screen.box.get_pix(x, y, &p[0], &p[1], &p[2]);
      p[3] = 255;
    }
  }
  return out;
}

void paste(RgbaImage& into, const RgbaImage& from, int x0, int y0) {
  for (int y = 0; y < from.height && y0 + y < into.height; ++y) {
    for (int x = 0; x < from.width && x0 + x < into.width; ++x) {
      if (from.at(x, y)[3] != 0) memcpy(into.at(x0 + x, y0 + y), from.at(x, y), 4);
    }
  }
}

void outline(RgbaImage& into, int x0, int y0, const std::array<int32_t, 4>& box, int w, int h) {
  const int x1 = std::max(0, box[0]), y1 = std::max(0, box[1]);
  const int x2 = std::min(w - 1, box[2]), y2 = std::min(h - 1, box[3]);
  for (int x = x1; x <= x2; ++x) {
    memcpy(into.at(x0 + x, y0 + y1), OUTLINE, 4);
    memcpy(into.at(x0 + x, y0 + y2), OUTLINE, 4);
  }
  for (int y = y1; y <= y2; ++y) {
    memcpy(into.at(x0 + x1, y0 + y), OUTLINE, 4);
    memcpy(into.at(x0 + x2, y0 + y), OUTLINE, 4);
  }
}

}  // namespace

int runSheet(const std::vector<std::string>& words) {
  const Args args(words, 2, {"--scale"}, {});
  const int scale = args.number("--scale", 1, 1, MAX_SCALE);
  const std::vector<std::string> files = animationsOf(args[0]);
  for (const std::string& file : files) checkEngineAnimation(file);
  const std::string fontPath = directoryOf(args[0]) + FONT_FILE;
  const bool withText = exists(fontPath);
  if (withText) checkEngineAnimation(fontPath);
  HeadlessScreen screen(LABEL_SCREEN_WIDTH, LABEL_SCREEN_HEIGHT);
  std::unique_ptr<ZEL_Font> font(withText ? new ZEL_Font(fontPath.c_str(), &screen.box) : nullptr);
  std::vector<Sprite> sprites;
  std::vector<RgbaImage> labels;
  int labelWidth = 0, width = 0, height = GAP;
  for (const std::string& file : files) {
    sprites.push_back(readAnimation(file, &screen.box, &screen.timer));
    const Sprite& s = sprites.back();
    const std::string name = file.substr(directoryOf(file).size());
    if (font) labels.push_back(label(name + " " + std::to_string(s.delays[0]) + " steps", *font, screen));
    labelWidth = std::max(labelWidth, font ? labels.back().width + GAP : 0);
    width = std::max(width, static_cast<int>(s.frames.size()) * (s.width + GAP));
    height += std::max(s.height, font ? labels.back().height : 0) + GAP;
  }
  RgbaImage sheet(GAP + labelWidth + width, height);
  for (size_t i = 0; i < sheet.pixels.size(); i += 4) memcpy(&sheet.pixels[i], BACKGROUND, 4);
  int y0 = GAP;
  for (size_t row = 0; row < sprites.size(); ++row) {
    const Sprite& s = sprites[row];
    if (font) paste(sheet, labels[row], GAP, y0);
    for (size_t f = 0; f < s.frames.size(); ++f) {
      const int x0 = GAP + labelWidth + static_cast<int>(f) * (s.width + GAP);
      paste(sheet, s.frames[f], x0, y0);
      outline(sheet, x0, y0, s.boxes[f], s.width, s.height);
    }
    y0 += std::max(s.height, font ? labels[row].height : 0) + GAP;
  }
  if (static_cast<int64_t>(sheet.width) * scale > MAX_IMAGE_SIDE ||
      static_cast<int64_t>(sheet.height) * scale > MAX_IMAGE_SIDE) {
    throw ToolError(args[0] + ": the sheet would be over " + std::to_string(MAX_IMAGE_SIDE) +
                    " pixels a side");
  }
  writePng(args[1], scale == 1 ? sheet : scaled(sheet, scale));
  return 0;
}
