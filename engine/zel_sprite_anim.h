#ifndef ZEL_SPRITE_ANIM_H
#define ZEL_SPRITE_ANIM_H

#include <cstdint>

#include "zel_rect.h"
#include "zel_vector.h"

class ZEL_AnimData;
class ZEL_Grafbox;
class ZEL_Surface;

// One actor's playback of one animation: the frame shown and the draws
// spent on it. Frames, boxes and delays stay shared in the animation,
// which must outlive it. Made and destroyed by its actor.
class ZEL_SpriteAnim {
 public:
  ZEL_SpriteAnim(int tag, ZEL_AnimData* a);

  // Advances one step, then draws the current frame at (x, y). Each value
  // is cut to 16 bits, read by the blit as signed: 65535 is -1.
  void draw(unsigned int x, unsigned int y, ZEL_Grafbox* g);

  // The current frame's bound box, shared with the animation.
  ZEL_Rect* getCurrentBoundBox();

  // True while the last frame is shown.
  bool endOfCurrentAnim();

  unsigned int get_largeur() { return largeur; }
  unsigned int get_hauteur() { return hauteur; }
  unsigned int getCurrentFrame() { return currentFrame; }

 private:
  [[maybe_unused]] int32_t tag;  // kept as given; nothing reads it
  uint32_t currentFrame;
  uint32_t nbFrames;
  ZEL_Vector<ZEL_Surface>* frames;
  ZEL_Vector<ZEL_Rect>* boundBoxes;
  uint32_t stepCount;
  ZEL_Vector<unsigned int>* delays;
  uint32_t largeur;
  uint32_t hauteur;
};

#endif
