// The frame timer of the web build: the same ticks as the desktop's, but
// its waits give the browser its turn (emscripten_sleep, with Asyncify),
// or the page would freeze.
#include <SDL.h>
#include <emscripten.h>

#include "zel_timer_sdl.h"

namespace {

// Sleeps until ms milliseconds have passed since start.
void sleepUntilElapsed(uint32_t start, uint32_t ms) {
  for (uint32_t elapsed; (elapsed = SDL_GetTicks() - start) < ms;) emscripten_sleep(ms - elapsed);
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
