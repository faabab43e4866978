#ifndef GAME_SOUNDS_H
#define GAME_SOUNDS_H

#include "zel_actif.h"
#include "zel_sound_box.h"
#include "zel_space.h"

// Plays sample id, unpositioned, through the space's sound box (if any).
inline void playSample(int id) {
  ZEL_Space* space = ZEL_Actif::getSpace();
  if (space != nullptr && space->soundBox != nullptr) space->soundBox->PlaySample(id, 0, 0, 0);
}

#endif
