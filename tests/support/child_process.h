#ifndef TESTS_CHILD_PROCESS_H
#define TESTS_CHILD_PROCESS_H

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

// A readable summary for assertion messages.
std::string describe(const ChildResult& r);

#endif
