#include "zel_actif.h"

#include <cstdlib>
#include <cstring>

#include "zel_alloc.h"
#include "zel_anim_data.h"
#include "zel_collision_detector.h"
#include "zel_fatal.h"
#include "zel_list_anim_data.h"
#include "zel_space.h"
#include "zel_sprite_anim.h"

ZEL_Space* ZEL_Actif::my_espace = nullptr;

namespace {

// The tag every playback state gets; nothing reads it.
const int SPRITE_TAG = 1;

// A position plus a box coordinate, wrapped to 32 bits and read unsigned.
uint32_t edge(int32_t position, int32_t offset) {
  return static_cast<uint32_t>(position) + static_cast<uint32_t>(offset);
}

// An inclusive box's edges in the world, read as edge() reads them.
struct Edges {
  uint32_t left, top, right, bottom;
};

Edges placed(int32_t x, int32_t y, const ZEL_Rect* box) {
  return {edge(x, box->x1), edge(y, box->y1), edge(x, box->x2), edge(y, box->y2)};
}

// True when the two boxes share a pixel.
bool overlaps(const Edges& a, const Edges& b) {
  return !(a.right < b.left) && !(a.left > b.right) && !(a.bottom < b.top) && !(a.top > b.bottom);
}

}  // namespace

ZEL_Actif::ZEL_Actif(int period, ZEL_ListAnimData* list, long x, long y, int t)
    : xRef(0),
      yRef(0),
      xworld(static_cast<int32_t>(x)),
      yworld(static_cast<int32_t>(y)),
      privateFlag(false),
      spaceIndex(-1),
      priority(DEFAULT_PRIORITY),
      visible(list != nullptr),
      type(t),
      stepCounter(0),
      stepPeriod(period),
      spriteAnims(nullptr),
      nbSpriteAnims(0),
      currentSpriteAnim(nullptr),
      currentAction(&ZEL_Actif::sleep),
      savedAction(&ZEL_Actif::sleep) {
  contextualText[0] = '\0';
  if (list == nullptr) return;
  const int32_t count = list->nbAnims < 0 ? 0 : list->nbAnims;
  spriteAnims = zel_alloc::array<ZEL_SpriteAnim*>(count > 0 ? count : 1, [] {
                  ZEL_fatal("pas assez de memoire pour allouer la liste de sprites animees ");
                }).release();
  for (int32_t i = 0; i < count; ++i) spriteAnims[i] = new ZEL_SpriteAnim(SPRITE_TAG, list->anims[i]);
  nbSpriteAnims = count;
  currentSpriteAnim = count > 0 ? spriteAnims[0] : nullptr;
}

ZEL_Actif::~ZEL_Actif() {
  ZEL_CollisionDetector::hasBeenKilled(this);
  for (int32_t i = 0; i < nbSpriteAnims; ++i) delete spriteAnims[i];
  delete[] spriteAnims;
}

void ZEL_Actif::setXworld(long x) { xworld = static_cast<int32_t>(x); }

void ZEL_Actif::setYworld(long y) {
  const int32_t oldX = xworld;
  const int32_t oldY = yworld;
  yworld = static_cast<int32_t>(y);
  getSpace()->sort(this, oldX, oldY);
}

bool ZEL_Actif::isMovable() { return false; }
bool ZEL_Actif::isActionable() { return false; }
bool ZEL_Actif::isContainer() { return false; }
bool ZEL_Actif::isExtended() { return false; }
void ZEL_Actif::setVisible() { visible = true; }
void ZEL_Actif::unsetVisible() { visible = false; }

void ZEL_Actif::setSpace(ZEL_Space* space) { my_espace = space; }
ZEL_Space* ZEL_Actif::getSpace() { return my_espace; }

void ZEL_Actif::setContextualText(const char* text) {
  strncpy(contextualText, text, CONTEXTUAL_TEXT_SIZE - 1);
  contextualText[CONTEXTUAL_TEXT_SIZE - 1] = '\0';
}

