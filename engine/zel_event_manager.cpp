#include "zel_event_manager.h"

#include <new>

#include "zel_container_alloc.h"
#include "zel_fatal.h"

namespace {

const int32_t ANY = ZEL_EventListener::ANY;
const int32_t NEVER_OBSOLETE = 0;

// Removes and deletes, in order, the events drop holds for. The count is
// re-read at each turn: events added meanwhile are seen too.
template <class Drop>
void deleteWhere(ZEL_Vector<ZEL_Event>& events, Drop drop) {
  int i = 0;
  while (i < events.getSize()) {
    ZEL_Event* e = events.elementAt(i);
    if (drop(e)) {
      events.remove(i);
      delete e;
    } else {
      ++i;
    }
  }
}

}  // namespace

ZEL_Event::ZEL_Event(int id, int type, int lifetime) : age(0), id(id), type(type), lifetime(lifetime) {}

ZEL_Event::~ZEL_Event() {}

int ZEL_Event::getID() { return id; }

int ZEL_Event::getType() { return type; }

bool ZEL_Event::isObsolete() { return lifetime != NEVER_OBSOLETE && lifetime <= age; }

void ZEL_Event::updateLife() {
  // An event that never expires may outlive 2^31 steps; its age stops there.
  if (age < INT32_MAX) ++age;
}

bool ZEL_EventManager::instanciated_once = false;
ZEL_Vector<ZEL_EventListener>* ZEL_EventManager::listeners[NB_EVENT_IDS];
ZEL_Vector<ZEL_EventListener>* ZEL_EventManager::listeners_all_events_from_type[NB_EVENT_TYPES];
ZEL_Vector<ZEL_EventListener> ZEL_EventManager::listeners_all_event;
ZEL_Vector<ZEL_Event> ZEL_EventManager::current_events;

ZEL_EventManager::ZEL_EventManager() {
  if (instanciated_once) {
    ZEL_fatal("Attention, il n'est pas permis d'instancier plusieurs ZEL_EventManager!\n");
  }
  instanciated_once = true;
  // The tables start empty: vectors made by addListener before now are
  // freed, and their listeners forgotten, rather than leaked.
  releaseTables();
}

ZEL_EventManager::~ZEL_EventManager() {
  // From the end, so that the vector is never shifted.
  while (current_events.getSize() > 0) {
    delete current_events.remove(current_events.getSize() - 1);
  }
  releaseTables();
}

void ZEL_EventManager::releaseTables() {
  for (auto& slot : listeners) {
    delete slot;
    slot = nullptr;
  }
  for (auto& slot : listeners_all_events_from_type) {
    delete slot;
    slot = nullptr;
  }
}

bool ZEL_EventManager::isEventId(int32_t id) { return id >= 0 && id < NB_EVENT_IDS; }

bool ZEL_EventManager::isEventType(int32_t type) { return type >= 0 && type < NB_EVENT_TYPES; }

void ZEL_EventManager::generateEvent(ZEL_Event* e) { current_events.add(e); }

void ZEL_EventManager::registerIn(ZEL_Vector<ZEL_EventListener>*& slot, ZEL_EventListener* l) {
  if (slot == nullptr) {
    slot = new (std::nothrow) ZEL_Vector<ZEL_EventListener>();
    if (slot == nullptr) zel_container::failAllocation();
  }
  slot->add(l);
}

void ZEL_EventManager::addListener(ZEL_EventListener* l) {
  const int32_t type = l->getType();
  const int32_t id = l->getId();
  if (type == ANY) {
    listeners_all_event.add(l);
  } else if (id == ANY) {
    if (isEventType(type)) registerIn(listeners_all_events_from_type[type], l);
  } else if (isEventId(id)) {
    registerIn(listeners[id], l);
  }
}

bool ZEL_EventManager::offer(ZEL_Vector<ZEL_EventListener>* to, ZEL_Event* e) {
  if (to == nullptr) return false;
  // Re-read: a listener may register others while it is notified.
  for (int i = 0; i < to->getSize(); ++i) {
    if (to->elementAt(i)->notifyEvent(e)) return true;
  }
  return false;
}

bool ZEL_EventManager::dispatch(ZEL_Event* e) {
  const int32_t id = e->getID();
  const int32_t type = e->getType();
  if (isEventId(id) && offer(listeners[id], e)) return true;
  if (isEventType(type) && offer(listeners_all_events_from_type[type], e)) return true;
  return offer(&listeners_all_event, e);
}

void ZEL_EventManager::step() {
  dispatchPending();
  ageAndDrop();
}

// Events posted by listeners are offered in this same step.
void ZEL_EventManager::dispatchPending() { deleteWhere(current_events, dispatch); }

void ZEL_EventManager::ageAndDrop() {
  for (int n = 0; n < current_events.getSize(); ++n) current_events.elementAt(n)->updateLife();
  deleteWhere(current_events, [](ZEL_Event* e) { return e->isObsolete(); });
}
