#include <cstdio>

#include "command.h"
#include "engine_level.h"
#include "headless_screen.h"
#include "sprite.h"
#include "tmx_map.h"
#include "tool_error.h"

namespace {

const int MAX_COUNT = 65535, MAX_DELAY = 65535;

enum class Format { Spr, Gif, Png };

Format formatOf(const std::string& path) {
  const size_t dot = path.rfind('.');
  const std::string ext = dot == std::string::npos ? "" : path.substr(dot);
  if (ext == ".spr") return Format::Spr;
  if (ext == ".gif") return Format::Gif;
  if (ext == ".png") return Format::Png;
  throw UsageError(path + ": the format is the extension: .spr, .gif or .png");
}

SheetOptions sheetOptions(const Args& args) {
  SheetOptions o;
  if (args.has("--frame") &&
      (sscanf(args.value("--frame").c_str(), "%dx%d", &o.frameWidth, &o.frameHeight) != 2 ||
       o.frameWidth < 1 || o.frameHeight < 1 || o.frameWidth > MAX_FRAME_SIDE ||
       o.frameHeight > MAX_FRAME_SIDE)) {
    throw UsageError("--frame takes WxH, 1 to " + std::to_string(MAX_FRAME_SIDE) + " a side");
  }
  o.count = args.number("--count", 0, 1, MAX_COUNT);
  o.margin = args.number("--margin", 0, 0, MAX_FRAME_SIDE);
  o.spacing = args.number("--spacing", 0, 0, MAX_FRAME_SIDE);
  o.delay = args.number("--delay", -1, 0, MAX_DELAY);
  o.alphaThreshold = args.number("--alpha-threshold", -1, 1, 255);
  o.hasKey = args.has("--key");
  if (o.hasKey && !parseColour(args.value("--key"), o.key))
    throw UsageError("--key takes a colour as RRGGBB");
  return o;
}

}  // namespace

int runSprite(const std::vector<std::string>& words) {
  const Args args(
      words, 2, {"--frame", "--count", "--margin", "--spacing", "--delay", "--key", "--alpha-threshold"}, {});
  const Format in = formatOf(args[0]), out = formatOf(args[1]);
  const SheetOptions options = sheetOptions(args);
  if (in != Format::Png) checkEngineAnimation(args[0]);
  HeadlessScreen screen;
  Sprite sprite = in == Format::Png ? readSheet(args[0], options, &screen.box)
                                    : readAnimation(args[0], &screen.box, &screen.timer);
  if (in != Format::Png && options.delay >= 0) sprite.delays.assign(sprite.frames.size(), options.delay);
  if (out == Format::Spr) writeSpr(sprite, args[1], &screen.box, &screen.timer);
  if (out == Format::Gif) writeGif(sprite, args[1]);
  if (out == Format::Png) writeSheet(sprite, args[1]);
  return 0;
}
