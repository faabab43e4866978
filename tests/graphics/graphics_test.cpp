#include <gtest/gtest.h>

#include "child_process.h"
#include "files.h"
#include "zel_grafbox_sdl.h"
#include "zel_input_keyboard_sdl.h"
#include "zel_input_sdl.h"

namespace {

const int WIDTH = 320, HEIGHT = 240;
const int EXIT_FATAL = 255;
const int MAX_SIDE = 16383;   // SDL 1.2's 16-bit pitch holds rows of 4-byte pixels up to this
const int DARK_SUM = 3 * 36;  // near-black as a format rounds it: at most a 3-bit step a channel
const uint32_t LAST_KEY = ZEL_InputSDL::NB_KEYS - 1, HUGE_SYMBOL = 4000000000u;  // the latter no SDLKey value

typedef std::array<unsigned char, 3> Rgb;
const Rgb BACKGROUND = {8, 20, 24}, BLACK = {0, 0, 0}, NEAR_BLACK = {0, 0, 1}, WHITE = {255, 255, 255};
const Rgb RED = {255, 0, 0}, OPAQUE = {200, 100, 50};

const struct RawFormat { int depth; Uint32 r, g, b; } RAW_FORMATS[] = {{8, 0xE0, 0x1C, 0x03},  // a palette
    {16, 0xF800, 0x7E0, 0x1F}, {24, 0xFF0000, 0xFF00, 0xFF}, {32, 0xFF0000, 0xFF00, 0xFF}};

// A pixel's value from its bytes, the lowest first as on x86.
uint32_t rawPixel(SDL_Surface* s, int x, int y) {
  const int size = s->format->BytesPerPixel;
  uint32_t v = 0;
  memcpy(&v, static_cast<uint8_t*>(s->pixels) + y * s->pitch + x * size, size);
  return v;
}

Rgb screenAt(ZEL_Grafbox& box, int x, int y) {
  Rgb c;
  box.get_pix(x, y, &c[0], &c[1], &c[2]);
  return c;
}

// A screen of the background colour on the current X display.
struct Screen {
  Screen() : box(new ZEL_GrafboxSDL(WIDTH, HEIGHT, 32, false)) {
    box->init_graf();
    box->fill_screen(BACKGROUND[0], BACKGROUND[1], BACKGROUND[2]);
  }
  std::unique_ptr<ZEL_GrafboxSDL> box;
};

class GraphicsTest : public ::testing::Test, public Screen {};

void pushKey(Uint8 type, uint32_t sym, SDLMod mod = KMOD_NONE) {
  SDL_Event e{};
  e.key.type = type;
  memcpy(&e.key.keysym.sym, &sym, sizeof sym);  // any 32-bit number, as the engine reads it
  e.key.keysym.mod = mod;
  SDL_PushEvent(&e);
}

void pushButton(Uint8 type, Uint8 button, Uint16 x = 0, Uint16 y = 0) {
  SDL_Event e{};
  e.button = {type, 0, button, 0, x, y};
  SDL_PushEvent(&e);
}

}  // namespace

