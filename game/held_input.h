#ifndef HELD_INPUT_H
#define HELD_INPUT_H

#include <cstdint>

#include "zel_input.h"

// A device whose eight controls are the bits of one byte, set from outside
// once a step: from a recording, or from the other player.
class HeldInput : public ZEL_Input {
 public:
  // The bit of each question, in the order ZEL_Input declares them.
  enum Bit : uint8_t {
    UP = 1 << 0,
    DOWN = 1 << 1,
    LEFT = 1 << 2,
    RIGHT = 1 << 3,
    JUMP = 1 << 4,
    FIRE1 = 1 << 5,
    FIRE2 = 1 << 6,
    ESCAPE = 1 << 7
  };

  // The eight answers of device now, as a byte.
  static uint8_t sample(ZEL_Input& device);

  void hold(uint8_t bits) { held = bits; }
  uint8_t bits() const { return held; }

  bool go_up() override { return (held & UP) != 0; }
  bool go_down() override { return (held & DOWN) != 0; }
  bool go_left() override { return (held & LEFT) != 0; }
  bool go_right() override { return (held & RIGHT) != 0; }
  bool go_jump() override { return (held & JUMP) != 0; }
  bool go_fire1() override { return (held & FIRE1) != 0; }
  bool go_fire2() override { return (held & FIRE2) != 0; }
  bool go_escape() override { return (held & ESCAPE) != 0; }

 private:
  uint8_t held = 0;
};

#endif
