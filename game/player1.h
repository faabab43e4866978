#ifndef PLAYER1_H
#define PLAYER1_H

#include <cstdint>

#include "actor_moves.h"

class ZEL_Input;
class ZEL_ListAnimData;
class ZEL_Path;

// The actor the user steers: walks, stands, jumps, falls under gravity and
// shoots. Each state is one action; later checks in a state override the
// state and animation chosen by earlier ones. Made and added by the
// program entry; lives until the process ends.
class player1 : public GameActif {
 public:
  static constexpr int TYPE = 2;
  static int32_t BRUITAGE_JUMP;
  static int32_t BRUITAGE_FALL;

  // Animation indexes in the player's list.
  enum Anim : int { WALK_RIGHT, WALK_LEFT, STAND_RIGHT, STAND_LEFT, SHOOT_RIGHT, SHOOT_LEFT };

  player1(int x, int y, int period, ZEL_ListAnimData* anims, ZEL_ListAnimData* bulletAnims, ZEL_Input* input);
  ~player1() override;

  void go_right();
  void go_left();
  void stop_right();
  void stop_left();
  void shoot_right();
  void shoot_left();
  void fall();
  void jump();
  void hit_right();
  void hit_left();
  int stateNumber() override;

  int getXspeed() { return xspeed; }
  ZEL_Path* getPath() { return path; }

 private:
  void newPath(float vx, float vy);
  void fallIfNoGround(int anim);
  void startJump(int32_t vx, int anim);
  void fly(int eastAnim, int westAnim);
  void walkWhereHeld();

  ZEL_ListAnimData* listAnimBullet;
  ZEL_Input* input;
  int32_t xspeed;
  ZEL_Path* path;
};

#endif
