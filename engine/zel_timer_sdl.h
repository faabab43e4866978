#ifndef ZEL_TIMER_SDL_H
#define ZEL_TIMER_SDL_H

#include "zel_timer.h"

// Frame timer on SDL's millisecond ticks. Does not start SDL: the graphics
// box does (a process that uses it without one must SDL_Init the timer).
// Its waits spin on SDL_GetTicks for the lowest latency at the end of a
// frame; they never sleep (in the web build they yield to the browser:
// zel_timer_web.cpp).
class ZEL_TimerSDL : public ZEL_Timer {
 public:
  ZEL_TimerSDL();

  void wait(unsigned long ms) override;
  void setReftime() override;
  unsigned int howLong() override;
  void waitWhile(unsigned long ms) override;
  using ZEL_Timer::waitWhile;

 private:
  uint32_t reftime;
};

#endif
