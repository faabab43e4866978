// The event queue of the web build: one thread, so SDL's own queue with
// nothing to guard, as FE_* without FE_Init already are.
#include "fastevents.h"

int FE_Init() { return 0; }

void FE_Quit() {}

void FE_PumpEvents() { SDL_PumpEvents(); }

int FE_PollEvent(SDL_Event* event) { return SDL_PollEvent(event); }

int FE_WaitEvent(SDL_Event* event) { return SDL_WaitEvent(event); }

int FE_PushEvent(SDL_Event* event) { return SDL_PushEvent(event) == 0 ? 1 : -1; }

const char* FE_GetError() { return nullptr; }