int ZEL_Actif::get_largeur() {
  return currentSpriteAnim == nullptr ? 0 : static_cast<int>(currentSpriteAnim->get_largeur());
}

int ZEL_Actif::get_hauteur() {
  return currentSpriteAnim == nullptr ? 0 : static_cast<int>(currentSpriteAnim->get_hauteur());
}

void ZEL_Actif::setCurrentSpriteAnim(int index) {
  if (index >= 0 && index < nbSpriteAnims) currentSpriteAnim = spriteAnims[index];
}

int ZEL_Actif::getCurrentSpriteAnimIndex() {
  for (int32_t i = 0; i < nbSpriteAnims; ++i) {
    if (spriteAnims[i] == currentSpriteAnim) return i;
  }
  return -1;
}

void ZEL_Actif::step() {
  if (stepCounter < stepPeriod) {
    ++stepCounter;
  } else {
    stepCounter = 0;
  }
  if (stepCounter == stepPeriod) executeCurrentAction();
}

void ZEL_Actif::executeCurrentAction() { (this->*currentAction)(); }

void ZEL_Actif::sleep() {
  if (currentAction == &ZEL_Actif::sleep) return;
  savedAction = currentAction;
  currentAction = &ZEL_Actif::sleep;
}

void ZEL_Actif::wakeUp() { currentAction = savedAction; }

void ZEL_Actif::draw(long viewX, long viewY, int screenX, int screenY, int, int) {
  const int32_t vx = static_cast<int32_t>(viewX);
  const int32_t vy = static_cast<int32_t>(viewY);
  if (privateFlag) {
    // Fixed on screen: follow the view's moves since the last draw. Direct
    // writes, so no re-sort.
    xworld += vx - xRef;
    yworld += vy - yRef;
    xRef = vx;
    yRef = vy;
  }
  if (!visible || currentSpriteAnim == nullptr) return;
  currentSpriteAnim->draw(static_cast<unsigned int>(xworld - vx + screenX),
                          static_cast<unsigned int>(yworld - vy + screenY), my_espace->grafbox);
}

void ZEL_Actif::setPriority(int p) {
  priority = p;
  if (my_espace == nullptr) return;
  if (my_espace->kill(this)) {
    my_espace->add(this);  // the space's order ignores priority
    return;
  }
  my_espace->reinsertPrivate(this);
}

long ZEL_Actif::getIdClient() {
  if (isPublic()) return -1;
  return my_espace == nullptr ? -1 : my_espace->findClientOf(this);
}

int32_t ZEL_Actif::getDistance(ZEL_Actif* other) {
  const uint32_t dx = static_cast<uint32_t>(xworld) - static_cast<uint32_t>(other->xworld);
  const uint32_t dy = static_cast<uint32_t>(yworld) - static_cast<uint32_t>(other->yworld);
  return static_cast<int32_t>(dx * dx + dy * dy);
}

bool ZEL_Actif::collisionLowLevel(ZEL_Actif* other) {
  if (currentSpriteAnim == nullptr || other->currentSpriteAnim == nullptr) return false;
  return overlaps(placed(xworld, yworld, currentSpriteAnim->getCurrentBoundBox()),
                  placed(other->xworld, other->yworld, other->currentSpriteAnim->getCurrentBoundBox()));
}

bool ZEL_Actif::collision(int x, int y) {
  if (currentSpriteAnim == nullptr) return false;
  const uint32_t ux = static_cast<uint32_t>(x);
  const uint32_t uy = static_cast<uint32_t>(y);
  return overlaps(placed(xworld, yworld, currentSpriteAnim->getCurrentBoundBox()), {ux, uy, ux, uy});
}

bool ZEL_Actif::collision(int x, int y, int w, int h) {
  if (currentSpriteAnim == nullptr) return false;
  const Edges area = {static_cast<uint32_t>(x), static_cast<uint32_t>(y), edge(x, w), edge(y, h)};
  return overlaps(placed(xworld, yworld, currentSpriteAnim->getCurrentBoundBox()), area);
}

bool ZEL_Actif::collision(ZEL_Actif* other) { return my_espace->collision(this, other); }
