#ifndef FASTEVENTS_H
#define FASTEVENTS_H

#include <SDL.h>

// A thread-safe layer over SDL's event queue. Every access to the queue is
// made under one lock; a condition is signalled on every take and add and
// broadcast every 10 ms, so threads may sleep until an event arrives.
// Without FE_Init the lock and the condition are absent and FE_PollEvent and
// FE_PumpEvents behave exactly as SDL_PollEvent and SDL_PumpEvents.

// Creates the lock, the condition and the broadcast timer (starting SDL's
// timer subsystem when needed). 0 on success, -1 with FE_GetError() set.
// Creates only what is missing, so a call after a partial failure completes it.
int FE_Init();

// Removes the timer and destroys the condition and the lock.
void FE_Quit();

// SDL_PumpEvents under the lock.
void FE_PumpEvents();

// SDL_PollEvent under the lock: 1 when an event was taken into *event, else 0.
int FE_PollEvent(SDL_Event* event);

// Sleeps until an event can be taken into *event; 1 when one was taken,
// 0 with FE_GetError() set when SDL's queue is not active.
int FE_WaitEvent(SDL_Event* event);

// Adds *event to SDL's queue, waiting while the queue is full. 1 on success,
// -1 with FE_GetError() set when SDL's queue is not active.
int FE_PushEvent(SDL_Event* event);

// Text of the last failure, or null when none happened.
const char* FE_GetError();

#endif
