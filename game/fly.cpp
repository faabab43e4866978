#include "fly.h"

#include "game_sounds.h"
#include "player1.h"
#include "shit.h"
#include "zel_space.h"

int32_t mouche::BRUITAGE_HIT = 0;

namespace {
const int RIGHT_ANIM = 0;
const int LEFT_ANIM = 1;
const int STEP_PIXELS = 4;
// The watch window: pixels ahead of the fly's left edge in its direction of
// travel, and behind it.
const int WATCH_AHEAD = 64;
const int WATCH_BEHIND = 48;
// Strikes between droppings; starting there drops at the first strike.
const int32_t STRIKES_PER_DROP = 35;
const int SHIT_PERIOD = 1;
}  // namespace

mouche::mouche(int x, int y, int period, ZEL_ListAnimData* anims, ZEL_ListAnimData* shitAnims)
    : GameActif(period, anims, x, y, TYPE),
      direction(1),
      targetActif(findFirstActif(player1::TYPE)),
      listAnimShit(shitAnims),
      strikeCount(STRIKES_PER_DROP) {
  currentAction = action(&mouche::go_right);
}

void mouche::go_right() {
  const uint32_t limit = static_cast<uint32_t>(getSpace()->worldWidth - get_largeur());
  if (static_cast<uint32_t>(xworld + STEP_PIXELS) > limit) {  // unsigned, on purpose
    direction = -1;
    goTo(&mouche::go_left, LEFT_ANIM);
  } else {
    setXworld(xworld + direction * STEP_PIXELS);
  }
  if (isTargetWithin(targetActif, xworld, WATCH_BEHIND, WATCH_AHEAD)) goTo(&mouche::strike, RIGHT_ANIM);
}

void mouche::go_left() {
  if (xworld - STEP_PIXELS < 0) {
    direction = 1;
    goTo(&mouche::go_right, RIGHT_ANIM);
  } else {
    setXworld(xworld + direction * STEP_PIXELS);
  }
  if (isTargetWithin(targetActif, xworld, WATCH_AHEAD, WATCH_BEHIND)) goTo(&mouche::strike, LEFT_ANIM);
}

void mouche::strike() {
  if (strikeCount < STRIKES_PER_DROP) {
    ++strikeCount;
    if (direction < 0) {
      goTo(&mouche::go_left, LEFT_ANIM);
    } else {
      goTo(&mouche::go_right, RIGHT_ANIM);
    }
    return;
  }
  shit::drop(xworld, yworld, 0.0f, 0.0f, SHIT_PERIOD, listAnimShit);
  strikeCount = 0;
  const bool wasGoingLeft = direction <= 0;
  direction = -direction;
  if (wasGoingLeft) {
    goTo(&mouche::go_right, RIGHT_ANIM);
  } else {
    goTo(&mouche::go_left, LEFT_ANIM);
  }
}

void mouche::death() { getSpace()->kill(this); }

void mouche::hit() {
  playSample(BRUITAGE_HIT);
  currentAction = action(&mouche::death);
}

int mouche::stateNumber() {
  static void (mouche::*const STATES[])() = {&mouche::go_right, &mouche::go_left, &mouche::strike,
                                             &mouche::death};
  return numberAmong(STATES);
}
