#include "zel_input_keyboard_sdl.h"

#include <SDL.h>

#include "zel_input_sdl.h"

ZEL_InputKeyboardSDL::ZEL_InputKeyboardSDL(uint32_t up, uint32_t down, uint32_t right,
                                           uint32_t left, uint32_t jump, uint32_t fire1,
                                           uint32_t fire2, uint32_t escape) {
  key_up = up;
  key_down = down;
  key_right = right;
  key_left = left;
  key_jump = jump;
  key_fire1 = fire1;
  key_fire2 = fire2;
  key_escape = escape;
  clearInput();
}

bool ZEL_InputKeyboardSDL::isHeld(uint32_t key) {
  return ZEL_InputSDL::getInstance()->getKey(key) != 0;
}

bool ZEL_InputKeyboardSDL::go_up() { return isHeld(key_up); }
bool ZEL_InputKeyboardSDL::go_down() { return isHeld(key_down); }
bool ZEL_InputKeyboardSDL::go_left() { return isHeld(key_left); }
bool ZEL_InputKeyboardSDL::go_right() { return isHeld(key_right); }
bool ZEL_InputKeyboardSDL::go_jump() { return isHeld(key_jump); }
bool ZEL_InputKeyboardSDL::go_fire1() { return isHeld(key_fire1); }
bool ZEL_InputKeyboardSDL::go_fire2() { return isHeld(key_fire2); }
bool ZEL_InputKeyboardSDL::go_escape() { return isHeld(key_escape); }

bool ZEL_InputKeyboardSDL::go_shift() { return isHeld(SDLK_RSHIFT) || isHeld(SDLK_LSHIFT); }

bool ZEL_InputKeyboardSDL::go_ctrl() { return isHeld(SDLK_RCTRL) || isHeld(SDLK_LCTRL); }

void ZEL_InputKeyboardSDL::clearInput() { ZEL_InputSDL::getInstance()->clearKeys(); }

void ZEL_InputKeyboardSDL::clearDirections() {
  ZEL_InputSDL* input = ZEL_InputSDL::getInstance();
  input->setKey(key_up, 0);
  input->setKey(key_down, 0);
  input->setKey(key_left, 0);
  input->setKey(key_right, 0);
}
