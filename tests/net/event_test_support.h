#ifndef TESTS_EVENT_TEST_SUPPORT_H
#define TESTS_EVENT_TEST_SUPPORT_H

#include <SDL.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "files.h"

// Starts SDL with the dummy video driver: SDL's event queue needs video, not a window.
inline bool startSdlEventQueue() {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  return SDL_Init(SDL_INIT_VIDEO) == 0;
}

inline SDL_Event makeUserEvent(int code, intptr_t data1 = 0, intptr_t data2 = 0) {
  SDL_Event e;
  e.type = SDL_USEREVENT;
  e.user.code = code;
  e.user.data1 = reinterpret_cast<void*>(data1);
  e.user.data2 = reinterpret_cast<void*>(data2);
  return e;
}

// Ends the whole process with a message when it is not destroyed within the
// limit, so a test blocked in a wait that has no time-out of its own still
// ends, and says where.
class Watchdog {
 public:
  Watchdog(const std::string& what, int limitMs)
      : what_(what), thread_([this, limitMs] { watch(limitMs); }) {}
  ~Watchdog() {
    {
      std::lock_guard<std::mutex> hold(lock_);
      done_ = true;
    }
    wake_.notify_all();
    thread_.join();
  }
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

 private:
  void watch(int limitMs) {
    std::unique_lock<std::mutex> hold(lock_);
    if (wake_.wait_for(hold, std::chrono::milliseconds(limitMs), [this] { return done_; })) return;
    fprintf(stderr, "watchdog: %s did not finish within %d ms\n", what_.c_str(), limitMs);
    fflush(stderr);
    std::_Exit(EXIT_FAILURE);
  }

  std::string what_;
  std::mutex lock_;
  std::condition_variable wake_;
  bool done_ = false;
  std::thread thread_;
};

#endif
