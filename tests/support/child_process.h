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

// Runs body in a forked child and waits for it. The child's standard output
// and error go to pipes that are read in full; a body that returns ends the
// child with status 0 (after flushing stdio). The child runs with leak
// detection off, since exit paths leave live objects behind by design.
// Fork before SDL starts in the parent: a child of a threaded parent may
// deadlock.
ChildResult runInChild(const std::function<void()>& body, int timeoutMs = 30000);

// Inside a child body: on a false condition, prints where and ends the child
// with status 1, so that the parent's check on the status shows it.
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

#endif
