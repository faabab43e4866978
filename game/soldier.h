#ifndef SOLDIER_H
#define SOLDIER_H

#include <cstdint>

#include "actor_moves.h"

class ZEL_ListAnimData;
class ZEL_Path;

// A walking enemy: chases its target (the player) along the ground, fires a
// bullet when the target comes within 50 pixels, and falls off ledges. The
// demo makes none; a level that wants one makes it after the player, whom
// it finds in the space, and adds it.
class soldier : public GameActif {
 public:
  static constexpr int TYPE = 3;
  static int32_t BRUITAGE_JUMP;
  static int32_t BRUITAGE_FALL;

  // Animation indexes in the soldier's list.
  enum Anim : int { WALK_LEFT, WALK_RIGHT, SHOOT_LEFT, SHOOT_RIGHT };

  // Starts walking right, without speed, aiming at the first actor of the
  // player's type in the space (none: it never moves and turns each action).
  soldier(int x, int y, int period, ZEL_ListAnimData* anims, ZEL_ListAnimData* bulletAnims);
  ~soldier() override;

  void go_right();
  void go_left();
  void shoot_right();
  void shoot_left();
  void fall();
  void stop_right();
  void stop_left();
  void hit_right();
  void hit_left();
  void jump();
  int stateNumber() override;

  void setTarget(ZEL_Actif* target) { targetActif = target; }
  int getShotCount() { return shotCount; }
  ZEL_Path* getPath() { return path; }

 private:
  void startFall();
  void shoot(int x, float vx, Action next, int anim);

  ZEL_ListAnimData* listAnimBullet;
  int32_t xspeed;
  ZEL_Actif* targetActif;
  ZEL_Path* path;
  int32_t shotCount;
};

#endif
