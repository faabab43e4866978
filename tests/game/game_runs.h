#ifndef TESTS_GAME_RUNS_H
#define TESTS_GAME_RUNS_H

#include <string>
#include <utility>
#include <vector>

#include "child_process.h"

using Environment = std::vector<std::pair<const char*, std::string>>;
// For runs that send no keys: no window for other tests' keys and screenshots to meet.
const Environment NO_WINDOW = {{"SDL_VIDEODRIVER", "dummy"}};

// The real game started in dir with args and these variables set: how it ended and its exact output.
inline ChildResult runGame(const std::string& dir, std::vector<std::string> args,
                           const Environment& env = {}) {
  return runInChild([&] {
    for (const auto& variable : env) setenv(variable.first, variable.second.c_str(), 1);
    std::vector<char*> argv = {const_cast<char*>(GAME_EXECUTABLE)};
    for (std::string& a : args) argv.push_back(&a[0]);
    argv.push_back(nullptr);
    if (chdir(dir.c_str()) == 0) execv(GAME_EXECUTABLE, argv.data());
  });
}

#endif
