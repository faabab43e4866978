#ifndef FLY_H
#define FLY_H

#include <cstdint>

#include "actor_moves.h"

class ZEL_ListAnimData;

// The level's enemy: patrols at a fixed height across the world, lets a
// dropping fall when the player passes beneath, and leaves the space one
// action after a bullet hits it. Made and added by the program entry after
// the player, whom it finds in the space.
class mouche : public GameActif {
 public:
  static constexpr int TYPE = 0;
  static int32_t BRUITAGE_HIT;

  mouche(int x, int y, int period, ZEL_ListAnimData* anims, ZEL_ListAnimData* shitAnims);

  void go_right();
  void go_left();
  void strike();
  void death();
  // Called by a bullet: plays the hit sound; the fly dies at its next action.
  void hit();
  int stateNumber() override;

  int getDirection() { return direction; }
  int getStrikeCount() { return strikeCount; }
  ZEL_Actif* getTarget() { return targetActif; }

 private:
  int32_t direction;
  ZEL_Actif* targetActif;
  ZEL_ListAnimData* listAnimShit;
  int32_t strikeCount;
};

#endif
