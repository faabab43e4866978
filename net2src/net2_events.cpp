// Decoding of the layer's events: all that a program needs of the layer to
// read its event queue, and all of it that a build without sockets keeps.
#include "net2_events.h"

#include <cstdint>

namespace {

// Event data words carry small integers in pointer fields.
int wordToInt(void* word) { return static_cast<int>(reinterpret_cast<intptr_t>(word)); }

}  // namespace

int NET2_GetEventType(const SDL_Event* e) { return e->user.code; }

int NET2_GetSocket(const SDL_Event* e) { return wordToInt(e->user.data1); }

int NET2_GetEventData(const SDL_Event* e) { return wordToInt(e->user.data2); }

const char* NET2_GetEventError(const SDL_Event* e) {
  if (e->type != SDL_USEREVENT || e->user.code != NET2_ERROREVENT) return nullptr;
  return static_cast<const char*>(e->user.data2);
}
