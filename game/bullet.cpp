#include "bullet.h"

#include "fly.h"
#include "game_sounds.h"
#include "projectile_pool.h"
#include "shit.h"
#include "zel_path.h"
#include "zel_space.h"

namespace {
const int EAST_ANIM = 0;
const int WEST_ANIM = 1;
}  // namespace

bullet::bullet(int x, int y, float vx, float vy, int period, ZEL_ListAnimData* anims)
    : ProjectileKind(x, y, vx, vy, period, anims, TYPE) {
  // The first point is the start: the path keeps its initial heading.
  path->calculate_next_location();
  setCurrentSpriteAnim(path->orientation_east() ? EAST_ANIM : WEST_ANIM);
}

bullet* bullet::fire(int x, int y, float vx, float vy, int period, ZEL_ListAnimData* anims) {
  return ProjectilePool<bullet>::make(x, y, vx, vy, period, anims);
}

void bullet::meetWall() {
  leave();
  playSample(BRUITAGE_WALL);
}

// Hits every fly and dropping the bullet overlaps. A dropping that leaves
// the space moves the next actor into its index, which is then looked at.
void bullet::afterMove() {
  ZEL_Space* space = getSpace();
  const int count = space->getActifCount();
  for (int i = 0; i < count;) {
    ZEL_Actif* a = space->getActif(i);
    if (a == nullptr) break;
    if (a->getType() == mouche::TYPE && collision(a)) {
      static_cast<mouche*>(a)->hit();
      currentAction = action(&bullet::hit);
    }
    a = space->getActif(i);
    if (a != nullptr && a->getType() == shit::TYPE && collision(a)) {
      static_cast<shit*>(a)->hit();
      currentAction = action(&bullet::hit);
      if (space->getActif(i) != a) continue;  // removed: look at its successor
    }
    ++i;
  }
}

void bullet::hit() { leave(); }
