#include "game_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "anim_files.h"

namespace {

const int POLL_MS = 10;
// XWD header fields are 32-bit big-endian words.
const int XWD_HEADER_SIZE = 0;
const int XWD_WIDTH = 4;
const int XWD_HEIGHT = 5;
const int XWD_BYTE_ORDER = 7;
const int XWD_BITS_PER_PIXEL = 11;
const int XWD_BYTES_PER_LINE = 12;
const int XWD_NCOLORS = 19;
const int XWD_COLOR_BYTES = 12;

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

uint32_t word(const std::string& bytes, int index) {
  const size_t i = static_cast<size_t>(index) * 4;
  if (i + 4 > bytes.size()) return 0;
  uint32_t v = 0;
  for (int k = 0; k < 4; ++k) v = (v << 8) | static_cast<uint8_t>(bytes[i + k]);
  return v;
}

}  // namespace

GameProcess::GameProcess(const std::string& program, const std::string& directory)
    : outPath(tempPath("game_out.txt")), errPath(tempPath("game_err.txt")) {
  fflush(stdout);
  fflush(stderr);
  pid = fork();
  if (pid != 0) return;
  if (chdir(directory.c_str()) != 0) _exit(126);
  const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  dup2(out, STDOUT_FILENO);
  dup2(err, STDERR_FILENO);
  execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
  _exit(127);
}

GameProcess::~GameProcess() {
  int status;
  if (pid > 0 && waitpid(pid, &status, WNOHANG) == 0) {
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
  }
  remove(outPath.c_str());
  remove(errPath.c_str());
}

bool GameProcess::waitForExit(int timeoutMs, int& status) {
  for (int waited = 0; waited <= timeoutMs; waited += POLL_MS) {
    int raw;
    if (waitpid(pid, &raw, WNOHANG) == pid) {
      status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -WTERMSIG(raw);
      pid = -1;
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(POLL_MS));
  }
  return false;
}

std::string GameProcess::readOut() const { return slurp(outPath); }
std::string GameProcess::readErr() const { return slurp(errPath); }

bool runCommand(const std::string& command) { return system(command.c_str()) == 0; }

std::string findWindow(pid_t pid, int timeoutMs) {
  const std::string out = tempPath("window_id.txt");
  const std::string command = "timeout " + std::to_string(timeoutMs / 1000 + 1) +
                              " xdotool search --sync --onlyvisible --pid " + std::to_string(pid) +
                              " > " + out + " 2>/dev/null";
  runCommand(command);
  std::string id = slurp(out);
  remove(out.c_str());
  const size_t end = id.find('\n');
  return end == std::string::npos ? id : id.substr(0, end);
}

Screenshot captureWindow(const std::string& windowId) {
  Screenshot shot;
  const std::string path = tempPath("shot.xwd");
  if (!runCommand("xwd -silent -id " + windowId + " > " + path)) return shot;
  const std::string bytes = slurp(path);
  remove(path.c_str());
  const uint32_t headerSize = word(bytes, XWD_HEADER_SIZE);
  const int width = static_cast<int>(word(bytes, XWD_WIDTH));
  const int height = static_cast<int>(word(bytes, XWD_HEIGHT));
  const uint32_t bytesPerLine = word(bytes, XWD_BYTES_PER_LINE);
  const size_t data = headerSize + word(bytes, XWD_NCOLORS) * XWD_COLOR_BYTES;
  // Only the 32-bit, least-significant-byte-first layout of Xvfb's 24-bit screen.
  if (word(bytes, XWD_BITS_PER_PIXEL) != 32 || word(bytes, XWD_BYTE_ORDER) != 0 ||
      data + static_cast<size_t>(bytesPerLine) * height > bytes.size()) {
    return shot;
  }
  shot.width = width;
  shot.height = height;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const uint8_t* p = reinterpret_cast<const uint8_t*>(bytes.data()) + data + y * bytesPerLine + 4 * x;
      shot.pixels.push_back(static_cast<uint32_t>(p[2]) << 16 | p[1] << 8 | p[0]);
    }
  return shot;
}
