#include "zel_path.h"

#include <cmath>

namespace {

// Differences of 32-bit coordinates need 33 bits; the move amounts are
// held within 32.
int32_t clampedAmount(int64_t amount) { return amount > INT32_MAX ? INT32_MAX : static_cast<int32_t>(amount); }

// |d| < 2^33, so its square fits in 64 unsigned bits only when |d| < 2^32,
// which holds for differences of 32-bit coordinates.
uint64_t squared(int64_t d) {
  const uint64_t a = static_cast<uint64_t>(d < 0 ? -d : d);
  return a * a;
}

// The sum of the three squares, held at the largest 64-bit value rather
// than wrapped.
uint64_t squaredDistance(int64_t dx, int64_t dy, int64_t dz) {
  const uint64_t terms[] = {squared(dx), squared(dy), squared(dz)};
  uint64_t sum = 0;
  for (const uint64_t term : terms) sum = sum > UINT64_MAX - term ? UINT64_MAX : sum + term;
  return sum;
}

}  // namespace

ZEL_Path::ZEL_Path()
    : target{0, 0, 0},
      moveSouth(0),
      moveEast(0),
      moveNorth(0),
      moveWest(0),
      previousLocation{0, 0, 0},
      nextLocation{0, 0, 0},
      orientation(WEST) {}

ZEL_Path::~ZEL_Path() {}

bool ZEL_Path::orientation_south() { return orientation == SOUTH; }
bool ZEL_Path::orientation_north() { return orientation == NORTH; }
bool ZEL_Path::orientation_east() { return orientation == EAST; }
bool ZEL_Path::orientation_west() { return orientation == WEST; }

int ZEL_Path::get_next_location_x() { return nextLocation.x; }
int ZEL_Path::get_next_location_y() { return nextLocation.y; }

bool ZEL_Path::calculate_next_location() {
  if (!calculate_next_target()) return false;
  previousLocation = nextLocation;
  nextLocation = target;
  evaluateOrientation();
  return true;
}

bool ZEL_Path::calculate_next_location(int speed) {
  if (speed <= 0) return false;
  const bool atTarget =
      nextLocation.x == target.x && nextLocation.y == target.y && nextLocation.z == target.z;
  if (atTarget && !calculate_next_target()) return false;

  const int64_t dx = int64_t{target.x} - nextLocation.x;
  const int64_t dy = int64_t{target.y} - nextLocation.y;
  const int64_t dz = int64_t{target.z} - nextLocation.z;
  const uint64_t d2 = squaredDistance(dx, dy, dz);
  previousLocation = nextLocation;
  if (d2 <= static_cast<uint64_t>(speed) * static_cast<uint64_t>(speed)) {
    nextLocation = target;
  } else {
    // About n equal steps to the target; truncation can leave the location
    // short, and the next calls finish the approach.
    const double distance = std::sqrt(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy +
                                      static_cast<double>(dz) * dz);
    const int64_t n = static_cast<int64_t>(std::ceil(distance / speed));
    nextLocation.x = static_cast<int32_t>(nextLocation.x + dx / n);
    nextLocation.y = static_cast<int32_t>(nextLocation.y + dy / n);
    nextLocation.z = static_cast<int32_t>(nextLocation.z + dz / n);
  }
  evaluateOrientation();
  return true;
}

// Ties go to the later direction of west, east, south, north; z does not
// count.
void ZEL_Path::evaluateOrientation() {
  const int64_t dx = int64_t{nextLocation.x} - previousLocation.x;
  const int64_t dy = int64_t{nextLocation.y} - previousLocation.y;
  moveEast = dx >= 0 ? clampedAmount(dx) : 0;
  moveWest = dx <= 0 ? clampedAmount(-dx) : 0;
  moveSouth = dy >= 0 ? clampedAmount(dy) : 0;
  moveNorth = dy <= 0 ? clampedAmount(-dy) : 0;

  const int32_t amounts[] = {moveWest, moveEast, moveSouth, moveNorth};
  const int32_t directions[] = {WEST, EAST, SOUTH, NORTH};
  int32_t largest = 0;
  for (const int32_t a : amounts) largest = a > largest ? a : largest;
  int32_t candidate = WEST;
  for (size_t i = 0; i < sizeof amounts / sizeof amounts[0]; ++i) {
    if (amounts[i] == largest) candidate = directions[i];
  }
  if (largest >= MIN_TURN_PIXELS) orientation = candidate;
}
