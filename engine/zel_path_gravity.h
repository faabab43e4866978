#ifndef ZEL_PATH_GRAVITY_H
#define ZEL_PATH_GRAVITY_H

#include <cstdint>

#include "zel_path.h"

// The trajectory of a body thrown from a start point with an initial
// speed and a constant acceleration along y (positive pulls down), sampled
// every dt time units. The first target is the start point; the path has
// no end. Jumps, falls and projectiles each create one.
class ZEL_PathGravity : public ZEL_Path {
 public:
  // The location and the target start at (x, y, z).
  ZEL_PathGravity(long x, long y, long z, float vx, float vy, float vz, float gravity, float dt);

  // The point of the current tick, then the next tick. Always true.
  bool calculate_next_target() override;

 private:
  int32_t x0;
  int32_t y0;
  int32_t z0;
  float vx;
  float vy;
  float vz;
  float gravity;
  float dt;
  int32_t tick;
};

#endif
