// The frame timer of the web build: the same ticks as the desktop's, but
// its waits give the browser its turn (emscripten_sleep, with Asyncify),
// or the page would freeze.
#include <SDL.h>
#include <emscripten.h>

#include "zel_timer_sdl.h"

namespace {

// The browser's timers come late by up to about this much: the last of a
// wait is spun.
const uint32_t SPIN_MS = 1;

// Sleeps until ms milliseconds have passed since start.
void sleepUntilElapsed(uint32_t start, uint32_t ms) {
  for (uint32_t elapsed; (elapsed = SDL_GetTicks() - start) < ms;) {
    if (ms - elapsed > SPIN_MS) emscripten_sleep(ms - elapsed - SPIN_MS);
  }
}

}  // namespace

ZEL_TimerSDL::ZEL_TimerSDL() : reftime(0) {}

void ZEL_TimerSDL::wait(unsigned long ms) { sleepUntilElapsed(SDL_GetTicks(), static_cast<uint32_t>(ms)); }

void ZEL_TimerSDL::setReftime() { reftime = SDL_GetTicks(); }

unsigned int ZEL_TimerSDL::howLong() { return static_cast<uint32_t>(SDL_GetTicks() - reftime); }

// The end of a frame: counted in Module.steps for the page.
void ZEL_TimerSDL::waitWhile(unsigned long ms) {
  EM_ASM({ Module['steps'] = (Module['steps'] || 0) + 1; });
  sleepUntilElapsed(reftime, static_cast<uint32_t>(ms));
}
