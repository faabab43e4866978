#ifndef ZEL_TRACKER2D_H
#define ZEL_TRACKER2D_H

#include "zel_point.h"

class ZEL_Trackable2D;

// A movement model a view can hand its position to. The engine has no
// implementation; the view attaches one with setTracker and does not own it.
class ZEL_Tracker2D {
 public:
  virtual ~ZEL_Tracker2D() {}
  // The point the camera should centre on.
  virtual ZEL_Point getPosition() const = 0;
  // Moves one step; called once per follow before getPosition.
  virtual ZEL_Point advance() = 0;
  // The starting point of a newly attached tracker.
  virtual void setPosition(ZEL_Point p) = 0;
  // The view it moves; its getConsigne() is the target last followed.
  virtual void setTrackable(ZEL_Trackable2D* trackable) = 0;
};

#endif
