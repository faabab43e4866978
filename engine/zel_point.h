#ifndef ZEL_POINT_H
#define ZEL_POINT_H

// A point of two doubles: the set point a view aims at, and the positions
// a tracker works with. A plain value.
class ZEL_Point {
 public:
  ZEL_Point(double x, double y);

  double x;
  double y;
};

#endif
