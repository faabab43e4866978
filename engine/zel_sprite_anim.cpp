#include "zel_sprite_anim.h"

#include "zel_anim_data.h"
#include "zel_grafbox.h"

ZEL_SpriteAnim::ZEL_SpriteAnim(int t, ZEL_AnimData* a)
    : tag(t), currentFrame(0), nbFrames(a->getNbFrames()), frames(a->getFrames()),
      boundBoxes(a->getBoundBoxes()), stepCount(0), delays(a->getDelays()),
      largeur(a->get_largeur()), hauteur(a->get_hauteur()) {}

void ZEL_SpriteAnim::draw(unsigned int x, unsigned int y, ZEL_Grafbox* g) {
  if (nbFrames == 0) return;
  if (stepCount < *delays->elementAt(static_cast<int>(currentFrame))) {
    ++stepCount;
  } else {
    currentFrame = currentFrame == nbFrames - 1 ? 0 : currentFrame + 1;
    stepCount = 0;
  }
  g->put_sprite(frames->elementAt(static_cast<int>(currentFrame)), static_cast<unsigned short>(x),
                static_cast<unsigned short>(y), static_cast<unsigned short>(largeur),
                static_cast<unsigned short>(hauteur));
}

ZEL_Rect* ZEL_SpriteAnim::getCurrentBoundBox() {
  return boundBoxes->elementAt(static_cast<int>(currentFrame));
}

bool ZEL_SpriteAnim::endOfCurrentAnim() { return currentFrame + 1 >= nbFrames; }
