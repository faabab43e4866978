#ifndef BULLET_H
#define BULLET_H

#include "projectile.h"

class ZEL_ListAnimData;

// A bullet fired by the player (or a soldier): knocks out every fly and
// wears down every dropping it touches, and leaves the space on a wall,
// outside the world, or one action after a hit. Made with fire(), which
// adds it to the space; a bullet that left the space is deleted when the
// next one is fired.
class bullet : public ProjectileKind<bullet> {
 public:
  static constexpr int TYPE = 1;

  bullet(int x, int y, float vx, float vy, int period, ZEL_ListAnimData* anims);

  // Deletes the bullets that left the space, then makes one and adds it.
  static bullet* fire(int x, int y, float vx, float vy, int period, ZEL_ListAnimData* anims);

  void hit();

 private:
  void meetWall() override;
  void afterMove() override;
};

#endif
