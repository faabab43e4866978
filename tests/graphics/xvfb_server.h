#ifndef TESTS_XVFB_SERVER_H
#define TESTS_XVFB_SERVER_H

#include <string>
#include <sys/types.h>

// A private X server for tests that need a desktop of a given depth.
// Started by the constructor on a free display number, stopped by the
// destructor. isRunning() is false when Xvfb could not start.
class XvfbServer {
 public:
  explicit XvfbServer(int depth, int width = 800, int height = 600);
  ~XvfbServer();
  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;

  bool isRunning() const { return pid > 0 && !display.empty(); }
  // ":N", for DISPLAY.
  const std::string& getDisplay() const { return display; }

 private:
  pid_t pid = -1;
  std::string display;
};

#endif
