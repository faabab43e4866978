#include "bullet.h"

#include "fly.h"
#include "game_sounds.h"
#include "projectile_motion.h"
#include "projectile_pool.h"
#include "shit.h"
#include "zel_path_gravity.h"
#include "zel_space.h"

int32_t bullet::BRUITAGE_WALL = 0;

namespace {
const float GRAVITY = 9.81f;
const float TIME_STEP = 0.1f;
const int EAST_ANIM = 0;
const int WEST_ANIM = 1;
}  // namespace

bullet::bullet(int x, int y, float vx, float vy, int period, ZEL_ListAnimData* anims)
    : ZEL_Actif(period, anims, x, y, TYPE),
      path(new ZEL_PathGravity(x, y, 0, vx, vy, 0.0f, GRAVITY, TIME_STEP)) {
  // The first point is the start: the path keeps its initial heading.
  path->calculate_next_location();
  setCurrentSpriteAnim(path->orientation_east() ? EAST_ANIM : WEST_ANIM);
  currentAction = static_cast<Action>(&bullet::go);
}

bullet::~bullet() { delete path; }

bullet* bullet::fire(int x, int y, float vx, float vy, int period, ZEL_ListAnimData* anims) {
  ProjectilePool<bullet>::reclaim();
  return ProjectilePool<bullet>::launch(new bullet(x, y, vx, vy, period, anims));
}

void bullet::reclaim() {
  ProjectilePool<bullet>::retireAll();
  ProjectilePool<bullet>::reclaim();
}

void bullet::leave() { ProjectilePool<bullet>::leave(this); }

void bullet::go() {
  const NextPoint next = nextPoint(path);
  if (touchesWall(this)) {
    leave();
    playSample(BRUITAGE_WALL);
  }
  if (!next.valid || !isInsideWorld(this, next)) {
    leave();
    return;
  }
  setXworld(next.x);
  setYworld(next.y);
  scanTargets();
}

// Hits every fly and dropping the bullet overlaps. A dropping that leaves
// the space moves the next actor into its index, which is then looked at.
void bullet::scanTargets() {
  ZEL_Space* space = getSpace();
  const int count = space->getActifCount();
  for (int i = 0; i < count;) {
    ZEL_Actif* a = space->getActif(i);
    if (a == nullptr) break;
    if (a->getType() == mouche::TYPE && collision(a)) {
      static_cast<mouche*>(a)->hit();
      currentAction = static_cast<Action>(&bullet::hit);
    }
    a = space->getActif(i);
    if (a != nullptr && a->getType() == shit::TYPE && collision(a)) {
      static_cast<shit*>(a)->hit();
      currentAction = static_cast<Action>(&bullet::hit);
      if (space->getActif(i) != a) continue;  // removed: look at its successor
    }
    ++i;
  }
}

void bullet::hit() { leave(); }
