#ifndef ZEL_EVENT_LISTENER_H
#define ZEL_EVENT_LISTENER_H

#include <cstdint>

class ZEL_Event;

// Something that reacts to engine events. Its creator builds it, registers it
// with ZEL_EventManager::addListener and keeps it alive for as long as events
// are dispatched: there is no removal and the manager never deletes it.
class ZEL_EventListener {
 public:
  static constexpr int32_t ANY = -1;

  // Type ANY listens to every event; id ANY to every event of the type; any
  // other id to that id alone, whatever the event's type. A consuming listener
  // ends the life of each event it is notified of.
  ZEL_EventListener(int type, int id, bool consumes);
  virtual ~ZEL_EventListener();

  // The listener's reaction; the event stays the manager's.
  virtual void onEvent(ZEL_Event* e);

  int getType();
  int getId();
  bool isListeningTo(ZEL_Event* e);
  // Calls onEvent when listening to e; answers whether e is consumed, as
  // consumes stood before the call.
  bool notifyEvent(ZEL_Event* e);

 protected:
  int32_t type;
  int32_t id;
  bool consumes;
};

#endif
