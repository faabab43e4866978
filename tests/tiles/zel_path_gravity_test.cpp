#include "zel_path_gravity.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "zel_path.h"

namespace {

// Reads the protected state.
class GravityProbe : public ZEL_PathGravity {
 public:
  using ZEL_PathGravity::ZEL_PathGravity;
  int z() const { return nextLocation.z; }
  int previousX() const { return previousLocation.x; }
  int previousY() const { return previousLocation.y; }
};

// A path through a fixed list of points, then no more.
class ScriptedPath : public ZEL_Path {
 public:
  struct Point {
    int32_t x, y, z;
  };
  explicit ScriptedPath(std::vector<Point> points) : points(std::move(points)) {}
  bool calculate_next_target() override {
    ++asked;
    if (next >= points.size()) return false;
    target = {points[next].x, points[next].y, points[next].z};
    ++next;
    return true;
  }
  // Puts the path at (x, y) without turning it.
  void place(int32_t x, int32_t y) { nextLocation = previousLocation = target = {x, y, 0}; }
  int moves(int i) const {
    const int32_t m[] = {moveSouth, moveEast, moveNorth, moveWest};
    return m[i];
  }
  int orientationValue() const { return orientation; }
  int z() const { return nextLocation.z; }
  int asked = 0;

 private:
  std::vector<Point> points;
  size_t next = 0;
};

std::vector<int> ys(ZEL_Path& p, int ticks) {
  std::vector<int> v;
  for (int i = 0; i < ticks; ++i) {
    p.calculate_next_location();
    v.push_back(p.get_next_location_y());
  }
  return v;
}

}  // namespace

TEST(PathGravityTest, FallsFromRestWithTruncatedOffsets) {
  ZEL_PathGravity p(100, 50, 0, 0, 0, 0, 9.81f, 0.1f);
  EXPECT_EQ(p.get_next_location_x(), 100);
  EXPECT_EQ(p.get_next_location_y(), 50);
  // Offsets 0, 0.049, 0.196, ... 4.905 at tick 10.
  const std::vector<int> y = ys(p, 11);
  EXPECT_EQ(y[0], 50);
  EXPECT_EQ(y[1], 50);
  EXPECT_EQ(y[2], 50);
  EXPECT_EQ(y[10], 54);
  EXPECT_EQ(p.get_next_location_x(), 100);
}

TEST(PathGravityTest, JumpRisesThenFallsWhileXMovesLinearly) {
  // y = 2t^2 - 10t + 100, x = 3t - 7, z = -t: exact in float.
  GravityProbe p(-7, 100, 0, 3, -10, -1, 4, 1);
  std::vector<int> x, y, z;
  for (int t = 0; t < 8; ++t) {
    ASSERT_TRUE(p.calculate_next_location());
    x.push_back(p.get_next_location_x());
    y.push_back(p.get_next_location_y());
    z.push_back(p.z());
  }
  EXPECT_EQ(y, (std::vector<int>{100, 92, 88, 88, 92, 100, 112, 128}));
  EXPECT_EQ(x, (std::vector<int>{-7, -4, -1, 2, 5, 8, 11, 14}));
  EXPECT_EQ(z, (std::vector<int>{0, -1, -2, -3, -4, -5, -6, -7}));
  // The first step leaves the actor where it was.
  GravityProbe q(5, 6, 0, 3, -10, 0, 4, 1);
  q.calculate_next_location();
  EXPECT_EQ(q.previousX(), 5);
  EXPECT_EQ(q.get_next_location_x(), 5);
  EXPECT_EQ(q.get_next_location_y(), 6);
  EXPECT_TRUE(q.orientation_west());
}

TEST(PathGravityTest, WholeSumsTruncateTowardZero) {
  // 210 - 12.5 = 197.5 gives 197; truncating the term first would give 198.
  ZEL_PathGravity a(210, 0, 0, -12.5f, 0, 0, 0, 1);
  a.calculate_next_location();
  a.calculate_next_location();
  EXPECT_EQ(a.get_next_location_x(), 197);
  // -0.7 gives 0, not -1; -5.5 gives -5; -1.5 and -3 along y.
  ZEL_PathGravity b(0, 0, 0, -0.7f, -1.5f, 0, 0, 1);
  b.calculate_next_location();
  b.calculate_next_location();
  EXPECT_EQ(b.get_next_location_x(), 0);
  EXPECT_EQ(b.get_next_location_y(), -1);
  b.calculate_next_location();
  EXPECT_EQ(b.get_next_location_y(), -3);
  ZEL_PathGravity c(-5, 0, 0, -0.5f, 0, 0, 0, 1);
  c.calculate_next_location();
  c.calculate_next_location();
  EXPECT_EQ(c.get_next_location_x(), -5);
  // Far beyond the 32-bit range the coordinate holds at its end.
  ZEL_PathGravity d(0, 0, 0, 0, 0, 0, 1e30f, 1);
  d.calculate_next_location();
  d.calculate_next_location();
  EXPECT_EQ(d.get_next_location_y(), INT_MAX);
}

