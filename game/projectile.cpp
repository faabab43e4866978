#include "projectile.h"

#include "zel_path_gravity.h"

Projectile::Projectile(int x, int y, float vx, float vy, int period, ZEL_ListAnimData* anims, int type)
    : GameActif(period, anims, x, y, type),
      path(new ZEL_PathGravity(x, y, 0, vx, vy, 0.0f, GRAVITY, PROJECTILE_TIME_STEP)) {
  currentAction = action(&Projectile::go);
}

Projectile::~Projectile() { delete path; }

// A wall still lets the same action move on: a bullet leaving on it hits
// what it then touches, a dropping makes one last move.
void Projectile::go() {
  const NextPoint next = nextPoint(path);
  if (touchesWall(this)) meetWall();
  if (!next.valid || !isInsideWorld(this, next)) {
    leave();
    return;
  }
  setXworld(next.x);
  setYworld(next.y);
  afterMove();
}
