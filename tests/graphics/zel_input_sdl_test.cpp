#include "zel_input_sdl.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "child_process.h"
#include "zel_grafbox_sdl.h"
#include "zel_input_keyboard_sdl.h"

namespace {

const char WINDOW_TITLE[] = "zel-input-test";
const int XDOTOOL_WAIT_MS = 5000;
const int POLL_STEP_MS = 10;

void pushKey(Uint8 type, SDLKey sym, SDLMod mod = KMOD_NONE) {
  SDL_Event e;
  memset(&e, 0, sizeof e);
  e.type = type;
  e.key.type = type;
  e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
  e.key.keysym.sym = sym;
  e.key.keysym.mod = mod;
  SDL_PushEvent(&e);
}

void pushButton(Uint8 type, Uint8 button, Uint16 x = 0, Uint16 y = 0) {
  SDL_Event e;
  memset(&e, 0, sizeof e);
  e.type = type;
  e.button.type = type;
  e.button.button = button;
  e.button.x = x;
  e.button.y = y;
  SDL_PushEvent(&e);
}

void pushUser(int code, intptr_t data1, const void* data2) {
  SDL_Event e;
  memset(&e, 0, sizeof e);
  e.type = SDL_USEREVENT;
  e.user.code = code;
  e.user.data1 = reinterpret_cast<void*>(data1);
  e.user.data2 = const_cast<void*>(data2);
  SDL_PushEvent(&e);
}

// The game's bindings: up, down, right, left, v, space, n, escape.
ZEL_InputKeyboardSDL* makeGameKeyboard() {
  return new ZEL_InputKeyboardSDL(SDLK_UP, SDLK_DOWN, SDLK_RIGHT, SDLK_LEFT, SDLK_v, SDLK_SPACE,
                                  SDLK_n, SDLK_ESCAPE);
}

class InputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    box.reset(new ZEL_GrafboxSDL(160, 120, 32, false));
    box->init_graf();
    keyboard.reset(makeGameKeyboard());
    ZEL_InputImpl::update();
  }
  std::unique_ptr<ZEL_GrafboxSDL> box;
  std::unique_ptr<ZEL_InputKeyboardSDL> keyboard;
};

}  // namespace

TEST_F(InputTest, KeysAreLevelTriggeredThroughUpdate) {
  pushKey(SDL_KEYDOWN, SDLK_v, KMOD_LSHIFT);
  EXPECT_FALSE(keyboard->go_jump());  // nothing is seen before the update
  ZEL_InputImpl::update();
  EXPECT_TRUE(keyboard->go_jump());
  EXPECT_EQ(ZEL_InputSDL::getInstance()->getKey(SDLK_v), KMOD_LSHIFT * 2 + 1);
  ZEL_InputImpl::clear();
  ZEL_InputImpl::update();
  EXPECT_TRUE(keyboard->go_jump());  // held across steps without new events

  pushKey(SDL_KEYDOWN, SDLK_RIGHT);
  pushKey(SDL_KEYDOWN, SDLK_LEFT);
  ZEL_InputImpl::update();
  EXPECT_EQ(ZEL_InputSDL::getInstance()->getKey(SDLK_RIGHT), 1);
  EXPECT_TRUE(keyboard->go_right());  // argument 3 is right, 4 is left
  EXPECT_TRUE(keyboard->go_left());
  EXPECT_FALSE(keyboard->go_up());

  pushKey(SDL_KEYUP, SDLK_v);
  pushKey(SDL_KEYDOWN, SDLK_SPACE);
  pushKey(SDL_KEYUP, SDLK_SPACE);  // pressed and released between two steps
  ZEL_InputImpl::update();
  EXPECT_FALSE(keyboard->go_jump());
  EXPECT_FALSE(keyboard->go_fire1());

  keyboard->clearDirections();
  EXPECT_FALSE(keyboard->go_right());
  EXPECT_FALSE(keyboard->go_left());
}

TEST_F(InputTest, ModifiersSharedTablesAndOutOfRangeKeys) {
  pushKey(SDL_KEYDOWN, SDLK_LCTRL);
  pushKey(SDL_KEYDOWN, SDLK_RSHIFT);
  pushKey(SDL_KEYDOWN, static_cast<SDLKey>(ZEL_InputSDL::NB_KEYS));  // beyond the table
  pushKey(SDL_KEYDOWN, static_cast<SDLKey>(0xFFFF));
  ZEL_InputImpl::update();
  EXPECT_TRUE(keyboard->go_ctrl());
  EXPECT_TRUE(keyboard->go_shift());
  EXPECT_EQ(ZEL_InputSDL::getInstance()->getKey(ZEL_InputSDL::NB_KEYS), 0);

  // Another device sees the same table; building it releases every key.
  std::unique_ptr<ZEL_InputKeyboardSDL> other(new ZEL_InputKeyboardSDL(
      SDLK_w, SDLK_s, SDLK_d, SDLK_a, SDLK_LCTRL, SDLK_f, SDLK_g, SDLK_q));
  EXPECT_FALSE(other->go_jump());
  pushKey(SDL_KEYDOWN, SDLK_LCTRL);
  SDL_Event quit;
  quit.type = SDL_QUIT;
  SDL_PushEvent(&quit);  // ignored: only the escape key ends the game
  ZEL_InputImpl::update();
  EXPECT_TRUE(other->go_jump());
  EXPECT_TRUE(keyboard->go_ctrl());
  EXPECT_FALSE(keyboard->go_escape());
  // A device bound to a key beyond the table reads it as up.
  std::unique_ptr<ZEL_InputKeyboardSDL> odd(new ZEL_InputKeyboardSDL(
      1000, 1000, 1000, 1000, 1000, 1000, 1000, 4000000000u));
  EXPECT_FALSE(odd->go_escape());
  odd->clearDirections();
}

