#ifndef ZEL_TRACKABLE2D_H
#define ZEL_TRACKABLE2D_H

#include "zel_point.h"

// Anything a tracker can be asked to follow; the view implements it.
class ZEL_Trackable2D {
 public:
  virtual ~ZEL_Trackable2D() {}

  // The point a tracker should aim at, by value.
  virtual ZEL_Point getConsigne() const = 0;
};

#endif
