#include "command.h"
#include "headless_screen.h"
#include "level_builder.h"
#include "tmx_map.h"
#include "tool_error.h"

int runImport(const std::vector<std::string>& words) {
  const Args args(words, 3, {"--background"}, {});
  uint8_t background[3];
  if (args.has("--background") && !parseColour(args.value("--background"), background)) {
    throw UsageError("--background takes a colour as RRGGBB");
  }
  const TmxMap map = readTmx(args[0]);
  const bool hasBackground = args.has("--background") || map.hasBackground;
  if (!args.has("--background") && map.hasBackground)
    std::copy(map.background, map.background + 3, background);
  const EngineLevel level = buildLevel(map, hasBackground ? background : nullptr, args[0]);
  HeadlessScreen screen;
  writeLevel(level, args[1], args[2], &screen.box);
  return 0;
}
