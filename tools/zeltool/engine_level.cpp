#include "engine_level.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "headless_screen.h"
#include "tool_error.h"
#include "zel_tile_map.h"

namespace {

const int SCREEN_SIDE = 16;  // only for making surfaces: nothing is shown

}  // namespace

void checkEngineLevel(const std::string& tlePath, const std::string& mapPath) {
  fflush(stdout);
  fflush(stderr);
  const pid_t pid = fork();
  if (pid < 0) throw ToolError("cannot start a process to load " + tlePath);
  if (pid == 0) {
    HeadlessScreen screen(SCREEN_SIDE, SCREEN_SIDE);
    ZEL_TileMap map(tlePath.c_str(), &screen.box);
    map.ReadMap(mapPath.c_str());
    _exit(0);
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    fflush(stdout);
    throw ToolError(tlePath + ", " + mapPath + ": the engine cannot load this level");
  }
}
