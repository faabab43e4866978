#ifndef ZEL_INPUT_KEYBOARD_SDL_H
#define ZEL_INPUT_KEYBOARD_SDL_H

#include "zel_input_keyboard.h"

// A keyboard device reading the SDL back end's key table. Any number of
// devices may share the one back end; creating one clears the whole table
// (and creates the back end the first time, after video is initialised).
class ZEL_InputKeyboardSDL : public ZEL_InputKeyboard {
 public:
  // Argument 3 is the RIGHT key and argument 4 the LEFT key, in the order
  // of SDL's arrow codes, although the fields run left before right.
  ZEL_InputKeyboardSDL(uint32_t up, uint32_t down, uint32_t right, uint32_t left, uint32_t jump,
                       uint32_t fire1, uint32_t fire2, uint32_t escape);

  bool go_up() override;
  bool go_down() override;
  bool go_left() override;
  bool go_right() override;
  bool go_jump() override;
  bool go_fire1() override;
  bool go_fire2() override;
  bool go_escape() override;

  bool go_shift();
  bool go_ctrl();

  // Releases every key of the table, not only the eight bound ones.
  void clearInput();
  // Releases the four arrow keys of this device.
  void clearDirections();

 private:
  static bool isHeld(uint32_t key);
};

#endif
