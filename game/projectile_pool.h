#ifndef PROJECTILE_POOL_H
#define PROJECTILE_POOL_H

#include "zel_vector.h"

// Projectiles that have left the space, kept until they can be deleted
// safely: when the next projectile of their kind is made (outside any
// scan, their own actions long returned) and at teardown.
template <class T>
class ProjectilePool {
 public:
  // p has just been killed from the space (and is not held elsewhere).
  static void retire(T* p) { retired.add(p); }
  static void reclaim() {
    while (retired.getSize() > 0) delete retired.remove(retired.getSize() - 1);
  }
  static int retiredCount() { return retired.getSize(); }

 private:
  static ZEL_Vector<T> retired;
};

template <class T>
ZEL_Vector<T> ProjectilePool<T>::retired;

#endif
