#ifndef TESTS_CHILD_PROCESS_H
#define TESTS_CHILD_PROCESS_H

#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>

// What a child process did: how it ended and the exact bytes it wrote.
struct ChildResult {
  bool exited = false;     // ended through exit() or a return
  int exitCode = -1;       // 0..255 when exited
  int signal = 0;          // the signal that killed it, when not exited
  bool timedOut = false;   // killed by the helper after the time limit
  std::string out;         // bytes written to standard output
  std::string err;         // bytes written to standard error
};

// Runs body in a forked child, reading its standard output and error in full; a body that returns ends with
// status 0. Leak detection is off in the child: exit paths leave live objects by design. Fork before the
// parent starts SDL: a child of a threaded parent may deadlock.
ChildResult runInChild(const std::function<void()>& body, int timeoutMs = 30000);

// In a child body: on a false condition, prints where and exits with 1.
#define CHILD_CHECK(cond)                                                             \
  do {                                                                                \
    if (!(cond)) {                                                                    \
      printf("CHILD_CHECK failed: %s (%s:%d)\n", #cond, __FILE__, __LINE__);         \
      fflush(stdout);                                                                 \
      flushCoverage();                                                                \
      _exit(1);                                                                       \
    }                                                                                 \
  } while (0)

// Writes gcov's counters in coverage builds, so a child ending in _exit counts.
void flushCoverage();

// A readable summary for assertion messages.
std::string describe(const ChildResult& r);

// Whether a child's text matches pattern, where "%s" is any text within a line and "%d" a number from 1.
bool matchesTemplate(const std::string& text, const std::string& pattern);

#endif
