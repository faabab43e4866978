#include "player1.h"

#include "bullet.h"
#include "game_sounds.h"
#include "zel_input.h"
#include "zel_path.h"
#include "zel_space.h"
#include "zel_tile_map.h"

int32_t player1::BRUITAGE_JUMP = 0;
int32_t player1::BRUITAGE_FALL = 0;

namespace {
const int32_t WALK_SPEED = 15;
// A jump adds this to the horizontal speed, away from the wall faced.
const int32_t JUMP_PUSH = 10;
const int32_t JUMP_LIFT_PIXELS = 10;
const float JUMP_VY = -50.0f;
}  // namespace

player1::player1(int x, int y, int period, ZEL_ListAnimData* anims, ZEL_ListAnimData* bulletAnims,
                 ZEL_Input* in)
    : GameActif(period, anims, x, y, TYPE),
      listAnimBullet(bulletAnims),
      input(in),
      xspeed(WALK_SPEED),
      path(nullptr) {
  goTo(&player1::stop_right, STAND_RIGHT);
}

player1::~player1() { delete path; }

void player1::newPath(float vx, float vy) {
  delete path;
  path = newFlightPath(this, vx, vy);
}

// The first check of the walking and standing states.
void player1::fallIfNoGround(int anim) {
  if (isOnGround(this)) return;
  newPath(static_cast<float>(xspeed), 0.0f);
  goTo(&player1::fall, anim);
}

void player1::startJump(int32_t vx, int anim) {
  setYworld(yworld - JUMP_LIFT_PIXELS);
  newPath(static_cast<float>(vx), JUMP_VY);
  goTo(&player1::jump, anim);
  playSample(BRUITAGE_JUMP);
}

void player1::go_right() {
  fallIfNoGround(STAND_RIGHT);
  if (input->go_fire1()) goTo(&player1::stop_right, STAND_RIGHT);
  if (input->go_left()) goTo(&player1::stop_left, STAND_LEFT);
  if (!input->go_right()) {
    goTo(&player1::stop_right, STAND_RIGHT);
    return;
  }
  // Unsigned on purpose: a negative x + xspeed fails too.
  const uint32_t limit = static_cast<uint32_t>(getSpace()->worldWidth - get_largeur());
  if (getSpace()->tileMap->collision_east(this) == 0 && static_cast<uint32_t>(xworld + xspeed) <= limit) {
    setXworld(xworld + xspeed);
    return;
  }
  xspeed = 0;
  goTo(&player1::stop_right, STAND_RIGHT);
}

void player1::go_left() {
  fallIfNoGround(STAND_LEFT);
  if (input->go_fire1()) goTo(&player1::stop_left, STAND_LEFT);
  if (input->go_right()) goTo(&player1::stop_right, STAND_RIGHT);
  if (!input->go_left()) {
    goTo(&player1::stop_left, STAND_LEFT);
    return;
  }
  if (getSpace()->tileMap->collision_west(this) == 0 && xworld + xspeed >= 0) {
    setXworld(xworld + xspeed);
    return;
  }
  xspeed = 0;
  goTo(&player1::stop_left, STAND_LEFT);
}

// The last checks of both standing states: a held direction starts a walk
// that way, left overriding right.
void player1::walkWhereHeld() {
  if (input->go_right()) {
    xspeed = WALK_SPEED;
    goTo(&player1::go_right, WALK_RIGHT);
  }
  if (input->go_left()) {
    xspeed = -WALK_SPEED;
    goTo(&player1::go_left, WALK_LEFT);
  }
}

void player1::stop_right() {
  fallIfNoGround(STAND_RIGHT);
  if (input->go_up()) startJump(xspeed + JUMP_PUSH, STAND_RIGHT);
  if (input->go_fire1()) goTo(&player1::shoot_right, SHOOT_RIGHT);
  walkWhereHeld();
}

void player1::stop_left() {
  fallIfNoGround(STAND_LEFT);
  if (input->go_up()) startJump(xspeed - JUMP_PUSH, WALK_LEFT);
  if (input->go_fire1()) goTo(&player1::shoot_left, SHOOT_LEFT);
  walkWhereHeld();
}

void player1::shoot_right() {
  if (!input->go_fire1()) {
    xspeed = 0;
    goTo(&player1::stop_right, STAND_RIGHT);
    return;
  }
  bullet::fire(xworld + get_largeur(), yworld + get_hauteur() / 2, BULLET_VX, BULLET_VY, BULLET_PERIOD,
               listAnimBullet);
}

void player1::shoot_left() {
  if (!input->go_fire1()) {
    xspeed = 0;
    goTo(&player1::stop_left, STAND_LEFT);
    return;
  }
  bullet::fire(xworld - LEFT_MUZZLE, yworld + get_hauteur() / 2, -BULLET_VX, BULLET_VY, BULLET_PERIOD,
               listAnimBullet);
}

void player1::fly(int eastAnim, int westAnim) {
  if (path == nullptr || flyAlong(path, BRUITAGE_FALL, eastAnim, westAnim)) return;
  xspeed = 0;
  endFlight(path, action(&player1::stop_right), STAND_RIGHT, action(&player1::stop_left), STAND_LEFT);
}

void player1::fall() { fly(STAND_RIGHT, STAND_LEFT); }

void player1::jump() { fly(WALK_RIGHT, WALK_LEFT); }

void player1::hit_right() {}

void player1::hit_left() {}

int player1::stateNumber() {
  static void (player1::*const STATES[])() = {
      &player1::go_right,    &player1::go_left,    &player1::stop_right, &player1::stop_left,
      &player1::shoot_right, &player1::shoot_left, &player1::fall,       &player1::jump,
      &player1::hit_right,   &player1::hit_left};
  return numberAmong(STATES);
}
