#include "fastevents.h"

#include <atomic>
#include <mutex>

namespace {

// Period of the broadcast that makes sleepers look at the queue again, so an
// event that reached SDL's queue by another path is noticed.
const Uint32 BROADCAST_PERIOD_MS = 10;

// Without a condition, waiters sleep this long between looks, as SDL_WaitEvent does.
const Uint32 UNINITIALISED_RETRY_MS = 10;

const char CANT_CREATE_MUTEX[] = "FE: can't create a mutex";
const char CANT_CREATE_COND[] = "FE: can't create a condition variable";
const char CANT_ADD_TIMER[] = "FE: can't add a timer";
const char QUEUE_NOT_ACTIVE[] = "FE: the event queue is not active";

SDL_mutex* eventLock = nullptr;
SDL_cond* eventWait = nullptr;
SDL_TimerID eventTimer = nullptr;
std::atomic<const char*> error{nullptr};

// SDL 1.2 runs a timer callback outside its own timer lock, so SDL_RemoveTimer
// may return while a callback still runs. The callback therefore works under
// this lock, which lives for the whole process, and does nothing once
// timerCond is cleared.
std::mutex timerLock;
SDL_cond* timerCond = nullptr;

Uint32 broadcastTick(Uint32 interval, void*) {
  std::lock_guard<std::mutex> hold(timerLock);
  if (timerCond != nullptr) SDL_CondBroadcast(timerCond);
  return interval;
}

void lockQueue() {
  if (eventLock != nullptr) SDL_mutexP(eventLock);
}

void unlockQueue() {
  if (eventLock != nullptr) SDL_mutexV(eventLock);
}

void signalChange() {
  if (eventWait != nullptr) SDL_CondSignal(eventWait);
}

// Called with the queue locked; returns with it locked again.
void waitForChange() {
  if (eventWait != nullptr && eventLock != nullptr) {
    SDL_CondWait(eventWait, eventLock);
    return;
  }
  unlockQueue();
  SDL_Delay(UNINITIALISED_RETRY_MS);
  lockQueue();
}

void stopTimer() {
  if (eventTimer != nullptr) {
    SDL_RemoveTimer(eventTimer);
    eventTimer = nullptr;
  }
  std::lock_guard<std::mutex> hold(timerLock);
  timerCond = nullptr;
}

}  // namespace

int FE_Init() {
  if (SDL_WasInit(SDL_INIT_TIMER) == 0) SDL_InitSubSystem(SDL_INIT_TIMER);
  if (eventLock == nullptr && (eventLock = SDL_CreateMutex()) == nullptr) {
    error = CANT_CREATE_MUTEX;
    return -1;
  }
  if (eventWait == nullptr && (eventWait = SDL_CreateCond()) == nullptr) {
    error = CANT_CREATE_COND;
    return -1;
  }
  if (eventTimer == nullptr) {
    {
      std::lock_guard<std::mutex> hold(timerLock);
      timerCond = eventWait;
    }
    eventTimer = SDL_AddTimer(BROADCAST_PERIOD_MS, broadcastTick, nullptr);
    if (eventTimer == nullptr) {
      error = CANT_ADD_TIMER;
      return -1;
    }
  }
  return 0;
}

void FE_Quit() {
  // The timer goes first: no callback may touch the condition once it is destroyed.
  stopTimer();
  if (eventWait != nullptr) {
    SDL_DestroyCond(eventWait);
    eventWait = nullptr;
  }
  if (eventLock != nullptr) {
    SDL_DestroyMutex(eventLock);
    eventLock = nullptr;
  }
}

void FE_PumpEvents() {
  lockQueue();
  SDL_PumpEvents();
  unlockQueue();
}

int FE_PollEvent(SDL_Event* event) {
  lockQueue();
  const int result = SDL_PollEvent(event);
  unlockQueue();
  if (result > 0) signalChange();
  return result;
}

int FE_WaitEvent(SDL_Event* event) {
  lockQueue();
  int taken;
  for (;;) {
    // SDL_PollEvent's own steps, keeping the -1 of an inactive queue.
    SDL_PumpEvents();
    taken = SDL_PeepEvents(event, 1, SDL_GETEVENT, SDL_ALLEVENTS);
    if (taken != 0) break;
    waitForChange();
  }
  unlockQueue();
  if (taken < 0) {
    error = QUEUE_NOT_ACTIVE;
    return 0;
  }
  signalChange();
  return 1;
}

int FE_PushEvent(SDL_Event* event) {
  lockQueue();
  int added;
  // 0: the queue is full, wait for a taker; -1: the queue is not active.
  while ((added = SDL_PeepEvents(event, 1, SDL_ADDEVENT, 0)) == 0) waitForChange();
  unlockQueue();
  if (added < 0) {
    error = QUEUE_NOT_ACTIVE;
    return -1;
  }
  signalChange();
  return 1;
}

const char* FE_GetError() { return error; }
