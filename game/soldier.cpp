#include "soldier.h"

#include "bullet.h"
#include "game_sounds.h"
#include "player1.h"
#include "projectile_motion.h"
#include "zel_path_gravity.h"

int32_t soldier::BRUITAGE_JUMP = 0;
int32_t soldier::BRUITAGE_FALL = 0;

namespace {
const int32_t STEP_PIXELS = 5;
const int32_t SHOOTING_RANGE = 50;
// Actions a volley lasts: one shot, then standing.
const int32_t VOLLEY_ACTIONS = 3;
const float GRAVITY = 9.81f;
const float TIME_STEP = 0.5f;
const float BULLET_VX = 190.0f;
const float BULLET_VY = -170.1f;
const int BULLET_PERIOD = 1;
const int LEFT_MUZZLE = 5;
}  // namespace

soldier::soldier(int x, int y, int period, ZEL_ListAnimData* anims, ZEL_ListAnimData* bulletAnims)
    : ZEL_Actif(period, anims, x, y, TYPE), listAnimBullet(bulletAnims), xspeed(0),
      targetActif(nullptr), path(nullptr), shotCount(0) {
  goTo(static_cast<Action>(&soldier::go_right), WALK_RIGHT);
  ZEL_Space* space = getSpace();
  for (int i = 0; space != nullptr && i < space->getActifCount(); ++i) {
    ZEL_Actif* a = space->getActif(i);
    if (a != nullptr && a->getType() == player1::TYPE) {
      targetActif = a;
      break;
    }
  }
}

soldier::~soldier() { delete path; }

void soldier::goTo(Action state, int anim) {
  currentAction = state;
  setCurrentSpriteAnim(anim);
}

void soldier::startFall() {
  delete path;
  path = new ZEL_PathGravity(xworld, yworld, 0, static_cast<float>(xspeed), 0.0f, 0.0f, GRAVITY, TIME_STEP);
  goTo(static_cast<Action>(&soldier::fall), WALK_RIGHT);
}

bool soldier::isTargetNear() {
  return targetActif != nullptr && xworld - SHOOTING_RANGE <= targetActif->getXworld() &&
         targetActif->getXworld() <= xworld + SHOOTING_RANGE;
}

// Tests its bounds after the step it is about to take, so that it never
// sticks at the level's edges.
void soldier::go_right() {
  if (!isOnGround(this)) startFall();
  if (isTargetNear()) goTo(static_cast<Action>(&soldier::shoot_right), SHOOT_RIGHT);
  const int32_t limit = getSpace()->worldWidth - get_largeur();
  if (xworld + STEP_PIXELS <= limit && getSpace()->tileMap->collision_east(this) == 0 &&
      targetActif != nullptr && xworld <= targetActif->getXworld()) {
    setXworld(xworld + STEP_PIXELS);
    return;
  }
  goTo(static_cast<Action>(&soldier::go_left), WALK_LEFT);
}

void soldier::go_left() {
  if (!isOnGround(this)) startFall();
  if (isTargetNear()) goTo(static_cast<Action>(&soldier::shoot_left), SHOOT_LEFT);
  if (xworld - STEP_PIXELS >= 0 && getSpace()->tileMap->collision_west(this) == 0 &&
      targetActif != nullptr && targetActif->getXworld() <= xworld) {
    setXworld(xworld - STEP_PIXELS);
    return;
  }
  goTo(static_cast<Action>(&soldier::go_right), WALK_RIGHT);
}

void soldier::shoot(int x, float vx, Action next, int anim) {
  if (shotCount == 0) bullet::fire(x, yworld + get_hauteur() / 2, vx, BULLET_VY, BULLET_PERIOD, listAnimBullet);
  ++shotCount;
  if (shotCount > VOLLEY_ACTIONS) {
    shotCount = 0;
    xspeed = 0;
    goTo(next, anim);
  }
}

void soldier::shoot_right() {
  shoot(xworld + get_largeur(), BULLET_VX, static_cast<Action>(&soldier::go_right), WALK_RIGHT);
}

void soldier::shoot_left() {
  shoot(xworld - LEFT_MUZZLE, -BULLET_VX, static_cast<Action>(&soldier::go_left), WALK_LEFT);
}

void soldier::fall() {
  if (path == nullptr) return;
  NextPoint next = nextPoint(path);
  if (isOnGround(this)) {
    liftOutOfFloor(this);
    playSample(BRUITAGE_FALL);
    next.valid = false;
  }
  if (next.valid && isInsideWorld(this, next)) {
    setXworld(next.x);
    setYworld(next.y);
    if (path->orientation_east()) setCurrentSpriteAnim(WALK_RIGHT);
    if (path->orientation_west()) setCurrentSpriteAnim(WALK_LEFT);
    return;
  }
  if (!path->orientation_west()) {
    goTo(static_cast<Action>(&soldier::go_right), WALK_RIGHT);
  } else {
    goTo(static_cast<Action>(&soldier::go_left), WALK_LEFT);
  }
  xspeed = 0;
  delete path;
  path = nullptr;
}

void soldier::stop_right() {}
void soldier::stop_left() {}
void soldier::hit_right() {}
void soldier::hit_left() {}
void soldier::jump() {}
