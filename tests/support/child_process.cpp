#include "child_process.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>

#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>

namespace {

bool leakCheckOff = false;

const int READ_END = 0;
const int WRITE_END = 1;

// Appends what is available on fd; false at end of file.
bool drain(int fd, std::string& into) {
  char buffer[4096];
  const ssize_t n = read(fd, buffer, sizeof buffer);
  if (n > 0) into.append(buffer, static_cast<size_t>(n));
  return n > 0 || (n < 0 && errno == EINTR);
}

[[noreturn]] void runChild(const std::function<void()>& body, int outFd, int errFd) {
  leakCheckOff = true;
  dup2(outFd, STDOUT_FILENO);
  dup2(errFd, STDERR_FILENO);
  close(outFd);
  close(errFd);
  body();
  fflush(stdout);
  fflush(stderr);
  flushCoverage();
  _exit(0);
}

// Reads both pipes to their end or until the deadline; false on time-out.
bool readAll(int outFd, int errFd, std::string* sinks[2], int timeoutMs) {
  using namespace std::chrono;
  const auto deadline = steady_clock::now() + milliseconds(timeoutMs);
  pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
  for (int open = 2; open > 0;) {
    const auto left = duration_cast<milliseconds>(deadline - steady_clock::now()).count();
    if (left <= 0) return false;
    if (poll(fds, 2, static_cast<int>(left)) < 0 && errno != EINTR) return true;
    for (int i = 0; i < 2; ++i) {
      const bool ready = fds[i].fd >= 0 && (fds[i].revents & (POLLIN | POLLHUP | POLLERR)) != 0;
      if (ready && !drain(fds[i].fd, *sinks[i])) {
        fds[i].fd = -1;  // poll ignores negative descriptors
        --open;
      }
    }
  }
  return true;
}

bool matchesFrom(const char* t, const std::string& text, size_t at) {
  if (*t == '\0') return at == text.size();
  if (t[0] == '%' && t[1] == 's') {
    for (size_t end = at;; ++end) {
      if (matchesFrom(t + 2, text, end)) return true;
      if (end == text.size() || text[end] == '\n') return false;
    }
  }
  if (t[0] == '%' && t[1] == 'd') {
    if (at == text.size() || text[at] < '1' || text[at] > '9') return false;
    size_t end = at + 1;
    while (end < text.size() && isdigit(static_cast<unsigned char>(text[end]))) ++end;
    return matchesFrom(t + 2, text, end);
  }
  return at < text.size() && text[at] == *t && matchesFrom(t + 1, text, at + 1);
}

}  // namespace

#ifdef ZEL_COVERAGE
extern "C" void __gcov_dump(void);
void flushCoverage() { __gcov_dump(); }
#else
void flushCoverage() {}
#endif

// LeakSanitizer asks this at its end-of-process check.
extern "C" int __lsan_is_turned_off() { return leakCheckOff ? 1 : 0; }

ChildResult runInChild(const std::function<void()>& body, int timeoutMs) {
  ChildResult result;
  int outPipe[2], errPipe[2];
  if (pipe(outPipe) != 0 || pipe(errPipe) != 0) abort();
  fflush(stdout);
  fflush(stderr);
  const pid_t pid = fork();
  if (pid < 0) abort();
  if (pid == 0) runChild(body, outPipe[WRITE_END], errPipe[WRITE_END]);
  close(outPipe[WRITE_END]);
  close(errPipe[WRITE_END]);
  std::string* sinks[2] = {&result.out, &result.err};
  if (!readAll(outPipe[READ_END], errPipe[READ_END], sinks, timeoutMs)) {
    result.timedOut = true;
    kill(pid, SIGKILL);
  }
  close(outPipe[READ_END]);
  close(errPipe[READ_END]);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  result.exited = WIFEXITED(status);
  result.exitCode = result.exited ? WEXITSTATUS(status) : -1;
  result.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  return result;
}

std::string describe(const ChildResult& r) {
  std::string s = r.exited ? "exit " + std::to_string(r.exitCode) : "signal " + std::to_string(r.signal);
  return s + (r.timedOut ? " (timed out)" : "") + "\nstdout: [" + r.out + "]\nstderr: [" + r.err + "]";
}

bool matchesTemplate(const std::string& text, const std::string& pattern) {
  return matchesFrom(pattern.c_str(), text, 0);
}