TEST_F(GraphicsTest, PixelsLandInTheirOwnBytesAndSpritesAreClippedAtSigned16BitPositions) {
  const int side = 3;  // every pixel size; rotation and mirror move (x, y) to (side - 1 - y, x)
  for (const RawFormat& f : RAW_FORMATS) {
    SCOPED_TRACE(f.depth);
    ZEL_SurfaceSDL s(SDL_CreateRGBSurface(SDL_SWSURFACE, side, side, f.depth, f.r, f.g, f.b, 0));
    SDL_Surface* raw = s.getInternalData();
    const uint32_t black = SDL_MapRGB(raw->format, 0, 0, 0);  // as SDL clears new surfaces
    s.setPixel(2, 1, OPAQUE[0], OPAQUE[1], OPAQUE[2]);
    s.setPixel(1, 0, NEAR_BLACK[0], NEAR_BLACK[1], NEAR_BLACK[2]);
    for (int xy : {-1, side}) s.setPixel(xy, xy, 255, 255, 255);  // outside: no write
    const uint32_t opaque = rawPixel(raw, 2, 1), nearBlack = rawPixel(raw, 1, 0);
    Rgb dark;
    s.getPixel(1, 0, &dark[0], &dark[1], &dark[2]);
    EXPECT_EQ(opaque, SDL_MapRGB(raw->format, OPAQUE[0], OPAQUE[1], OPAQUE[2]));
    EXPECT_TRUE(nearBlack != black && dark[0] + dark[1] + dark[2] <= DARK_SUM);
    s.rotate90Degree();
    s.mirror();
    int changed = 0;
    for (int i = 0; i < side * side; ++i) changed += rawPixel(raw, i % side, i / side) != black;
    EXPECT_TRUE(changed == 2 && rawPixel(raw, 1, 2) == opaque && rawPixel(raw, 2, 1) == nearBlack);
  }

  for (int x : {-1, WIDTH, -WIDTH}) box->set_pix(x, 100, 255, 255, 255);  // outside: ignored
  box->set_pix(0, HEIGHT, 255, 255, 255);
  box->set_pix(WIDTH - 1, HEIGHT - 1, OPAQUE[0], OPAQUE[1], OPAQUE[2]);
  std::unique_ptr<ZEL_Surface> row(box->getSurface(4, 1)), red(box->getSurface(8, 8));
  std::unique_ptr<ZEL_Surface> grab(box->getSurface(4, 4));
  const Rgb ROW[] = {BLACK, NEAR_BLACK, RED, BLACK};
  for (int x = 0; x < 4; ++x) row->setPixel(x, 0, ROW[x][0], ROW[x][1], ROW[x][2]);
  for (int i = 0; i < 8 * 8; ++i) red->setPixel(i % 8, i / 8, RED[0], RED[1], RED[2]);
  row->setTransparencyColor(0, 0, 0);
  row->rotate90Degree();  // not square: unchanged
  box->put_sprite(row.get(), 65535, 5, 1, 1);  // x = -1 cuts the first column; w and h do not limit
  row->mirror();  // through a lock: the blit RLE-coded the keyed surface
  box->put_sprite(row.get(), 50, 65535, 4, 1);  // y = -1: nothing left to draw
  box->set_clipping(10, 10, 20, 20);
  box->put_sprite(red.get(), 6, 6, 8, 8);
  box->put_sprite(red.get(), 27, 27, 8, 8);
  box->set_clipping(0, 0, WIDTH, HEIGHT);
  box->get_sprite(grab.get(), 9, 9, 4, 4);
  box->copy_virtual_to_virtual(grab.get());  // to (0, 0)
  box->copy_virtual_to_screen();
  box->copy_screen_to_virtual();
  const struct { int x, y; Rgb c; } expected[] = {
      {WIDTH, 100, BLACK}, {0, 101, BACKGROUND}, {WIDTH - 1, 100, BACKGROUND}, {0, HEIGHT - 1, BACKGROUND},
      {WIDTH - 1, HEIGHT - 1, OPAQUE}, {0, 5, NEAR_BLACK}, {1, 5, RED}, {2, 5, BACKGROUND},
      {51, 0, BACKGROUND}, {9, 10, BACKGROUND}, {10, 10, RED}, {13, 13, RED}, {14, 14, BACKGROUND},
      {29, 29, RED}, {30, 30, BACKGROUND}, {0, 0, BACKGROUND}, {1, 1, RED}, {1, 0, BACKGROUND}};
  for (const auto& e : expected) EXPECT_EQ(screenAt(*box, e.x, e.y), e.c) << e.x << "," << e.y;
  box->setVideoMode(WIDTH / 2, HEIGHT / 2, 32, true);  // bounds follow the screen open now
  box->set_pix(WIDTH / 2, 10, 255, 255, 255);
  EXPECT_EQ(screenAt(*box, WIDTH / 2, 10), BLACK);
}

