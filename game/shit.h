#ifndef SHIT_H
#define SHIT_H

#include <cstdint>

#include "zel_actif.h"

class ZEL_ListAnimData;
class ZEL_Path;

// A dropping let fall by a fly: falls along a gravity path, splashes on
// the first solid tile and leaves the space after four hits (its own
// splash actions and the bullets that touch it), or when it leaves the
// world. Made with drop(), which adds it to the space; a dropping that left
// the space is deleted when the next one is dropped.
class shit : public ZEL_Actif {
 public:
  static constexpr int TYPE = 4;
  static int32_t BRUITAGE_WALL;

  shit(int x, int y, float vx, float vy, int period, ZEL_ListAnimData* anims);
  ~shit() override;

  static shit* drop(int x, int y, float vx, float vy, int period, ZEL_ListAnimData* anims);
  // Deletes every dropping, those still falling and those that left the space (at teardown).
  static void reclaim();

  void go();
  // Also called by a bullet that touches the dropping.
  void hit();
  int getHitCount() { return hitCount; }

 private:
  void leave();

  ZEL_Path* path;
  int32_t hitCount;
};

#endif
