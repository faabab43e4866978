#ifndef ZEL_SPACE_H
#define ZEL_SPACE_H

#include <cstdint>

#include "zel_event_manager.h"
#include "zel_sorted_vector.h"
#include "zel_vector.h"

class ZEL_Actif;
class ZEL_CollisionDetector;
class ZEL_Grafbox;
class ZEL_SoundBox;
class ZEL_TileMap;
class ZEL_Timer;
class ZEL_View;

// One client's private actors, ordered by priority then bottom edge. Made
// and destroyed by the space when a view of that client is added or
// removed; owns the actors it holds and deletes them when destroyed.
class association {
 public:
  explicit association(long idClient);
  ~association();
  association(const association&) = delete;
  association& operator=(const association&) = delete;

  bool is_from_client(long id) { return idClient == static_cast<int32_t>(id); }
  long get_id_client() { return idClient; }
  // Refuses an actor already held by a container.
  void add(ZEL_Actif* a);
  // Removes a if held, leaving it public-flagged and outside any container;
  // an actor held elsewhere is left as it is.
  bool kill(ZEL_Actif* a);
  bool holds(ZEL_Actif* a);
  void step();
  // The held actors, in their order.
  int getSize() { return actifs.getSize(); }
  ZEL_Actif* elementAt(int index) { return actifs.elementAt(index); }

 private:
  void renumber();

  int32_t idClient;
  ZEL_SortedVector<ZEL_Actif, lowerPriorityAndUpPerspectiveActif> actifs;
};

// The world of one level: its public actors in drawing order, its views,
// the client groups of private actors and the services actors reach
// through it. The program entry builds the one space (an event manager
// lives inside it, and only one can ever be made), steps it once per frame
// and destroys it at exit. It does not own its public actors, views, map,
// graphics box, timer or sound box.
class ZEL_Space {
 public:
  // Public actors in all spaces together.
  static constexpr int32_t MAX_ACTIFS = 5000;
  static constexpr int MAX_ASSOCIATIONS = 300;

  ZEL_Space(ZEL_Grafbox* g, ZEL_Timer* t, ZEL_TileMap* map, bool withDetector);
  ZEL_Space(ZEL_Grafbox* g, ZEL_Timer* t, ZEL_TileMap* map, ZEL_SoundBox* sound, bool withDetector);
  ZEL_Space(ZEL_Grafbox* g, ZEL_Timer* t, bool withDetector);
  ZEL_Space(ZEL_Grafbox* g, ZEL_Timer* t, ZEL_SoundBox* sound, bool withDetector);
  // Destroys the client groups (and their actors) and the detector.
  virtual ~ZEL_Space();
  ZEL_Space(const ZEL_Space&) = delete;
  ZEL_Space& operator=(const ZEL_Space&) = delete;

  // Makes a public, in drawing order. Refused (with a message) beyond
  // MAX_ACTIFS public actors, and (silently) for an actor already held by
  // a container; the caller keeps a refused actor.
  void add(ZEL_Actif* a);
  // Removes a public actor without deleting it: false if it was not one.
  bool kill(ZEL_Actif* a);
  // Removes a from the space or from its group, then deletes it.
  bool killAndDestroy(ZEL_Actif* a);
  void transvase_public_to_private(ZEL_Actif* a, long idClient);
  void transvase_private_to_public(ZEL_Actif* a, long idClient);
  // Restores the drawing order after a's y changed (from setYworld).
  void sort(ZEL_Actif* a, int oldX, int oldY);
  void sleep();
  void wakeUp();
  bool collision(ZEL_Actif* a, ZEL_Actif* b);
  static int getNbActifs() { return nb_actifs; }

  // Appends the view and makes a group for its client, if a slot is free.
  void add(ZEL_View* v);
  // Removes the view and destroys its client's first group.
  void kill(ZEL_View* v);

  // One frame: input, actors, groups, views, input clearing, events.
  void step();

  // The public actors, in drawing order.
  int getActifCount() { return actifs.getSize(); }
  ZEL_Actif* getActif(int index) { return actifs.elementAt(index); }
  ZEL_CollisionDetector* getCollisionDetector() { return collisionDetector; }
  association* getAssociation(int slot);
  // The client of the first group holding a, or -1.
  long findClientOf(ZEL_Actif* a);
  // Re-inserts a private actor in its group after its priority changed.
  void reinsertPrivate(ZEL_Actif* a);

 private:
  void init(ZEL_Grafbox* g, ZEL_Timer* t, ZEL_TileMap* map, ZEL_SoundBox* sound, bool withDetector);
  void renumberFrom(int index);
  association* findAssociation(long idClient);

  ZEL_EventManager eventManager;
  ZEL_CollisionDetector* collisionDetector;
  int32_t screenWidth;
  int32_t screenHeight;

 public:
  // Read by the actors: the world's bounds and the shared services.
  int32_t worldWidth;
  int32_t worldHeight;

 private:
  ZEL_SortedVector<ZEL_Actif, lowerUpPerspectiveActif> actifs;
  ZEL_Vector<ZEL_View> views;
  association* associations[MAX_ASSOCIATIONS];

 public:
  ZEL_TileMap* tileMap;
  ZEL_Grafbox* grafbox;
  ZEL_Timer* timer;
  ZEL_SoundBox* soundBox;

 private:
  static int32_t nb_actifs;
};

#endif
