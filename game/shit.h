#ifndef SHIT_H
#define SHIT_H

#include <cstdint>

#include "projectile.h"

class ZEL_ListAnimData;

// A dropping let fall by a fly: splashes on the first solid tile and leaves
// the space after four hits (its own splash actions and the bullets that
// touch it), or when it leaves the world. Made with drop(), which adds it
// to the space; a dropping that left the space is deleted when the next
// one is dropped.
class shit : public ProjectileKind<shit> {
 public:
  static constexpr int TYPE = 4;

  shit(int x, int y, float vx, float vy, int period, ZEL_ListAnimData* anims);

  static shit* drop(int x, int y, float vx, float vy, int period, ZEL_ListAnimData* anims);

  // Also called by a bullet that touches the dropping.
  void hit();
  int getHitCount() { return hitCount; }

 private:
  void meetWall() override;

  int32_t hitCount;
};

#endif
