#include "zel_path_gravity.h"

#include <cmath>

namespace {

// The whole value is truncated toward zero; beyond the 32-bit range it is
// held at the nearest end, and a value that is not a number gives 0.
int32_t truncateToInt32(long double v) {
  if (std::isnan(v)) return 0;
  if (v >= static_cast<long double>(INT32_MAX)) return INT32_MAX;
  if (v <= static_cast<long double>(INT32_MIN)) return INT32_MIN;
  return static_cast<int32_t>(std::trunc(v));
}

}  // namespace

// Positions are 32-bit world coordinates: wider arguments are cut to them.
ZEL_PathGravity::ZEL_PathGravity(long x, long y, long z, float speedX, float speedY, float speedZ,
                                 float g, float step)
    : x0(static_cast<int32_t>(x)),
      y0(static_cast<int32_t>(y)),
      z0(static_cast<int32_t>(z)),
      vx(speedX),
      vy(speedY),
      vz(speedZ),
      gravity(g),
      dt(step),
      tick(0) {
  previousLocation = nextLocation = target = Location{x0, y0, z0};
}

// In extended precision, each coordinate truncated as a whole: 210 - 12.5
// gives 197, not 198.
bool ZEL_PathGravity::calculate_next_target() {
  const long double t = tick;
  const long double elapsed = t * dt;
  target.x = truncateToInt32(t * vx * dt + x0);
  target.y = truncateToInt32(elapsed * elapsed * gravity / 2 + t * vy * dt + y0);
  target.z = truncateToInt32(t * vz * dt + z0);
  // Wraps after 2^31 ticks rather than overflowing.
  tick = static_cast<int32_t>(static_cast<uint32_t>(tick) + 1u);
  return true;
}
