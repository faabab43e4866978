#ifndef ZEL_EVENT_MANAGER_H
#define ZEL_EVENT_MANAGER_H

#include <cstdint>

#include "zel_event_listener.h"
#include "zel_vector.h"

// An engine event: an id, a type and a lifetime in steps. Whoever posts it
// with ZEL_EventManager::generateEvent hands it over; the manager deletes it
// once consumed or obsolete. Derive from it to carry data of your own.
class ZEL_Event {
 public:
  // Lifetime 0 never becomes obsolete; the age starts at 0.
  ZEL_Event(int id, int type, int lifetime);
  virtual ~ZEL_Event();

  int getID();
  int getType();
  bool isObsolete();
  void updateLife();

 protected:
  int32_t age;
  int32_t id;
  int32_t type;
  int32_t lifetime;
};

// The engine's publish-subscribe channel. All its data is class-wide; the one
// object, held by value in the space, sets the tables up when constructed
// and releases them and the pending events when destroyed. Only one may ever
// be constructed in a process.
//
// Ids outside 0 .. NB_EVENT_IDS-1 and types outside 0 .. NB_EVENT_TYPES-1
// never index the tables: such an event is offered only to the listeners of
// every event, and a listener registered for such an id (or, with id -1, such
// a type) is not registered at all.
class ZEL_EventManager {
 public:
  static constexpr int NB_EVENT_IDS = 65535;
  static constexpr int NB_EVENT_TYPES = 100;

  ZEL_EventManager();
  virtual ~ZEL_EventManager();
  ZEL_EventManager(const ZEL_EventManager&) = delete;
  ZEL_EventManager& operator=(const ZEL_EventManager&) = delete;

  // Queues e; the manager owns it from now on.
  static void generateEvent(ZEL_Event* e);
  // Registers l by its own type and id; l stays the caller's.
  static void addListener(ZEL_EventListener* l);

  // Offers every pending event, those posted meanwhile included, then ages
  // the ones left and drops the obsolete.
  void step();

 private:
  static bool isEventId(int32_t id);
  static bool isEventType(int32_t type);
  static void registerIn(ZEL_Vector<ZEL_EventListener>*& slot, ZEL_EventListener* l);
  static bool offer(ZEL_Vector<ZEL_EventListener>* to, ZEL_Event* e);
  static bool dispatch(ZEL_Event* e);
  static void dispatchPending();
  static void ageAndDrop();
  static void releaseTables();

  static bool instanciated_once;
  // Zero-initialised before anything runs, so the tables are safe to read
  // before the manager is built.
  static ZEL_Vector<ZEL_EventListener>* listeners[NB_EVENT_IDS];
  static ZEL_Vector<ZEL_EventListener>* listeners_all_events_from_type[NB_EVENT_TYPES];
  static ZEL_Vector<ZEL_EventListener> listeners_all_event;
  static ZEL_Vector<ZEL_Event> current_events;
};

#endif
