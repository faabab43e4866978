#include "player1.h"

#include "bullet.h"
#include "game_sounds.h"
#include "projectile_motion.h"
#include "zel_input.h"
#include "zel_path_gravity.h"

int32_t player1::BRUITAGE_JUMP = 0;
int32_t player1::BRUITAGE_FALL = 0;

namespace {
const int32_t WALK_SPEED = 15;
// A jump adds this to the horizontal speed, away from the wall faced.
const int32_t JUMP_PUSH = 10;
const int32_t JUMP_LIFT_PIXELS = 10;
const float GRAVITY = 9.81f;
const float TIME_STEP = 0.5f;
const float JUMP_VY = -50.0f;
const float BULLET_VX = 190.0f;
const float BULLET_VY = -170.1f;
const int BULLET_PERIOD = 1;
// A bullet fired left starts this far left of the player.
const int LEFT_MUZZLE = 5;
}  // namespace

player1::player1(int x, int y, int period, ZEL_ListAnimData* anims, ZEL_ListAnimData* bulletAnims,
                 ZEL_Input* in)
    : ZEL_Actif(period, anims, x, y, TYPE), listAnimBullet(bulletAnims), input(in),
      xspeed(WALK_SPEED), path(nullptr) {
  goTo(static_cast<Action>(&player1::stop_right), STAND_RIGHT);
}

player1::~player1() { delete path; }

void player1::goTo(Action state, int anim) {
  currentAction = state;
  setCurrentSpriteAnim(anim);
}

void player1::newPath(float vx, float vy) {
  delete path;
  path = new ZEL_PathGravity(xworld, yworld, 0, vx, vy, 0.0f, GRAVITY, TIME_STEP);
}

void player1::startFall() { newPath(static_cast<float>(xspeed), 0.0f); }

void player1::startJump(int32_t vx, int anim) {
  setYworld(yworld - JUMP_LIFT_PIXELS);
  newPath(static_cast<float>(vx), JUMP_VY);
  setCurrentSpriteAnim(anim);
  playSample(BRUITAGE_JUMP);
  currentAction = static_cast<Action>(&player1::jump);
}

void player1::go_right() {
  if (!isOnGround(this)) {
    startFall();
    goTo(static_cast<Action>(&player1::fall), STAND_RIGHT);
  }
  if (input->go_fire1()) goTo(static_cast<Action>(&player1::stop_right), STAND_RIGHT);
  if (input->go_left()) goTo(static_cast<Action>(&player1::stop_left), STAND_LEFT);
  if (!input->go_right()) {
    goTo(static_cast<Action>(&player1::stop_right), STAND_RIGHT);
    return;
  }
  // Unsigned on purpose: a negative x + xspeed fails too.
  const uint32_t limit = static_cast<uint32_t>(getSpace()->worldWidth - get_largeur());
  if (getSpace()->tileMap->collision_east(this) == 0 && static_cast<uint32_t>(xworld + xspeed) <= limit) {
    setXworld(xworld + xspeed);
    return;
  }
  xspeed = 0;
  goTo(static_cast<Action>(&player1::stop_right), STAND_RIGHT);
}

void player1::go_left() {
  if (!isOnGround(this)) {
    startFall();
    goTo(static_cast<Action>(&player1::fall), STAND_LEFT);
  }
  if (input->go_fire1()) goTo(static_cast<Action>(&player1::stop_left), STAND_LEFT);
  if (input->go_right()) goTo(static_cast<Action>(&player1::stop_right), STAND_RIGHT);
  if (!input->go_left()) {
    goTo(static_cast<Action>(&player1::stop_left), STAND_LEFT);
    return;
  }
  if (getSpace()->tileMap->collision_west(this) == 0 && xworld + xspeed >= 0) {
    setXworld(xworld + xspeed);
    return;
  }
  xspeed = 0;
  goTo(static_cast<Action>(&player1::stop_left), STAND_LEFT);
}

// The last checks of both standing states: a held direction starts a walk
// that way, left overriding right.
void player1::walkWhereHeld() {
  if (input->go_right()) {
    xspeed = WALK_SPEED;
    goTo(static_cast<Action>(&player1::go_right), WALK_RIGHT);
  }
  if (input->go_left()) {
    xspeed = -WALK_SPEED;
    goTo(static_cast<Action>(&player1::go_left), WALK_LEFT);
  }
}

void player1::stop_right() {
  if (!isOnGround(this)) {
    startFall();
    goTo(static_cast<Action>(&player1::fall), STAND_RIGHT);
  }
  if (input->go_up()) startJump(xspeed + JUMP_PUSH, STAND_RIGHT);
  if (input->go_fire1()) goTo(static_cast<Action>(&player1::shoot_right), SHOOT_RIGHT);
  walkWhereHeld();
}

void player1::stop_left() {
  if (!isOnGround(this)) {
    startFall();
    goTo(static_cast<Action>(&player1::fall), STAND_LEFT);
  }
  if (input->go_up()) startJump(xspeed - JUMP_PUSH, WALK_LEFT);
  if (input->go_fire1()) goTo(static_cast<Action>(&player1::shoot_left), SHOOT_LEFT);
  walkWhereHeld();
}

void player1::shoot_right() {
  if (!input->go_fire1()) {
    xspeed = 0;
    goTo(static_cast<Action>(&player1::stop_right), STAND_RIGHT);
    return;
  }
  bullet::fire(xworld + get_largeur(), yworld + get_hauteur() / 2, BULLET_VX, BULLET_VY, BULLET_PERIOD,
               listAnimBullet);
}

void player1::shoot_left() {
  if (!input->go_fire1()) {
    xspeed = 0;
    goTo(static_cast<Action>(&player1::stop_left), STAND_LEFT);
    return;
  }
  bullet::fire(xworld - LEFT_MUZZLE, yworld + get_hauteur() / 2, -BULLET_VX, BULLET_VY, BULLET_PERIOD,
               listAnimBullet);
}

// Lifts the player out of the floor it has reached, pixel by pixel, and
// rests its bottom edge on it.
void player1::land() {
  liftOutOfFloor(this);
  playSample(BRUITAGE_FALL);
}

void player1::fly(int eastAnim, int westAnim) {
  if (path == nullptr) return;
  NextPoint next = nextPoint(path);
  if (isOnGround(this)) {  // tested before moving
    land();
    next.valid = false;
  }
  if (next.valid && isInsideWorld(this, next)) {
    setXworld(next.x);
    setYworld(next.y);
    if (path->orientation_east()) setCurrentSpriteAnim(eastAnim);
    if (path->orientation_west()) setCurrentSpriteAnim(westAnim);
    return;
  }
  if (!path->orientation_west()) {
    goTo(static_cast<Action>(&player1::stop_right), STAND_RIGHT);
  } else {
    goTo(static_cast<Action>(&player1::stop_left), STAND_LEFT);
  }
  xspeed = 0;
  delete path;
  path = nullptr;
}

void player1::fall() { fly(STAND_RIGHT, STAND_LEFT); }

void player1::jump() { fly(WALK_RIGHT, WALK_LEFT); }

void player1::hit_right() {}

void player1::hit_left() {}
