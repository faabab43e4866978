#include "zel_timer_sdl.h"

#include <SDL.h>

namespace {

// Spins until ms milliseconds have passed since start. Compares elapsed
// time, not a deadline, so the 49.7-day wrap of the ticks cannot stall it.
void spinUntilElapsed(uint32_t start, uint32_t ms) {
  uint32_t now;
  do {
    now = SDL_GetTicks();
  } while (static_cast<uint32_t>(now - start) < ms);
}

}  // namespace

ZEL_TimerSDL::ZEL_TimerSDL() : reftime(0) {}

void ZEL_TimerSDL::wait(unsigned long ms) {
  spinUntilElapsed(SDL_GetTicks(), static_cast<uint32_t>(ms));
}

void ZEL_TimerSDL::setReftime() { reftime = SDL_GetTicks(); }

unsigned int ZEL_TimerSDL::howLong() {
  return static_cast<uint32_t>(SDL_GetTicks() - reftime);
}

void ZEL_TimerSDL::waitWhile(unsigned long ms) {
  spinUntilElapsed(reftime, static_cast<uint32_t>(ms));
}
