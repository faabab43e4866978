#ifndef ZEL_INPUT_SDL_H
#define ZEL_INPUT_SDL_H

#include <SDL.h>

#include <cstdint>

#include "zel_input_impl.h"
#include "zel_platform.h"

// The SDL input back end: drains SDL's event queue once per step into a
// key table, mouse button states and the socket of the last network
// datagram event. A singleton made by the first getInstance() (after video
// is initialised) and never destroyed.
class ZEL_InputSDL : private ZEL_InputImpl {
 public:
  // Key symbols the table holds, 0 .. NB_KEYS - 1 (all of SDL 1.2's).
  static constexpr int NB_KEYS = ZEL_KEY_SYMBOLS;
  static constexpr int NB_MOUSE_BUTTONS = 3;

  static ZEL_InputSDL* getInstance();
  // Whether the back end has been made yet.
  static bool hasInstance();

  // State of a key: 0 when up, the modifier mask at key-down * 2 + 1 while
  // down. Symbols outside the table read as 0 and are never written.
  int32_t getKey(uint32_t sym) const;
  void setKey(uint32_t sym, int32_t state);
  void clearKeys();

  // Mouse buttons 1 to 3; other numbers read as 0.
  int32_t getMouseButton(int button) const;
  int32_t getMouseClicked(int button) const;
  int32_t getMouseX() const { return mouseX; }
  int32_t getMouseY() const { return mouseY; }
  int32_t getNetSocket() const { return netSocket; }

  void updateTable() override;
  void clearInput() override;

 private:
  ZEL_InputSDL();
  ~ZEL_InputSDL() override;

  static uint32_t symbolOf(const SDL_Event& event);
  void applyEvent(const SDL_Event& event);
  void applyButtonDown(const SDL_MouseButtonEvent& button);
  void applyButtonUp(const SDL_MouseButtonEvent& button);
  void applyUserEvent(SDL_Event& event);

  int32_t keyTable[NB_KEYS];
  int32_t mouseButton[NB_MOUSE_BUTTONS];
  int32_t mouseX;
  int32_t mouseY;
  int32_t mouseClicked[NB_MOUSE_BUTTONS];
  int32_t netSocket;

  static ZEL_InputSDL* instance;
};

#endif
