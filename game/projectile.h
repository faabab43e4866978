#ifndef PROJECTILE_H
#define PROJECTILE_H

#include <cstdint>

#include "actor_moves.h"
#include "projectile_pool.h"

class ZEL_ListAnimData;
class ZEL_Path;

// A body thrown along a gravity path: a bullet or a dropping. At each
// action it takes the next point of its path, reacts to a wall it touches,
// and moves while that point keeps it inside the world; otherwise it leaves
// the space. Each kind says what a wall does to it and what follows a move.
// Made by its kind (fire, drop); deleted by its kind's pool once it has
// left the space.
class Projectile : public GameActif {
 public:
  ~Projectile() override;

  void go();

 protected:
  // At (x, y) with speed (vx, vy), going.
  Projectile(int x, int y, float vx, float vy, int period, ZEL_ListAnimData* anims, int type);

  // At the point it was at before this action's move.
  virtual void meetWall() = 0;
  virtual void afterMove() {}
  // Out of the space, kept by its kind's pool until it can be deleted.
  virtual void leave() = 0;

  ZEL_Path* path;
};

// One kind of projectile: its own wall sample, and its own pool, which
// keeps it once it has left the space.
template <class Kind>
class ProjectileKind : public Projectile {
 public:
  static int32_t BRUITAGE_WALL;

 protected:
  using Projectile::Projectile;

  void leave() override { ProjectilePool<Kind>::leave(static_cast<Kind*>(this)); }

 public:
  int stateNumber() override {
    static void (Kind::*const STATES[])() = {&Projectile::go, &Kind::hit};
    return numberAmong(STATES);
  }
};

template <class Kind>
int32_t ProjectileKind<Kind>::BRUITAGE_WALL = 0;

#endif
