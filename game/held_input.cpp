#include "held_input.h"

uint8_t HeldInput::sample(ZEL_Input& device) {
  uint8_t bits = 0;
  if (device.go_up()) bits |= UP;
  if (device.go_down()) bits |= DOWN;
  if (device.go_left()) bits |= LEFT;
  if (device.go_right()) bits |= RIGHT;
  if (device.go_jump()) bits |= JUMP;
  if (device.go_fire1()) bits |= FIRE1;
  if (device.go_fire2()) bits |= FIRE2;
  if (device.go_escape()) bits |= ESCAPE;
  return bits;
}
