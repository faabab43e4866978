#ifndef PROJECTILE_POOL_H
#define PROJECTILE_POOL_H

#include "zel_actif.h"
#include "zel_space.h"
#include "zel_vector.h"

// Projectiles that have left the space, kept until they can be deleted
// safely: when the next projectile of their kind is made (outside any
// scan, their own actions long returned) and at teardown.
template <class T>
class ProjectilePool {
 public:
  // Adds p to the space; a projectile refused at the actor limit is
  // deleted here. The projectile, or null.
  static T* launch(T* p) {
    ZEL_Actif::getSpace()->add(p);
    if (p->getSpaceIndex() == -1) {
      delete p;
      return nullptr;
    }
    return p;
  }

  // Takes p out of the space and keeps it until it can be deleted.
  static void leave(T* p) {
    if (ZEL_Actif::getSpace()->kill(p)) retired.add(p);
  }
  // Deletes the retired ones.
  static void reclaim() {
    while (retired.getSize() > 0) delete retired.remove(retired.getSize() - 1);
  }
  // Takes every projectile of this kind still in the space out of it, to
  // be reclaimed: at teardown, when some may still be in flight.
  static void retireAll() {
    ZEL_Space* space = ZEL_Actif::getSpace();
    for (int i = space->getActifCount() - 1; i >= 0; --i) {
      if (T* p = dynamic_cast<T*>(space->getActif(i))) leave(p);
    }
  }
  // Deletes the retired ones, then makes one and launches it.
  template <class... Args>
  static T* make(Args... args) {
    reclaim();
    return launch(new T(args...));
  }
  // At teardown: deletes every projectile of this kind, in flight or retired.
  static void reclaimAll() {
    retireAll();
    reclaim();
  }
  static int retiredCount() { return retired.getSize(); }

 private:
  static ZEL_Vector<T> retired;
};

template <class T>
ZEL_Vector<T> ProjectilePool<T>::retired;

#endif
