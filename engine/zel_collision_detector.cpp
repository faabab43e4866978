#include "zel_collision_detector.h"

#include <cstring>

#include "zel_actif.h"
#include "zel_fatal.h"
#include "zel_space.h"

bool ZEL_CollisionDetector::instanciated_once = false;
uint8_t ZEL_CollisionDetector::collision_tab[MAX_SLOTS * MAX_SLOTS];
uint8_t ZEL_CollisionDetector::index_already_taken[MAX_SLOTS];
ZEL_Hashtable<int, ZEL_Actif>* ZEL_CollisionDetector::translation_tab = nullptr;
ZEL_Space* ZEL_CollisionDetector::space = nullptr;
int ZEL_CollisionDetector::slot_numbers[MAX_SLOTS];

namespace {

uint8_t& cell(uint8_t* table, int32_t s, int32_t t) {
  return table[static_cast<size_t>(s) * ZEL_CollisionDetector::MAX_SLOTS + t];
}

}  // namespace

ZEL_CollisionDetector::ZEL_CollisionDetector() {
  if (instanciated_once) {
    ZEL_fatal("Attention, il n'est pas permis d'instancier plusieurs ZEL_CollisionDetector!\n");
  }
  instanciated_once = true;
  memset(collision_tab, 0, sizeof collision_tab);
  memset(index_already_taken, 0, sizeof index_already_taken);
  if (translation_tab == nullptr) translation_tab = new ZEL_Hashtable<int, ZEL_Actif>();
  translation_tab->empty();
  for (int32_t s = 0; s < MAX_SLOTS; ++s) slot_numbers[s] = s;
}

ZEL_CollisionDetector::~ZEL_CollisionDetector() { instanciated_once = false; }

void ZEL_CollisionDetector::setSpace(ZEL_Space* s) { space = s; }

void ZEL_CollisionDetector::step() {}

int ZEL_CollisionDetector::slotOf(ZEL_Actif* a) {
  if (translation_tab == nullptr) return -1;
  const int* slot = translation_tab->getValueWhereKey(a);
  return slot == nullptr ? -1 : *slot;
}

bool ZEL_CollisionDetector::collision(ZEL_Actif* a, ZEL_Actif* b) {
  const int s = slotOf(a);
  const int t = slotOf(b);
  if (s < 0 || t < 0) return false;
  if (!a->isVisible() || !b->isVisible()) return false;
  if (a->isPublic() && b->isPublic()) return cell(collision_tab, s, t) != 0;
  return a->collisionLowLevel(b);
}

void ZEL_CollisionDetector::hasMoved(ZEL_Actif* a, int, int, int) {
  int32_t slot = slotOf(a);
  if (slot < 0) {
    for (slot = 0; slot < MAX_SLOTS && index_already_taken[slot] != 0; ++slot) {
    }
    if (slot == MAX_SLOTS) return;  // no slot left: never collides here
    index_already_taken[slot] = 1;
    translation_tab->addValueWhereKey(&slot_numbers[slot], a);
  }
  refresh(slot, a);
}

// The refreshed window is every public actor. Bound boxes may reach beyond
// their frames and animations change height without the space knowing, so
// no narrower window of the drawing order is exact for every pair.
void ZEL_CollisionDetector::refresh(int32_t slot, ZEL_Actif* a) {
  if (space == nullptr) return;
  const int size = space->getActifCount();
  for (int i = 0; i < size; ++i) {
    ZEL_Actif* e = space->getActif(i);
    const int t = e == nullptr ? -1 : slotOf(e);
    if (t < 0) continue;
    const uint8_t hit = e->collisionLowLevel(a) ? 1 : 0;
    cell(collision_tab, slot, t) = hit;
    cell(collision_tab, t, slot) = hit;
  }
}

void ZEL_CollisionDetector::hasBeenKilled(ZEL_Actif* a) {
  if (translation_tab == nullptr) return;
  int* slot = translation_tab->getValueWhereKey(a);
  if (slot == nullptr) return;
  index_already_taken[*slot] = 0;
  translation_tab->removeValueWhereKey(a);
}
