#ifndef TESTS_SCRIPTED_INPUT_H
#define TESTS_SCRIPTED_INPUT_H

#include "zel_input.h"

// An input device whose controls the test holds and releases.
class ScriptedInput : public ZEL_Input {
 public:
  bool go_up() override { return up; }
  bool go_down() override { return down; }
  bool go_left() override { return left; }
  bool go_right() override { return right; }
  bool go_jump() override { return jump; }
  bool go_fire1() override { return fire1; }
  bool go_fire2() override { return fire2; }
  bool go_escape() override { return escape; }
  void releaseAll() { up = down = left = right = jump = fire1 = fire2 = escape = false; }

  bool up = false, down = false, left = false, right = false;
  bool jump = false, fire1 = false, fire2 = false, escape = false;
};

#endif
