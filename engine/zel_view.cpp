#include "zel_view.h"

#include "zel_actif.h"
#include "zel_grafbox.h"
#include "zel_space.h"
#include "zel_tile_map.h"
#include "zel_tracker2d.h"

ZEL_View::ZEL_View(long id, ZEL_Space* s, ZEL_Grafbox* g, ZEL_Actif* a, int xs, int ys, int w, int h)
    : actif(a), xscreen_world(0), yscreen_world(0), id_client(static_cast<int32_t>(id)), grafbox(g),
      space(s), tracker(nullptr), consigne(0, 0), largeur(w), hauteur(h), xscreen(xs), yscreen(ys) {
  if (largeur == 0 || hauteur == 0) {
    largeur = grafbox->get_largeur();
    hauteur = grafbox->get_hauteur();
  }
  if (actif != nullptr) follow(actif->getXworld(), actif->getYworld());
}

ZEL_View::~ZEL_View() {}

ZEL_Point ZEL_View::getConsigne() const { return consigne; }

int32_t ZEL_View::worldWidth() {
  return space->tileMap != nullptr ? space->tileMap->get_largeur() : space->worldWidth;
}

int32_t ZEL_View::worldHeight() {
  return space->tileMap != nullptr ? space->tileMap->get_hauteur() : space->worldHeight;
}

int32_t ZEL_View::clamp(long value, int32_t worldSize, int32_t viewSize, int32_t current) {
  if (viewSize > worldSize) return current;
  const long last = static_cast<long>(worldSize) - viewSize;
  if (value < 0) return 0;
  return static_cast<int32_t>(value > last ? last : value);
}

void ZEL_View::set_xscreen_world(long x) { xscreen_world = clamp(x, worldWidth(), largeur, xscreen_world); }

void ZEL_View::set_yscreen_world(long y) { yscreen_world = clamp(y, worldHeight(), hauteur, yscreen_world); }

void ZEL_View::follow(long x, long y) {
  consigne = ZEL_Point(static_cast<double>(x), static_cast<double>(y));
  if (tracker == nullptr) {
    set_xscreen_world(x - largeur / 2);
    set_yscreen_world(y - hauteur / 2);
    return;
  }
  tracker->advance();
  set_xscreen_world(static_cast<long>(tracker->getPosition().x - largeur / 2));
  set_yscreen_world(static_cast<long>(tracker->getPosition().y - hauteur / 2));
}

void ZEL_View::setTracker(ZEL_Tracker2D* t) {
  if (t != nullptr) t->setPosition(tracker != nullptr ? tracker->getPosition() : consigne);
  tracker = t;
  if (t != nullptr) t->setTrackable(this);
}

// Never scrolls when the view is larger than the world on that axis.
int ZEL_View::scroll_right(unsigned int n) {
  const int64_t target = static_cast<int64_t>(xscreen_world) + n;
  if (largeur > worldWidth() || target > static_cast<int64_t>(worldWidth()) - largeur) return 0;
  xscreen_world = static_cast<int32_t>(target);
  return 1;
}

int ZEL_View::scroll_down(unsigned int n) {
  const int64_t target = static_cast<int64_t>(yscreen_world) + n;
  if (hauteur > worldHeight() || target > static_cast<int64_t>(worldHeight()) - hauteur) return 0;
  yscreen_world = static_cast<int32_t>(target);
  return 1;
}

int ZEL_View::scroll_left(unsigned int n) {
  if (static_cast<int64_t>(n) > xscreen_world) return 0;
  xscreen_world -= static_cast<int32_t>(n);
  return 1;
}

void ZEL_View::draw() {
  if (actif != nullptr) follow(actif->getXworld(), actif->getYworld());
  grafbox->set_clipping(static_cast<unsigned short>(xscreen), static_cast<unsigned short>(yscreen),
                        static_cast<unsigned short>(largeur), static_cast<unsigned short>(hauteur));
  if (space->tileMap != nullptr) {
    space->tileMap->draw(xscreen_world, yscreen_world, xscreen, yscreen, largeur, hauteur);
  }
  for (int i = 0; i < space->getActifCount(); ++i) {
    if (ZEL_Actif* a = space->getActif(i)) a->draw(xscreen_world, yscreen_world, xscreen, yscreen, largeur, hauteur);
  }
  for (int slot = 0; slot < ZEL_Space::MAX_ASSOCIATIONS; ++slot) {
    association* group = space->getAssociation(slot);
    if (group == nullptr || !group->is_from_client(id_client)) continue;
    for (int i = 0; i < group->getSize(); ++i) {
      group->elementAt(i)->draw(xscreen_world, yscreen_world, xscreen, yscreen, largeur, hauteur);
    }
    return;
  }
}
