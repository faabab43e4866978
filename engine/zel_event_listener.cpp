#include "zel_event_listener.h"

#include "zel_event_manager.h"

ZEL_EventListener::ZEL_EventListener(int type, int id, bool consumes)
    : type(type), id(id), consumes(consumes) {}

ZEL_EventListener::~ZEL_EventListener() {}

void ZEL_EventListener::onEvent(ZEL_Event*) {}

int ZEL_EventListener::getType() { return type; }

int ZEL_EventListener::getId() { return id; }

bool ZEL_EventListener::isListeningTo(ZEL_Event* e) {
  if (type == ANY) return true;
  if (id == ANY && e->getType() == type) return true;
  return e->getID() == id;
}

bool ZEL_EventListener::notifyEvent(ZEL_Event* e) {
  if (!isListeningTo(e)) return false;
  // onEvent may change consumes; this event goes by the value it had.
  const bool consumed = consumes;
  onEvent(e);
  return consumed;
}
