#ifndef ZEL_INPUT_IMPL_H
#define ZEL_INPUT_IMPL_H

#include "zel_vector.h"

// An input back end. Every live back end is listed in one class-wide
// registry, in order of construction; the space refreshes and clears them
// all once per step through update() and clear().
class ZEL_InputImpl {
 public:
  ZEL_InputImpl();
  virtual ~ZEL_InputImpl();
  ZEL_InputImpl(const ZEL_InputImpl&) = delete;
  ZEL_InputImpl& operator=(const ZEL_InputImpl&) = delete;

  // Applies the events that arrived since the last call to the tables.
  virtual void updateTable() = 0;

  // End-of-step housekeeping of per-step flags.
  virtual void clearInput() = 0;

  // updateTable() / clearInput() of every registered back end, oldest first.
  static void update();
  static void clear();

 private:
  static ZEL_Vector<ZEL_InputImpl> inputs;
};

#endif
