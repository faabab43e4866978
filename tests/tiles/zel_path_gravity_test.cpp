#include "zel_path_gravity.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <tuple>

// Whole sums truncate toward zero and hold at the ends of the 32-bit range. A move of 3 pixels or
// more turns the path, ties going to the later of west, east, south, north; it starts facing west.
// With a speed, steps of at most that length reach the target, the start + speed for the first
// tick, before the next one is asked for.
TEST(PathGravityTest, PositionsTruncateTurnAndStepWithinTheSpeed) {
  const struct {
    float x, vx, vy, vz, g, dt;
    int speed, calls, wantX, wantY;
    char facing;
  } cases[] = {
      {100, 0, 0, 0, 9.81f, 0.1f, 0, 3, 100, 0, 'W'},  // falls 0.196
      {100, 0, 0, 0, 9.81f, 0.1f, 0, 11, 100, 4, 'W'},  // falls 4.905
      {210, -12.5f, 0, 0, 0, 1, 0, 2, 197, 0, 'W'},    {-5, -0.5f, 0, 0, 0, 1, 0, 2, -5, 0, 'W'},
      {0, -0.7f, -1.5f, 0, 0, 1, 0, 2, 0, -1, 'W'},    {0, -0.7f, -1.5f, 0, 0, 1, 0, 3, -1, -3, 'W'},
      {0, 0, 0, 0, 1e30f, 1, 0, 2, 0, INT_MAX, 'S'},   {0, 0, 0, 0, -1e30f, 1, 0, 2, 0, INT_MIN, 'N'},
      {-7, 3, -10, 0, 4, 1, 0, 3, -1, -12, 'N'},       {-7, 3, -10, 0, 4, 1, 0, 4, 2, -12, 'E'},  // a jump
      {-7, 3, -10, 0, 4, 1, 0, 8, 14, 28, 'S'},        {0, 5, -5, 0, 0, 1, 0, 2, 5, -5, 'N'},
      {0, 4, 4, 0, 0, 1, 0, 2, 4, 4, 'S'},             {0, -4, 4, 0, 0, 1, 0, 2, -4, 4, 'S'},
      {0, -4, -4, 0, 0, 1, 0, 2, -4, -4, 'N'},         {0, -3, 1, 0, 0, 1, 0, 2, -3, 1, 'W'},
      {0, 3, 0, 0, 0, 1, 0, 2, 3, 0, 'E'},             {0, 1, -3, 0, 0, 1, 0, 2, 1, -3, 'N'},
      {0, 2, -2, 0, 0, 1, 0, 2, 2, -2, 'W'},           {0, 30, 40, 0, 0, 1, 10, 2, 6, 8, 'S'},
      {0, 30, 40, 0, 0, 1, 10, 6, 30, 40, 'S'},        {0, 10, 1, 0, 0, 1, 3, 2, 2, 0, 'W'},  // cut short
      {0, 10, 1, 0, 0, 1, 3, 6, 10, 1, 'W'},           {0, 3, 0, 4, 0, 1, 4, 2, 1, 0, 'W'},  // z counts
      {0, 33, 44, 0, 0, 1, 55, 2, 33, 44, 'S'},  // within reach at once
      {INT_MIN, 4294967296.0f, 0, 0, 0, 1, 1 << 30, 2, -1073741825, 0, 'E'},  // a distance beyond 32 bits
      {INT_MIN, 4294967296.0f, 0, 0, 0, 1, 1 << 30, 5, INT_MAX, 0, 'E'},      // held at INT_MAX
  };
  for (const auto& c : cases) {
    ZEL_PathGravity p(long(c.x), 0, 0, c.vx, c.vy, c.vz, c.g, c.dt);
    EXPECT_FALSE(p.calculate_next_location(0) || p.calculate_next_location(-4));
    for (int i = 0; i < c.calls; ++i) {
      const double x = p.get_next_location_x(), y = p.get_next_location_y();
      ASSERT_TRUE(c.speed > 0 ? p.calculate_next_location(c.speed) : p.calculate_next_location());
      const double step = std::hypot(p.get_next_location_x() - x, p.get_next_location_y() - y);
      EXPECT_TRUE(c.speed == 0 || step <= c.speed) << step;
    }
    const char facing = p.orientation_north() ? 'N' : p.orientation_south() ? 'S'
                        : p.orientation_east() ? 'E' : p.orientation_west() ? 'W' : '?';
    EXPECT_EQ(std::make_tuple(p.get_next_location_x(), p.get_next_location_y(), facing),
              std::make_tuple(c.wantX, c.wantY, c.facing))
        << "speed " << c.vx << ", " << c.vy << ", g " << c.g << ", " << c.calls << " steps of " << c.speed;
  }
}
