#include "soldier.h"

#include "bullet.h"
#include "game_sounds.h"
#include "player1.h"
#include "zel_path.h"
#include "zel_space.h"
#include "zel_tile_map.h"

int32_t soldier::BRUITAGE_JUMP = 0;
int32_t soldier::BRUITAGE_FALL = 0;

namespace {
const int32_t STEP_PIXELS = 5;
const int32_t SHOOTING_RANGE = 50;
// Actions a volley lasts: one shot, then standing.
const int32_t VOLLEY_ACTIONS = 3;
}  // namespace

soldier::soldier(int x, int y, int period, ZEL_ListAnimData* anims, ZEL_ListAnimData* bulletAnims)
    : GameActif(period, anims, x, y, TYPE),
      listAnimBullet(bulletAnims),
      xspeed(0),
      targetActif(findFirstActif(player1::TYPE)),
      path(nullptr),
      shotCount(0) {
  goTo(&soldier::go_right, WALK_RIGHT);
}

soldier::~soldier() { delete path; }

void soldier::startFall() {
  delete path;
  path = newFlightPath(this, static_cast<float>(xspeed), 0.0f);
  goTo(&soldier::fall, WALK_RIGHT);
}

// Tests its bounds after the step it is about to take, so that it never
// sticks at the level's edges.
void soldier::go_right() {
  if (!isOnGround(this)) startFall();
  if (isTargetWithin(targetActif, xworld, SHOOTING_RANGE, SHOOTING_RANGE)) {
    goTo(&soldier::shoot_right, SHOOT_RIGHT);
  }
  const int32_t limit = getSpace()->worldWidth - get_largeur();
  if (xworld + STEP_PIXELS <= limit && getSpace()->tileMap->collision_east(this) == 0 &&
      targetActif != nullptr && xworld <= targetActif->getXworld()) {
    setXworld(xworld + STEP_PIXELS);
    return;
  }
  goTo(&soldier::go_left, WALK_LEFT);
}

void soldier::go_left() {
  if (!isOnGround(this)) startFall();
  if (isTargetWithin(targetActif, xworld, SHOOTING_RANGE, SHOOTING_RANGE)) {
    goTo(&soldier::shoot_left, SHOOT_LEFT);
  }
  if (xworld - STEP_PIXELS >= 0 && getSpace()->tileMap->collision_west(this) == 0 && targetActif != nullptr &&
      targetActif->getXworld() <= xworld) {
    setXworld(xworld - STEP_PIXELS);
    return;
  }
  goTo(&soldier::go_right, WALK_RIGHT);
}

void soldier::shoot(int x, float vx, Action next, int anim) {
  if (shotCount == 0)
    bullet::fire(x, yworld + get_hauteur() / 2, vx, BULLET_VY, BULLET_PERIOD, listAnimBullet);
  ++shotCount;
  if (shotCount > VOLLEY_ACTIONS) {
    shotCount = 0;
    xspeed = 0;
    goTo(next, anim);
  }
}

void soldier::shoot_right() {
  shoot(xworld + get_largeur(), BULLET_VX, action(&soldier::go_right), WALK_RIGHT);
}

void soldier::shoot_left() { shoot(xworld - LEFT_MUZZLE, -BULLET_VX, action(&soldier::go_left), WALK_LEFT); }

void soldier::fall() {
  if (path == nullptr || flyAlong(path, BRUITAGE_FALL, WALK_RIGHT, WALK_LEFT)) return;
  xspeed = 0;
  endFlight(path, action(&soldier::go_right), WALK_RIGHT, action(&soldier::go_left), WALK_LEFT);
}

void soldier::stop_right() {}
void soldier::stop_left() {}
void soldier::hit_right() {}
void soldier::hit_left() {}
void soldier::jump() {}

int soldier::stateNumber() {
  static void (soldier::*const STATES[])() = {
      &soldier::go_right,   &soldier::go_left,   &soldier::shoot_right, &soldier::shoot_left, &soldier::fall,
      &soldier::stop_right, &soldier::stop_left, &soldier::hit_right,   &soldier::hit_left,   &soldier::jump};
  return numberAmong(STATES);
}