TEST(GraphicsChildTest, FailuresBadBitmapsAndASixteenBitDesktop) {
  TempDir dir;
  const std::string bmp = dir.file("p"), cut = dir.file("c"), bad = dir.file("b"), missing = dir.file("m");
  const RawFormat& f = RAW_FORMATS[0];  // black, white at (4, 2)
  ZEL_SurfaceSDL picture(SDL_CreateRGBSurface(SDL_SWSURFACE, 5, 3, f.depth, f.r, f.g, f.b, 0));
  picture.setPixel(4, 2, WHITE[0], WHITE[1], WHITE[2]);
  SDL_SaveBMP(picture.getInternalData(), bmp.c_str());
  writeFile(cut, {'B', 'M'});
  writeFile(bad, std::vector<uint8_t>(64, 'x'));  // sizes in the header, nothing loadable
  auto show = [](const std::string& file, unsigned long width, unsigned long height, Rgb at42) {
    return [=] {
      Screen screen;
      unsigned long w = 7, h = 7;
      screen.box->show_bmp(const_cast<char*>(file.c_str()), &w, &h);
      CHILD_CHECK(w == width && h == height && screenAt(*screen.box, 4, 2) == at42);
    };
  };
  auto surface = [](int w, int h) { return [=] { delete Screen().box->getSurface(w, h); }; };
  const std::string surfaceFails = "Impossible de cr\xe9" "er une SurfaceSDL\n";
  FILE* xvfb = popen("echo $$; exec Xvfb :$((200 + $$ % 700)) -displayfd 1 -screen 0 640x480x16 "
                     "-nolisten tcp -noreset 2>/dev/null", "r");
  int pid = 0, display = -1;  // a second X server, 16-bit, apart from the usual low display numbers
  ASSERT_EQ(fscanf(xvfb, "%d %d", &pid, &display), 2);
  const struct { std::function<void()> body; std::string out, err; int status; } cases[] = {
      {[] { ZEL_GrafboxSDL((setenv("SDL_VIDEODRIVER", "none", 1), 1), 1, 32, false); },
       "impossible d'initialiser la SDL", "", EXIT_FATAL},
      {[] { ZEL_GrafboxSDL(50000, 50000, 32, false).init_graf(); },
       "Impossible d'initialiser le mode graphique : %s.\n", "", EXIT_FATAL},
      {[] { delete ZEL_GrafboxSDL(4, 4, 32, false).getSurface(4, 4); }, surfaceFails, "", EXIT_FATAL},
      {surface(-5, 4), surfaceFails, "", EXIT_FATAL},
      {surface(1, MAX_SIDE + 1), surfaceFails, "", EXIT_FATAL},  // SDL itself refuses such widths
      {surface(1, MAX_SIDE), "", "", 0},
      {show(bmp, 5, 3, WHITE), "", "je lis le bmp\n", 0},
      {show(cut, 0, 0, BACKGROUND), "", "je lis le bmp\nimpossible de charger le bmp " + cut + " : %s\n", 0},
      {show(bad, 0, 0, BACKGROUND), "", "je lis le bmp\nimpossible de charger le bmp " + bad + " : %s\n", 0},
      {show(missing, 0, 0, BACKGROUND), "", "je lis le bmp\nerreur d'ouverture du fichier " + missing,
       EXIT_FATAL},
      {[=] {
         setenv("DISPLAY", (":" + std::to_string(display)).c_str(), 1);
         Screen screen;
         SDL_Surface* s = static_cast<ZEL_SurfaceSDL*>(screen.box->getSurface(1, 1))->getInternalData();
         CHILD_CHECK(screen.box->getProfondeur() == 16 && s->format->BitsPerPixel == 16);
         CHILD_CHECK(screen.box->getScreen()->format->BitsPerPixel == 16);
       },
       "", "", 0},
  };
  for (const auto& c : cases) {  // out and err are templates: %s is any text within a line
    const ChildResult r = runInChild(c.body);
    EXPECT_TRUE(r.exitCode == c.status && matchesTemplate(r.out, c.out) && matchesTemplate(r.err, c.err))
        << c.out << c.err << describe(r);
  }
  kill(pid, SIGTERM);
  pclose(xvfb);
}

