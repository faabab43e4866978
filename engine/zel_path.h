#ifndef ZEL_PATH_H
#define ZEL_PATH_H

#include <cstdint>

// Where an actor goes next, one tick at a time, and which way it heads. A
// subclass supplies the next target point; the path moves its location to
// it, or towards it at a bounded speed, and turns to the direction of the
// last move. Created by the actor that moves along it, which owns it and
// replaces it for each new movement.
class ZEL_Path {
 public:
  // Orientations, as stored in `orientation`.
  static constexpr int32_t WEST = 0;
  static constexpr int32_t EAST = 1;
  static constexpr int32_t SOUTH = 2;
  static constexpr int32_t NORTH = 3;
  // Moves shorter than this never turn the path.
  static constexpr int32_t MIN_TURN_PIXELS = 3;

  ZEL_Path();
  virtual ~ZEL_Path();

  // Writes the next point into `target` and returns true, or returns false
  // when the path has no further point.
  virtual bool calculate_next_target() = 0;

  virtual bool orientation_south();
  virtual bool orientation_north();
  virtual bool orientation_east();
  virtual bool orientation_west();

  // Moves to the next target; false, with nothing changed, when there is
  // none.
  bool calculate_next_location();

  // Moves at most speed pixels towards the target, asking for a new target
  // only once the current one is reached. False when there is no further
  // target, and for a speed of 0 or less, which does not move.
  bool calculate_next_location(int speed);

  int get_next_location_x();
  int get_next_location_y();

  // Splits the last move into its four directions and turns to the largest
  // one when it is long enough.
  void evaluateOrientation();

 protected:
  struct Location {
    int32_t x;
    int32_t y;
    int32_t z;
  };

  Location target;
  int32_t moveSouth;
  int32_t moveEast;
  int32_t moveNorth;
  int32_t moveWest;
  Location previousLocation;
  Location nextLocation;  // the location the actor is to take
  int32_t orientation;
};

#endif
