#include "shit.h"

#include "game_sounds.h"
#include "projectile_pool.h"

namespace {
const int FLYING_ANIM = 0;
const int SPLASH_ANIM = 1;
// Hits a dropping takes before it goes.
const int32_t MAX_HITS = 3;
}  // namespace

shit::shit(int x, int y, float vx, float vy, int period, ZEL_ListAnimData* anims)
    : ProjectileKind(x, y, vx, vy, period, anims, TYPE), hitCount(0) {
  setCurrentSpriteAnim(FLYING_ANIM);
}

shit* shit::drop(int x, int y, float vx, float vy, int period, ZEL_ListAnimData* anims) {
  return ProjectilePool<shit>::make(x, y, vx, vy, period, anims);
}

void shit::meetWall() {
  goTo(&shit::hit, SPLASH_ANIM);
  playSample(BRUITAGE_WALL);
}

void shit::hit() {
  ++hitCount;
  if (hitCount > MAX_HITS) {
    hitCount = 0;
    leave();
  }
}
