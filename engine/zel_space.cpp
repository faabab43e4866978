#include "zel_space.h"

#include <cstdio>

#include "zel_actif.h"
#include "zel_collision_detector.h"
#include "zel_grafbox.h"
#include "zel_input_impl.h"
#include "zel_tile_map.h"
#include "zel_view.h"

int32_t ZEL_Space::nb_actifs = 0;

association::association(long id) : idClient(static_cast<int32_t>(id)) {}

association::~association() {
  for (int i = 0; i < actifs.getSize(); ++i) delete actifs.elementAt(i);
}

void association::renumber() {
  for (int i = 0; i < actifs.getSize(); ++i) actifs.elementAt(i)->setSpaceIndex(i);
}

void association::add(ZEL_Actif* a) {
  if (a->getSpaceIndex() != -1) return;  // never held twice
  actifs.add(a);
  a->setPrivateFlag(true);
  renumber();
}

bool association::kill(ZEL_Actif* a) {
  if (actifs.remove(a) == nullptr) return false;  // another group's actor keeps its place
  a->setPrivateFlag(false);
  a->setSpaceIndex(-1);
  renumber();
  return true;
}

bool association::holds(ZEL_Actif* a) {
  for (int i = 0; i < actifs.getSize(); ++i) {
    if (actifs.elementAt(i) == a) return true;
  }
  return false;
}

void association::step() {
  for (int i = 0; i < actifs.getSize(); ++i) actifs.elementAt(i)->step();
}

ZEL_Space::ZEL_Space(ZEL_Grafbox* g, ZEL_Timer* t, ZEL_TileMap* map, bool withDetector) {
  init(g, t, map, nullptr, withDetector);
}

ZEL_Space::ZEL_Space(ZEL_Grafbox* g, ZEL_Timer* t, ZEL_TileMap* map, ZEL_SoundBox* sound,
                     bool withDetector) {
  init(g, t, map, sound, withDetector);
}

ZEL_Space::ZEL_Space(ZEL_Grafbox* g, ZEL_Timer* t, bool withDetector) {
  init(g, t, nullptr, nullptr, withDetector);
}

ZEL_Space::ZEL_Space(ZEL_Grafbox* g, ZEL_Timer* t, ZEL_SoundBox* sound, bool withDetector) {
  init(g, t, nullptr, sound, withDetector);
}

void ZEL_Space::init(ZEL_Grafbox* g, ZEL_Timer* t, ZEL_TileMap* map, ZEL_SoundBox* sound,
                     bool withDetector) {
  for (association*& slot : associations) slot = nullptr;
  tileMap = map;
  timer = t;
  grafbox = g;
  soundBox = sound;
  screenWidth = g->get_largeur();
  screenHeight = g->get_hauteur();
  // Copied once: a map edited later does not change the world's bounds.
  worldWidth = map != nullptr ? map->get_largeur() : screenWidth;
  worldHeight = map != nullptr ? map->get_hauteur() : screenHeight;
  ZEL_CollisionDetector::setSpace(this);
  collisionDetector = withDetector ? new ZEL_CollisionDetector() : nullptr;
}

// The space made its detector and nobody else holds it: it goes too.
ZEL_Space::~ZEL_Space() {
  for (association*& slot : associations) {
    delete slot;
    slot = nullptr;
  }
  delete collisionDetector;
}

void ZEL_Space::renumberFrom(int index) {
  for (int i = index < 0 ? 0 : index; i < actifs.getSize(); ++i) actifs.elementAt(i)->setSpaceIndex(i);
}

void ZEL_Space::add(ZEL_Actif* a) {
  if (nb_actifs >= MAX_ACTIFS) {
    printf("Attention, vous avez d\xe9pass\xe9 le nombre max d'actifs qui vaut %d\n", MAX_ACTIFS);
    return;
  }
  if (a->getSpaceIndex() != -1) return;  // already in a container: never held twice
  const int position = actifs.add(a);
  renumberFrom(position);
  ++nb_actifs;
  a->setPrivateFlag(false);
  if (collisionDetector != nullptr) {
    collisionDetector->hasMoved(a, static_cast<int>(a->getXworld()), static_cast<int>(a->getYworld()),
                                a->getSpaceIndex());
  }
}

