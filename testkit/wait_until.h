#ifndef TESTKIT_WAIT_UNTIL_H
#define TESTKIT_WAIT_UNTIL_H

#include <chrono>
#include <functional>
#include <thread>

// Polls cond every millisecond until it holds or limitMs pass; true if it held.
inline bool waitUntil(const std::function<bool()>& cond, int limitMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
  while (!cond()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

inline void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

#endif
