#include "child_process.h"

#include <signal.h>
#include <sys/wait.h>

#include <cctype>
#include <cstdlib>

#include "wait_until.h"

namespace {

bool leakCheckOff = false;

std::string contents(FILE* f) {
  std::string text;
  rewind(f);
  for (int c; (c = fgetc(f)) != EOF;) text += static_cast<char>(c);
  fclose(f);
  return text;
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
  FILE* out = tmpfile();
  FILE* err = tmpfile();
  if (out == nullptr || err == nullptr) abort();
  fflush(stdout);
  fflush(stderr);
  const pid_t pid = fork();
  if (pid < 0) abort();
  if (pid == 0) {
    leakCheckOff = true;
    dup2(fileno(out), STDOUT_FILENO);
    dup2(fileno(err), STDERR_FILENO);
    body();
    fflush(stdout);
    fflush(stderr);
    flushCoverage();
    _exit(0);
  }
  ChildResult result;
  int status = 0;
  result.timedOut = !waitUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; }, timeoutMs);
  if (result.timedOut) {
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
  }
  result.exited = WIFEXITED(status);
  result.exitCode = result.exited ? WEXITSTATUS(status) : -1;
  result.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  result.out = contents(out);
  result.err = contents(err);
  return result;
}

std::string describe(const ChildResult& r) {
  std::string s = r.exited ? "exit " + std::to_string(r.exitCode) : "signal " + std::to_string(r.signal);
  return s + (r.timedOut ? " (timed out)" : "") + "\nstdout: [" + r.out + "]\nstderr: [" + r.err + "]";
}

bool matchesTemplate(const std::string& text, const std::string& pattern) {
  return matchesFrom(pattern.c_str(), text, 0);
}
