// zeltool: the engine's files from and to the tools game makers use.
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "command.h"
#include "tool_error.h"

namespace {

const int EXIT_BAD_INPUT = 1;
const int EXIT_BAD_USAGE = 2;

const Command COMMANDS[] = {
    {"import", "LEVEL.tmx OUT.tle OUT.map [--background RRGGBB]",
     "a Tiled map (.tmx or .tmx.gz) as the engine's tile set and map",
     "  --background RRGGBB  colour under every layer (default: the map's backgroundcolor, else none)\n",
     runImport},
    {"export", "TLE MAP OUT.tmx", "a tile set and map as a Tiled map, its .tsx and its tileset PNG beside it",
     "", runExport},
    {"render", "TLE MAP OUT.png [--collision] [--scale N]", "the whole level as one PNG, drawn by the engine",
     "  --collision  blocking cells in translucent red, transparent pixels as a checkerboard\n"
     "  --scale N    enlarge N times (nearest neighbour)\n",
     runRender},
    {"sprite",
     "IN OUT [--frame WxH] [--count N] [--margin N] [--spacing N] [--delay STEPS] [--key RRGGBB] "
     "[--alpha-threshold N]",
     "one animation between .spr, animated GIF and PNG sheet, by the files' extensions",
     "  --frame WxH            frame size in a PNG sheet, left to right, top to bottom\n"
     "  --count N              stop after N frames\n"
     "  --margin N, --spacing N  as in Tiled tilesets\n"
     "  --delay STEPS          steps at 100 a second for every frame\n"
     "  --key RRGGBB           the colour that becomes transparent (default: alpha 0)\n"
     "  --alpha-threshold N    partly transparent pixels under N alpha become transparent\n",
     runSprite},
    {"sheet", "FILE.dat|FILE.spr|FILE.gif OUT.png [--scale N]",
     "every animation of a list, or one animation, as one picture with its bound boxes",
     "  --scale N  enlarge N times (nearest neighbour); names are drawn in cartoon.spr when it is beside "
     "FILE\n",
     runSheet},
    {"info", "FILE... [--tle TLE]",
     "what engine files (.tle .map .spr .gif .dat .wav) hold, and where a bad one goes wrong",
     "  --tle TLE  the tile set a .map is checked against\n", runInfo},
};

void printUsage(FILE* out) {
  fprintf(out, "usage: zeltool COMMAND ARGS... (zeltool COMMAND --help for one)\n");
  for (const Command& c : COMMANDS) fprintf(out, "  %-7s %s\n", c.name, c.summary);
}

void printCommandHelp(const Command& c, FILE* out) {
  fprintf(out, "usage: zeltool %s %s\n%s\n%s", c.name, c.usage, c.summary, c.help);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || strcmp(argv[1], "--help") == 0) {
    printUsage(argc < 2 ? stderr : stdout);
    return argc < 2 ? EXIT_BAD_USAGE : 0;
  }
  for (const Command& c : COMMANDS) {
    if (strcmp(argv[1], c.name) != 0) continue;
    const std::vector<std::string> words(argv + 2, argv + argc);
    if (words.size() == 1 && words[0] == "--help") {
      printCommandHelp(c, stdout);
      return 0;
    }
    try {
      return c.run(words);
    } catch (const UsageError& e) {
      fprintf(stderr, "zeltool %s: %s\n", c.name, e.what());
      printCommandHelp(c, stderr);
      return EXIT_BAD_USAGE;
    } catch (const ToolError& e) {
      fprintf(stderr, "zeltool %s: %s\n", c.name, e.what());
      return EXIT_BAD_INPUT;
    } catch (const std::bad_alloc&) {
      fprintf(stderr, "zeltool %s: not enough memory\n", c.name);
      return EXIT_BAD_INPUT;
    }
  }
  fprintf(stderr, "zeltool: unknown command '%s'\n", argv[1]);
  printUsage(stderr);
  return EXIT_BAD_USAGE;
}
