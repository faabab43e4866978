#ifndef ACTOR_MOVES_H
#define ACTOR_MOVES_H

#include <cstddef>
#include <cstdint>

#include "zel_actif.h"

class ZEL_Path;

// Physics the game's actor kinds share, in single precision as the gravity
// path takes it.
const float GRAVITY = 9.81f;              // pixels per time unit squared, pulling down
const float WALKER_TIME_STEP = 0.5f;      // time units per action of a fall or a jump
const float PROJECTILE_TIME_STEP = 0.1f;  // time units per action of a bullet or a dropping

// The bullet that the player and the soldier fire: its speed (x negated to
// the left, y upward), its action period, and how far left of the shooter
// it starts when fired left.
const float BULLET_VX = 190.0f;
const float BULLET_VY = -170.1f;
const int BULLET_PERIOD = 1;
const int LEFT_MUZZLE = 5;

// A state of kind T as the engine stores it; only ever run on a T.
template <class T>
ZEL_Actif::Action action(void (T::*state)()) {
  return static_cast<ZEL_Actif::Action>(state);
}

// The first actor in the space, in index order, of the given type; null
// when none (or no space yet).
ZEL_Actif* findFirstActif(int type);

// True when target is set and its x lies in [x - behind, x + ahead].
bool isTargetWithin(ZEL_Actif* target, long x, int behind, int ahead);

// The next point of a path: calculate_next_location, then the location.
struct NextPoint {
  bool valid;
  int32_t x;
  int32_t y;
};
NextPoint nextPoint(ZEL_Path* path);

// A solid tile along any side of the actor's box, asked east, west, south,
// north, stopping at the first.
bool touchesWall(ZEL_Actif* a);

// The point keeps the actor's whole frame inside the world.
bool isInsideWorld(ZEL_Actif* a, const NextPoint& p);

// A solid tile under the actor's bottom edge.
bool isOnGround(ZEL_Actif* a);

// A fall or a jump from the actor's position at speed (vx, vy); the caller
// owns it.
ZEL_Path* newFlightPath(ZEL_Actif* a, float vx, float vy);

// The base of the game's actor kinds: switches state and animation
// together and follows gravity paths. Made as part of a kind; deleted like
// any actor.
class GameActif : public ZEL_Actif {
 public:
  // The current state's place in the kind's list of states: unlike the
  // state's address, the same in every build. -1 when it is none of them.
  virtual int stateNumber() = 0;

 protected:
  using ZEL_Actif::ZEL_Actif;

  template <class T, size_t N>
  int numberAmong(void (T::*const (&states)[N])()) {
    for (size_t i = 0; i < N; ++i) {
      if (getCurrentAction() == action(states[i])) return static_cast<int>(i);
    }
    return -1;
  }

  void goTo(Action state, int anim);
  template <class T>
  void goTo(void (T::*state)(), int anim) {
    goTo(action(state), anim);
  }

  // One action of a fall or a jump along path. On a floor (tested before
  // moving) the actor is lifted out of it pixel by pixel, rests on it and
  // landingSample plays; otherwise it moves to the next point if that
  // stays inside the world and shows eastAnim or westAnim by the path's
  // heading (north and south keep the animation). True when it moved;
  // false when the flight is over, the actor where it was.
  bool flyAlong(ZEL_Path* path, int32_t landingSample, int eastAnim, int westAnim);
  // After a flight: goes to the west state and animation if path last
  // headed west, else to the east ones; deletes path and sets it to null.
  void endFlight(ZEL_Path*& path, Action east, int eastAnim, Action west, int westAnim);
};

#endif
