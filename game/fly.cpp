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
    : ZEL_Actif(period, anims, x, y, TYPE), direction(1), targetActif(nullptr),
      listAnimShit(shitAnims), strikeCount(STRIKES_PER_DROP) {
  currentAction = static_cast<Action>(&mouche::go_right);
  ZEL_Space* space = getSpace();
  for (int i = 0; space != nullptr && i < space->getActifCount(); ++i) {
    ZEL_Actif* a = space->getActif(i);
    if (a != nullptr && a->getType() == player1::TYPE) {
      targetActif = a;
      break;
    }
  }
}

void mouche::goTo(Action state, int anim) {
  currentAction = state;
  setCurrentSpriteAnim(anim);
}

void mouche::go_right() {
  const uint32_t limit = static_cast<uint32_t>(getSpace()->worldWidth - get_largeur());
  if (static_cast<uint32_t>(xworld + STEP_PIXELS) > limit) {  // unsigned, on purpose
    direction = -1;
    goTo(static_cast<Action>(&mouche::go_left), LEFT_ANIM);
  } else {
    setXworld(xworld + direction * STEP_PIXELS);
  }
  if (targetActif != nullptr && xworld - WATCH_BEHIND <= targetActif->getXworld() &&
      targetActif->getXworld() <= xworld + WATCH_AHEAD) {
    goTo(static_cast<Action>(&mouche::strike), RIGHT_ANIM);
  }
}

void mouche::go_left() {
  if (xworld - STEP_PIXELS < 0) {
    direction = 1;
    goTo(static_cast<Action>(&mouche::go_right), RIGHT_ANIM);
  } else {
    setXworld(xworld + direction * STEP_PIXELS);
  }
  if (targetActif != nullptr && xworld - WATCH_AHEAD <= targetActif->getXworld() &&
      targetActif->getXworld() <= xworld + WATCH_BEHIND) {
    goTo(static_cast<Action>(&mouche::strike), LEFT_ANIM);
  }
}

void mouche::strike() {
  if (strikeCount < STRIKES_PER_DROP) {
    ++strikeCount;
    if (direction < 0) {
      goTo(static_cast<Action>(&mouche::go_left), LEFT_ANIM);
    } else {
      goTo(static_cast<Action>(&mouche::go_right), RIGHT_ANIM);
    }
    return;
  }
  shit::drop(xworld, yworld, 0.0f, 0.0f, SHIT_PERIOD, listAnimShit);
  strikeCount = 0;
  const bool wasGoingLeft = direction <= 0;
  direction = -direction;
  if (wasGoingLeft) {
    goTo(static_cast<Action>(&mouche::go_right), RIGHT_ANIM);
  } else {
    goTo(static_cast<Action>(&mouche::go_left), LEFT_ANIM);
  }
}

void mouche::death() { getSpace()->kill(this); }

void mouche::hit() {
  playSample(BRUITAGE_HIT);
  currentAction = static_cast<Action>(&mouche::death);
}
