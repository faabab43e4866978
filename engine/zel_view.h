#ifndef ZEL_VIEW_H
#define ZEL_VIEW_H

#include <cstdint>

#include "zel_point.h"
#include "zel_trackable2d.h"

class ZEL_Actif;
class ZEL_Grafbox;
class ZEL_Space;
class ZEL_Tracker2D;

// A camera and a viewport: a rectangle of the screen showing the world
// from an origin kept centred on an actor and held inside the world. Its
// owner creates it and calls draw() once per frame (or adds it to the
// space, whose step draws it). It owns none of the objects it points to
// and must not outlive them.
class ZEL_View : public ZEL_Trackable2D {
 public:
  // A width or height of 0 takes the graphics box's whole screen.
  ZEL_View(long id, ZEL_Space* space, ZEL_Grafbox* grafbox, ZEL_Actif* actif, int xscreen, int yscreen,
           int largeur, int hauteur);
  ~ZEL_View() override;
  ZEL_View(const ZEL_View&) = delete;
  ZEL_View& operator=(const ZEL_View&) = delete;

  // The point last given to follow.
  ZEL_Point getConsigne() const override;

  // Follows the actor, clips to the viewport and draws the map, the public
  // actors, then this client's private actors. The clipping stays set.
  virtual void draw();

  // Centres on (x, y) as far as the world allows (or lets the tracker move).
  void follow(long x, long y);
  void setTracker(ZEL_Tracker2D* t);
  ZEL_Tracker2D* getTracker() const { return tracker; }

  // Move the origin, clamped to the world; no move when the view is larger
  // than the world on that axis.
  void set_xscreen_world(long x);
  void set_yscreen_world(long y);
  long get_xscreen_world() { return xscreen_world; }
  long get_yscreen_world() { return yscreen_world; }

  // Move the origin by n if the whole move stays in the world: 1, else 0.
  int scroll_right(unsigned int n);
  int scroll_down(unsigned int n);
  int scroll_left(unsigned int n);

  long xscreen_to_xworld(unsigned int x) { return xscreen_world + static_cast<int32_t>(x); }
  long yscreen_to_yworld(unsigned int y) { return yscreen_world + static_cast<int32_t>(y); }
  long get_id_client() { return id_client; }
  int get_largeur() { return largeur; }
  int get_hauteur() { return hauteur; }

 private:
  // The world's size: the map's, or the space's bounds without a map.
  int32_t worldWidth();
  int32_t worldHeight();
  static int32_t clamp(long value, int32_t worldSize, int32_t viewSize, int32_t current);

  ZEL_Actif* actif;
  int32_t xscreen_world;
  int32_t yscreen_world;
  int32_t id_client;
  ZEL_Grafbox* grafbox;
  ZEL_Space* space;
  ZEL_Tracker2D* tracker;
  ZEL_Point consigne;
  int32_t largeur;
  int32_t hauteur;
  int32_t xscreen;
  int32_t yscreen;
};

#endif
