#include "engine_level.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <functional>

#include "headless_screen.h"
#include "tool_error.h"
#include "zel_anim_data.h"
#include "zel_tile_map.h"

namespace {

// Runs load in a child; ToolError naming `what` when it does not end well.
void checkInChild(const std::function<void(HeadlessScreen&)>& load, const std::string& what) {
  fflush(stdout);
  fflush(stderr);
  const pid_t pid = fork();
  if (pid < 0) throw ToolError("cannot start a process to load " + what);
  if (pid == 0) {
    HeadlessScreen screen;
    load(screen);
    _exit(0);
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    fflush(stdout);
    throw ToolError(what + ": the engine cannot load it");
  }
}

}  // namespace

void checkEngineLevel(const std::string& tlePath, const std::string& mapPath) {
  checkInChild(
      [&](HeadlessScreen& screen) {
        ZEL_TileMap map(tlePath.c_str(), &screen.box);
        map.ReadMap(mapPath.c_str());
      },
      tlePath + ", " + mapPath);
}

void checkEngineAnimation(const std::string& path) {
  checkInChild([&](HeadlessScreen& screen) { ZEL_AnimData anim(path.c_str(), &screen.box, &screen.timer); },
               path);
}
