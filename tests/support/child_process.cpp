#include "child_process.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

bool leakCheckOff = false;

const int READ_END = 0;
const int WRITE_END = 1;
const size_t CHUNK_BYTES = 4096;

// Appends what is available on fd; false at end of file.
bool drain(int fd, std::string& into) {
  char buffer[CHUNK_BYTES];
  const ssize_t n = read(fd, buffer, sizeof buffer);
  if (n > 0) {
    into.append(buffer, static_cast<size_t>(n));
    return true;
  }
  return n < 0 && errno == EINTR;
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
  int outPipe[2];
  int errPipe[2];
  if (pipe(outPipe) != 0 || pipe(errPipe) != 0) {
    perror("pipe");
    abort();
  }
  fflush(stdout);
  fflush(stderr);
  const pid_t pid = fork();
  if (pid < 0) {
    perror("fork");
    abort();
  }
  if (pid == 0) {
    close(outPipe[READ_END]);
    close(errPipe[READ_END]);
    runChild(body, outPipe[WRITE_END], errPipe[WRITE_END]);
  }
  close(outPipe[WRITE_END]);
  close(errPipe[WRITE_END]);

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  pollfd fds[2] = {{outPipe[READ_END], POLLIN, 0}, {errPipe[READ_END], POLLIN, 0}};
  std::string* sinks[2] = {&result.out, &result.err};
  int open = 2;
  while (open > 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      result.timedOut = true;
      kill(pid, SIGKILL);
      break;
    }
    if (poll(fds, 2, static_cast<int>(left.count())) < 0 && errno != EINTR) break;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd >= 0 && (fds[i].revents & (POLLIN | POLLHUP | POLLERR)) != 0 &&
          !drain(fds[i].fd, *sinks[i])) {
        close(fds[i].fd);
        fds[i].fd = -1;  // poll ignores negative descriptors
        --open;
      }
    }
  }
  for (const pollfd& p : fds) {
    if (p.fd >= 0) close(p.fd);
  }

  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status)) {
    result.exited = true;
    result.exitCode = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    result.signal = WTERMSIG(status);
  }
  return result;
}

std::string describe(const ChildResult& r) {
  std::string s = r.exited ? "exit " + std::to_string(r.exitCode)
                           : "signal " + std::to_string(r.signal);
  if (r.timedOut) s += " (timed out)";
  s += "\nstdout: [" + r.out + "]\nstderr: [" + r.err + "]";
  return s;
}