TEST_F(InputTest, ClicksLiveForTwoSteps) {
  ZEL_InputSDL* in = ZEL_InputSDL::getInstance();
  pushButton(SDL_MOUSEBUTTONDOWN, 1, 40, 50);
  ZEL_InputImpl::update();
  EXPECT_EQ(in->getMouseButton(1), 1);
  EXPECT_EQ(in->getMouseX(), 40);
  EXPECT_EQ(in->getMouseY(), 50);
  ZEL_InputImpl::clear();

  pushButton(SDL_MOUSEBUTTONUP, 1);
  ZEL_InputImpl::update();  // step N
  EXPECT_EQ(in->getMouseButton(1), 0);
  EXPECT_EQ(in->getMouseClicked(1), 1);
  ZEL_InputImpl::clear();
  ZEL_InputImpl::update();  // step N + 1
  EXPECT_EQ(in->getMouseClicked(1), 1);
  ZEL_InputImpl::clear();
  ZEL_InputImpl::update();  // step N + 2
  EXPECT_EQ(in->getMouseClicked(1), 0);
  ZEL_InputImpl::clear();

  pushButton(SDL_MOUSEBUTTONUP, 2);  // release without a press
  pushButton(SDL_MOUSEBUTTONDOWN, 4, 7, 8);  // wheel: position only
  pushButton(SDL_MOUSEBUTTONUP, 4);
  ZEL_InputImpl::update();
  EXPECT_EQ(in->getMouseClicked(2), 0);
  EXPECT_EQ(in->getMouseX(), 7);
  EXPECT_EQ(in->getMouseButton(4), 0);
  EXPECT_EQ(in->getMouseClicked(4), 0);
}

TEST(InputChildTest, UserEventsAndEventsBeforeTheBackEnd) {
  const ChildResult r = runInChild([] {
    ZEL_GrafboxSDL box(160, 120, 32, false);
    box.init_graf();
    SDL_Delay(50);
    SDL_PumpEvents();
    // Before the back end exists (it may, when earlier tests ran in this
    // process): never applied.
    const bool fresh = !ZEL_InputSDL::hasInstance();
    pushKey(SDL_KEYDOWN, SDLK_ESCAPE);
    std::unique_ptr<ZEL_InputKeyboardSDL> keyboard(makeGameKeyboard());
    ZEL_InputImpl::update();
    CHILD_CHECK(!fresh || !keyboard->go_escape());
    keyboard->clearInput();
    CHILD_CHECK(ZEL_InputSDL::getInstance()->getNetSocket() == -1);

    pushUser(0, 5, "boom");
    pushUser(0, 3, nullptr);
    pushUser(4, 17, nullptr);
    pushUser(2, 9, nullptr);
    pushUser(77, 9, "x");
    ZEL_InputImpl::update();
    CHILD_CHECK(ZEL_InputSDL::getInstance()->getNetSocket() == 17);
  });
  EXPECT_EQ(r.exitCode, 0) << describe(r);
  EXPECT_EQ(r.out,
            "Erreur rezzo: boom(5)\n"
            "Erreur rezzo: (3)\n"
            "unknown user event detected!\n"
            "unknown user event detected!\n");
}

// Drives a real window through the X server with xdotool.
TEST(InputXdotoolTest, RealKeyPressReachesTheTable) {
  if (system("command -v xdotool >/dev/null 2>&1") != 0) GTEST_SKIP() << "xdotool missing";
  ZEL_GrafboxSDL box(160, 120, 32, false);
  box.init_graf();
  SDL_WM_SetCaption(WINDOW_TITLE, WINDOW_TITLE);
  std::unique_ptr<ZEL_InputKeyboardSDL> keyboard(makeGameKeyboard());
  box.copy_virtual_to_screen();

  const std::string focus = std::string("xdotool search --sync --name ") + WINDOW_TITLE +
                            " windowfocus --sync >/dev/null 2>&1";
  ASSERT_EQ(system(focus.c_str()), 0);
  auto waitFor = [&](bool held) {
    for (int waited = 0; waited < XDOTOOL_WAIT_MS; waited += POLL_STEP_MS) {
      ZEL_InputImpl::update();
      if (keyboard->go_jump() == held) return true;
      SDL_Delay(POLL_STEP_MS);
    }
    return false;
  };
  ASSERT_EQ(system("xdotool keydown v"), 0);
  EXPECT_TRUE(waitFor(true));
  EXPECT_NE(ZEL_InputSDL::getInstance()->getKey(SDLK_v) & 1, 0);
  ASSERT_EQ(system("xdotool keyup v"), 0);
  EXPECT_TRUE(waitFor(false));
}
