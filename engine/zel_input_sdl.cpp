#include "zel_input_sdl.h"

#include <cstdio>
#include <cstring>
#include <type_traits>

#include "fastevents.h"
#include "net2_events.h"

ZEL_InputSDL* ZEL_InputSDL::instance = nullptr;

namespace {

const int32_t NO_SOCKET = -1;

// Index of SDL's button numbers 1..3 in the button tables, or -1.
int buttonIndex(int button) {
  return button >= 1 && button <= ZEL_InputSDL::NB_MOUSE_BUTTONS ? button - 1 : -1;
}

bool isNetworkEventKind(int code) {
  return code == NET2_ERROREVENT || code == NET2_TCPACCEPTEVENT || code == NET2_TCPRECEIVEEVENT ||
         code == NET2_TCPCLOSEEVENT || code == NET2_UDPRECEIVEEVENT;
}

}  // namespace

bool ZEL_InputSDL::hasInstance() { return instance != nullptr; }

ZEL_InputSDL* ZEL_InputSDL::getInstance() {
  if (instance == nullptr) instance = new ZEL_InputSDL();
  return instance;
}

ZEL_InputSDL::ZEL_InputSDL() : mouseX(0), mouseY(0), netSocket(NO_SOCKET) {
  // Events from before the back end existed are never applied.
  SDL_Event discarded;
  while (FE_PollEvent(&discarded) != 0) {
  }
  memset(keyTable, 0, sizeof keyTable);
  memset(mouseButton, 0, sizeof mouseButton);
  memset(mouseClicked, 0, sizeof mouseClicked);
  clearInput();
}

ZEL_InputSDL::~ZEL_InputSDL() {}

int32_t ZEL_InputSDL::getKey(uint32_t sym) const {
  return sym < static_cast<uint32_t>(NB_KEYS) ? keyTable[sym] : 0;
}

void ZEL_InputSDL::setKey(uint32_t sym, int32_t state) {
  if (sym < static_cast<uint32_t>(NB_KEYS)) keyTable[sym] = state;
}

void ZEL_InputSDL::clearKeys() { memset(keyTable, 0, sizeof keyTable); }

int32_t ZEL_InputSDL::getMouseButton(int button) const {
  const int i = buttonIndex(button);
  return i < 0 ? 0 : mouseButton[i];
}

int32_t ZEL_InputSDL::getMouseClicked(int button) const {
  const int i = buttonIndex(button);
  return i < 0 ? 0 : mouseClicked[i];
}

void ZEL_InputSDL::updateTable() {
  SDL_Event event;
  while (FE_PollEvent(&event) != 0) applyEvent(event);
}

namespace {

// A key field as a plain number: a value outside SDL's enumeration is not a
// valid enum value to load. SDL 1.2's fields are 32-bit; Emscripten's
// modifiers are 16-bit.
template <class Field>
uint32_t asNumber(const Field& field) {
  using Bits = std::conditional_t<sizeof(Field) == sizeof(uint16_t), uint16_t, uint32_t>;
  static_assert(sizeof(Field) == sizeof(Bits), "a 16- or 32-bit key field");
  Bits bits;
  memcpy(&bits, &field, sizeof bits);
  return bits;
}

}  // namespace

uint32_t ZEL_InputSDL::symbolOf(const SDL_Event& event) { return asNumber(event.key.keysym.sym); }

void ZEL_InputSDL::applyEvent(const SDL_Event& event) {
  switch (event.type) {
    case SDL_KEYDOWN:
      // Always odd, so never 0 while held; only tested against 0.
      setKey(symbolOf(event), static_cast<int32_t>(asNumber(event.key.keysym.mod) * 2 + 1));
      break;
    case SDL_KEYUP:
      setKey(symbolOf(event), 0);
      break;
    case SDL_MOUSEBUTTONDOWN:
      applyButtonDown(event.button);
      break;
    case SDL_MOUSEBUTTONUP:
      applyButtonUp(event.button);
      break;
    case SDL_USEREVENT: {
      SDL_Event copy = event;
      applyUserEvent(copy);
      break;
    }
    default:
      break;  // consumed and dropped, SDL_QUIT included
  }
}

void ZEL_InputSDL::applyButtonDown(const SDL_MouseButtonEvent& button) {
  const int i = buttonIndex(button.button);
  if (i >= 0) mouseButton[i] = 1;
  mouseX = button.x;
  mouseY = button.y;
}

void ZEL_InputSDL::applyButtonUp(const SDL_MouseButtonEvent& button) {
  const int i = buttonIndex(button.button);
  if (i < 0) return;
  if (mouseButton[i] == 1) mouseClicked[i] = 1;
  mouseButton[i] = 0;
}

void ZEL_InputSDL::applyUserEvent(SDL_Event& event) {
  const int kind = NET2_GetEventType(&event);
  if (!isNetworkEventKind(kind)) {
    printf("unknown user event detected!\n");
    return;
  }
  if (kind == NET2_ERROREVENT) {
    const char* text = NET2_GetEventError(&event);
    printf("Erreur rezzo: %s(%d)\n", text != nullptr ? text : "", NET2_GetSocket(&event));
  } else if (kind == NET2_UDPRECEIVEEVENT) {
    netSocket = NET2_GetSocket(&event);
  } else {
    printf("unknown user event detected!\n");
  }
}

namespace {

// One click memory step: a click already seen at the end of the previous
// step is cleared now, so each click lives for exactly two steps.
void ageClick(int32_t& clicked, int32_t& memory) {
  if (memory == 1) clicked = 0;
  memory = clicked;
}

}  // namespace

void ZEL_InputSDL::clearInput() {
  static int32_t memory0 = 0;
  static int32_t memory1 = 0;
  static int32_t memory2 = 0;
  ageClick(mouseClicked[0], memory0);
  ageClick(mouseClicked[1], memory1);
  ageClick(mouseClicked[2], memory2);
}
