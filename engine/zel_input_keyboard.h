#ifndef ZEL_INPUT_KEYBOARD_H
#define ZEL_INPUT_KEYBOARD_H

#include <cstdint>

#include "zel_input.h"

// A keyboard device: the eight key symbols bound to the eight questions.
class ZEL_InputKeyboard : public ZEL_Input {
 protected:
  uint32_t key_up = 0;
  uint32_t key_down = 0;
  uint32_t key_left = 0;
  uint32_t key_right = 0;
  uint32_t key_jump = 0;
  uint32_t key_fire1 = 0;
  uint32_t key_fire2 = 0;
  uint32_t key_escape = 0;
};

#endif
