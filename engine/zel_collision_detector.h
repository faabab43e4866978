#ifndef ZEL_COLLISION_DETECTOR_H
#define ZEL_COLLISION_DETECTOR_H

#include <cstdint>

#include "zel_hashtable.h"
#include "zel_space.h"

class ZEL_Actif;

// Answers actor-actor collision queries between public actors from a
// table kept up to date as actors enter the space and re-sort. Every actor
// the detector knows has a slot, its row and column in the table. One may
// exist at a time; its state is class-wide. Created and deleted by a space
// built with its detector flag.
class ZEL_CollisionDetector {
 public:
  // Actors the table can hold at once: as many as a space's public actors.
  static constexpr int MAX_SLOTS = ZEL_Space::MAX_ACTIFS;

  ZEL_CollisionDetector();
  virtual ~ZEL_CollisionDetector();
  ZEL_CollisionDetector(const ZEL_CollisionDetector&) = delete;
  ZEL_CollisionDetector& operator=(const ZEL_CollisionDetector&) = delete;

  static void setSpace(ZEL_Space* s);

  // False when either actor has no slot or is invisible; the cached answer
  // for two public actors; computed now when either is private.
  bool collision(ZEL_Actif* a, ZEL_Actif* b);

  // a has entered the space, or has been re-sorted from oldIndex: gives it
  // a slot if it has none and refreshes its row and column. x and y are
  // not used.
  void hasMoved(ZEL_Actif* a, int x, int y, int oldIndex);

  // Frees a's slot, if it has one. Called whenever an actor is destroyed,
  // whether or not a detector exists, so that a later actor at the same
  // address never inherits a stale row.
  static void hasBeenKilled(ZEL_Actif* a);

  void step();

  // The slot of a, or -1.
  static int slotOf(ZEL_Actif* a);

 private:
  static void refresh(int32_t slot, ZEL_Actif* a);

  static bool instanciated_once;
  static uint8_t collision_tab[MAX_SLOTS * MAX_SLOTS];
  static uint8_t index_already_taken[MAX_SLOTS];
  static ZEL_Hashtable<int, ZEL_Actif>* translation_tab;
  static ZEL_Space* space;
  // The integers the table's keys point to: slot_numbers[s] holds s.
  static int slot_numbers[MAX_SLOTS];
};

#endif
