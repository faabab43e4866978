#include "shit.h"

#include "game_sounds.h"
#include "projectile_motion.h"
#include "projectile_pool.h"
#include "zel_path_gravity.h"

int32_t shit::BRUITAGE_WALL = 0;

namespace {
const float GRAVITY = 9.81f;
const float TIME_STEP = 0.1f;
const int FLYING_ANIM = 0;
const int SPLASH_ANIM = 1;
// Hits a dropping takes before it goes.
const int32_t MAX_HITS = 3;
}  // namespace

shit::shit(int x, int y, float vx, float vy, int period, ZEL_ListAnimData* anims)
    : ZEL_Actif(period, anims, x, y, TYPE),
      path(new ZEL_PathGravity(x, y, 0, vx, vy, 0.0f, GRAVITY, TIME_STEP)),
      hitCount(0) {
  setCurrentSpriteAnim(FLYING_ANIM);
  currentAction = static_cast<Action>(&shit::go);
}

shit::~shit() { delete path; }

shit* shit::drop(int x, int y, float vx, float vy, int period, ZEL_ListAnimData* anims) {
  ProjectilePool<shit>::reclaim();
  return ProjectilePool<shit>::launch(new shit(x, y, vx, vy, period, anims));
}

void shit::reclaim() {
  ProjectilePool<shit>::retireAll();
  ProjectilePool<shit>::reclaim();
}

void shit::leave() { ProjectilePool<shit>::leave(this); }

void shit::go() {
  const NextPoint next = nextPoint(path);
  if (touchesWall(this)) {
    setCurrentSpriteAnim(SPLASH_ANIM);
    currentAction = static_cast<Action>(&shit::hit);
    playSample(BRUITAGE_WALL);
  }
  if (next.valid && isInsideWorld(this, next)) {
    setXworld(next.x);
    setYworld(next.y);
    return;
  }
  leave();
}

void shit::hit() {
  ++hitCount;
  if (hitCount > MAX_HITS) {
    hitCount = 0;
    leave();
  }
}