// In a child, so that the back end starts here and its messages are caught.
TEST(GraphicsInputTest, KeysClicksAndUserEventsReachTheTable) {
  const ChildResult r = runInChild([] {
    Screen screen;
    pushKey(SDL_KEYDOWN, SDLK_ESCAPE);  // before the back end: never applied
    ZEL_InputKeyboardSDL keys(SDLK_UP, SDLK_DOWN, SDLK_RIGHT, SDLK_LEFT, SDLK_v, SDLK_SPACE, SDLK_n,
                              SDLK_ESCAPE);
    ZEL_InputSDL* in = ZEL_InputSDL::getInstance();
    pushButton(SDL_MOUSEBUTTONDOWN, 1, 40, 50);  // before the keys: one past the table is a button
    const uint32_t pressed[] = {SDLK_v, SDLK_RIGHT, SDLK_RCTRL, SDLK_SPACE,
                                LAST_KEY, LAST_KEY + 1, 0xFFFF, HUGE_SYMBOL};
    for (uint32_t sym : pressed) pushKey(SDL_KEYDOWN, sym, KMOD_LSHIFT);
    pushKey(SDL_KEYUP, SDLK_SPACE);  // pressed and released between two steps
    pushButton(SDL_QUIT, 0);       // dropped: only the escape key ends the game
    CHILD_CHECK(!keys.go_jump());  // nothing is seen before the update
    for (int step = 0; step < 2; ++step) {  // then held without new events
      ZEL_InputImpl::update();
      ZEL_InputImpl::clear();
      CHILD_CHECK(keys.go_jump() && keys.go_right() && keys.go_ctrl() && !keys.go_up() && !keys.go_left());
      CHILD_CHECK(!keys.go_fire1() && !keys.go_shift() && !keys.go_escape());  // shift: the key, not the mod
      CHILD_CHECK(in->getKey(LAST_KEY) == KMOD_LSHIFT * 2 + 1 && in->getKey(LAST_KEY + 1) == 0);
      CHILD_CHECK(in->getMouseButton(1) == 1 && in->getMouseX() == 40);  // the fields after the table
    }
    keys.clearDirections();
    pushKey(SDL_KEYUP, SDLK_v);
    pushButton(SDL_MOUSEBUTTONUP, 1);
    for (int clicked : {1, 1, 0}) {  // a click lives two steps
      ZEL_InputImpl::update();
      CHILD_CHECK(!keys.go_right() && !keys.go_jump() && in->getMouseClicked(1) == clicked);
      CHILD_CHECK(in->getMouseButton(1) == 0 && in->getMouseY() == 50);
      ZEL_InputImpl::clear();
    }
    const struct {
      int code;
      intptr_t socket;
      const char* text;
    } events[] = {{0, 5, "boom"}, {0, 3, nullptr}, {4, 17, nullptr}, {2, 9, nullptr}, {77, 9, "x"}};
    for (const auto& u : events) {
      SDL_Event e{};
      e.user = {SDL_USEREVENT, u.code, reinterpret_cast<void*>(u.socket), const_cast<char*>(u.text)};
      SDL_PushEvent(&e);
    }
    ZEL_InputImpl::update();
    CHILD_CHECK(in->getNetSocket() == 17);
  });
  EXPECT_TRUE(r.exitCode == 0 && r.out == "Erreur rezzo: boom(5)\nErreur rezzo: (3)\n"
                                          "unknown user event detected!\nunknown user event detected!\n")
      << describe(r);
}
