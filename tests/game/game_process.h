#ifndef TESTS_GAME_PROCESS_H
#define TESTS_GAME_PROCESS_H

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

// A program started in a directory of its own, its standard output and
// error collected in files. Killed by the destructor if still running.
class GameProcess {
 public:
  GameProcess(const std::string& program, const std::string& directory);
  ~GameProcess();
  GameProcess(const GameProcess&) = delete;
  GameProcess& operator=(const GameProcess&) = delete;

  pid_t getPid() const { return pid; }
  // Waits at most timeoutMs for the end: true with its exit status.
  bool waitForExit(int timeoutMs, int& status);
  std::string readOut() const;
  std::string readErr() const;

 private:
  pid_t pid = -1;
  std::string outPath;
  std::string errPath;
};

// One window's pixels as 0xRRGGBB, from xwd.
struct Screenshot {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
  uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
  bool isEmpty() const { return pixels.empty(); }
};

Screenshot captureWindow(const std::string& windowId);

// The id of the first window of process pid, waiting at most timeoutMs; ""
// when none appeared.
std::string findWindow(pid_t pid, int timeoutMs);

// Runs a shell command; true when it exits with 0.
bool runCommand(const std::string& command);

#endif