bool ZEL_Space::kill(ZEL_Actif* a) {
  const bool wasPublic = a->isPublic() && actifs.remove(a) != nullptr;
  if (wasPublic) {
    --nb_actifs;
    a->setSpaceIndex(-1);
  }
  renumberFrom(0);
  return wasPublic;
}

bool ZEL_Space::killAndDestroy(ZEL_Actif* a) {
  if (a == nullptr) return false;
  if (a->isPrivate()) {
    for (association* group : associations) {
      if (group != nullptr && group->holds(a)) {
        group->kill(a);
        break;
      }
    }
  }
  const bool wasPublic = kill(a);
  delete a;  // its destructor frees its detector slot
  return wasPublic;
}

association* ZEL_Space::findAssociation(long idClient) {
  for (association* group : associations) {
    if (group != nullptr && group->is_from_client(idClient)) return group;
  }
  return nullptr;
}

association* ZEL_Space::getAssociation(int slot) {
  return slot >= 0 && slot < MAX_ASSOCIATIONS ? associations[slot] : nullptr;
}

void ZEL_Space::transvase_public_to_private(ZEL_Actif* a, long idClient) {
  association* group = findAssociation(idClient);
  if (group != nullptr && kill(a)) group->add(a);
}

void ZEL_Space::transvase_private_to_public(ZEL_Actif* a, long idClient) {
  association* group = findAssociation(idClient);
  if (group != nullptr && group->kill(a)) add(a);
}

long ZEL_Space::findClientOf(ZEL_Actif* a) {
  for (association* group : associations) {
    if (group != nullptr && group->holds(a)) return group->get_id_client();
  }
  return -1;
}

void ZEL_Space::reinsertPrivate(ZEL_Actif* a) {
  for (association* group : associations) {
    if (group != nullptr && group->kill(a)) {
      group->add(a);
      return;
    }
  }
}

void ZEL_Space::sort(ZEL_Actif* a, int oldX, int oldY) {
  if (a->isPrivate() || a->getSpaceIndex() == -1 || actifs.getSize() < 2) return;
  const int i = a->getSpaceIndex();
  const bool beforePrevious = i > 0 && lowerUpPerspectiveActif(actifs.elementAt(i), actifs.elementAt(i - 1));
  const bool afterNext =
      i < actifs.getSize() - 1 && lowerUpPerspectiveActif(actifs.elementAt(i + 1), actifs.elementAt(i));
  if (!beforePrevious && !afterNext) return;
  kill(a);
  add(a);
  if (collisionDetector != nullptr) collisionDetector->hasMoved(a, oldX, oldY, i);
}

void ZEL_Space::sleep() {
  const int n = actifs.getSize();
  for (int i = 0; i < n; ++i) {
    if (ZEL_Actif* a = actifs.elementAt(i)) a->sleep();
  }
}

void ZEL_Space::wakeUp() {
  const int n = actifs.getSize();
  for (int i = 0; i < n; ++i) {
    if (ZEL_Actif* a = actifs.elementAt(i)) a->wakeUp();
  }
}

bool ZEL_Space::collision(ZEL_Actif* a, ZEL_Actif* b) {
  return collisionDetector != nullptr ? collisionDetector->collision(a, b) : a->collisionLowLevel(b);
}

void ZEL_Space::add(ZEL_View* v) {
  views.add(v);
  for (association*& slot : associations) {
    if (slot == nullptr) {
      slot = new association(v->get_id_client());
      return;
    }
  }
}

void ZEL_Space::kill(ZEL_View* v) {
  views.remove(v);
  for (association*& slot : associations) {
    if (slot != nullptr && slot->is_from_client(v->get_id_client())) {
      delete slot;
      slot = nullptr;
      return;
    }
  }
}

void ZEL_Space::step() {
  ZEL_InputImpl::update();
  // The size is read at each turn: actors may add or kill actors here.
  for (int i = 0; i < actifs.getSize(); ++i) {
    if (ZEL_Actif* a = actifs.elementAt(i)) a->step();
  }
  for (association* group : associations) {
    if (group != nullptr) group->step();
  }
  for (int i = 0; i < views.getSize(); ++i) views.elementAt(i)->draw();
  ZEL_InputImpl::clear();
  eventManager.step();
}