TEST(PathOrientationTest, LargestMoveOfThreePixelsTurnsWithLaterTiesWinning) {
  struct Case {
    int dx, dy;
    bool (ZEL_Path::*expected)();
  };
  const Case cases[] = {
      {5, -5, &ZEL_Path::orientation_north},  // north beats east
      {4, 4, &ZEL_Path::orientation_south},   // south beats east
      {-4, 4, &ZEL_Path::orientation_south},  // south beats west
      {-4, -4, &ZEL_Path::orientation_north}, {-3, 1, &ZEL_Path::orientation_west},
      {3, 0, &ZEL_Path::orientation_east},    {0, 3, &ZEL_Path::orientation_south},
      {1, -3, &ZEL_Path::orientation_north},
  };
  for (const Case& c : cases) {
    ScriptedPath p({{100 + c.dx, 100 + c.dy, 0}});
    p.place(100, 100);
    ASSERT_TRUE(p.calculate_next_location());
    EXPECT_TRUE((p.*c.expected)()) << c.dx << ", " << c.dy << " gave " << p.orientationValue();
  }
  // Moves of 1 or 2 pixels, and no move, keep the orientation.
  ScriptedPath p({{103, 100, 0}, {105, 100, 0}, {105, 98, 0}, {104, 100, 0}, {104, 100, 0}});
  p.place(100, 100);
  p.calculate_next_location();
  ASSERT_TRUE(p.orientation_east());
  for (int i = 0; i < 4; ++i) {
    p.calculate_next_location();
    EXPECT_TRUE(p.orientation_east()) << "move " << i;
  }
  // The amounts of the last move: none (a move of zero counts both ways).
  EXPECT_EQ(p.moves(0), 0);
  EXPECT_EQ(p.moves(1), 0);
  EXPECT_EQ(p.moves(2), 0);
  EXPECT_EQ(p.moves(3), 0);
  // Amounts of a diagonal move.
  ScriptedPath q({{97, 105, 0}});
  q.place(100, 100);
  q.calculate_next_location();
  EXPECT_EQ(q.moves(0), 5);  // south
  EXPECT_EQ(q.moves(1), 0);  // east
  EXPECT_EQ(q.moves(2), 0);  // north
  EXPECT_EQ(q.moves(3), 3);  // west
  // Past the end of the path: false, nothing changes.
  EXPECT_FALSE(q.calculate_next_location());
  EXPECT_EQ(q.get_next_location_x(), 97);
}

TEST(PathSpeedTest, StepsOfBoundedLengthReachTheTarget) {
  ScriptedPath p({{30, 40, 0}, {33, 44, 0}});
  p.place(0, 0);
  // At its target: a new one is asked first. d = 50, n = 5.
  ASSERT_TRUE(p.calculate_next_location(10));
  EXPECT_EQ(p.asked, 1);
  EXPECT_EQ(p.get_next_location_x(), 6);
  EXPECT_EQ(p.get_next_location_y(), 8);
  EXPECT_TRUE(p.orientation_south());
  for (int i = 2; i <= 5; ++i) ASSERT_TRUE(p.calculate_next_location(10));
  EXPECT_EQ(p.asked, 1);
  EXPECT_EQ(p.get_next_location_x(), 30);
  EXPECT_EQ(p.get_next_location_y(), 40);
  // Within reach: taken at once.
  ASSERT_TRUE(p.calculate_next_location(5));
  EXPECT_EQ(p.asked, 2);
  EXPECT_EQ(p.get_next_location_x(), 33);
  EXPECT_EQ(p.get_next_location_y(), 44);
  // No further target: false, and the path stays.
  EXPECT_FALSE(p.calculate_next_location(5));
  EXPECT_EQ(p.get_next_location_x(), 33);
  // Speeds of 0 or less neither move nor ask.
  ScriptedPath q({{10, 0, 0}});
  q.place(0, 0);
  EXPECT_FALSE(q.calculate_next_location(0));
  EXPECT_FALSE(q.calculate_next_location(-4));
  EXPECT_EQ(q.asked, 0);
  EXPECT_EQ(q.get_next_location_x(), 0);
}

TEST(PathSpeedTest, TruncationLeavesStepsShortAndZCounts) {
  // d^2 = 101, n = ceil(10.05 / 3) = 4: (10 / 4, 1 / 4) = (2, 0).
  ScriptedPath p({{10, 1, 0}});
  p.place(0, 0);
  p.calculate_next_location(3);
  EXPECT_EQ(p.get_next_location_x(), 2);
  EXPECT_EQ(p.get_next_location_y(), 0);
  int steps = 1;
  while (p.get_next_location_x() != 10 || p.get_next_location_y() != 1) {
    ASSERT_TRUE(p.calculate_next_location(3));
    ASSERT_LT(++steps, 10);
  }
  EXPECT_EQ(p.asked, 1);
  // z takes part in the distance: (0, 0, 0) to (3, 0, 4) is 5 long.
  ScriptedPath q({{3, 0, 4}});
  q.place(0, 0);
  q.calculate_next_location(4);
  EXPECT_EQ(q.get_next_location_x(), 1);
  EXPECT_EQ(q.z(), 2);
  // A distance beyond 32 bits: d = 2^32 - 1, n = 4.
  ScriptedPath r({{INT_MAX, 0, 0}});
  r.place(INT_MIN, 0);
  r.calculate_next_location(1 << 30);
  EXPECT_EQ(r.get_next_location_x(), INT_MIN + 1073741823);
  EXPECT_TRUE(r.orientation_east());
}
