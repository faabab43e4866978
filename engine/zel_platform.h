#ifndef ZEL_PLATFORM_H
#define ZEL_PLATFORM_H

// Every way the web build (Emscripten) differs from the desktop one; there
// are no others.
// 1. Key symbols: Emscripten's SDL numbers the keys without a character
//    1024 + their scan code (the arrows 1103 to 1106) where SDL 1.2 stops
//    below 400; the input back end's key table holds them (ZEL_KEY_SYMBOLS).
// 2. The frame timer's waits yield to the browser (emscripten_sleep) where
//    the desktop's spin, and it counts the frames it paces in Module.steps
//    for the page: engine/zel_timer_web.cpp replaces engine/zel_timer_sdl.cpp.
// 3. No network layer: only the decoding of its events is built, its event
//    queue is SDL's own (one thread: net2src/fastevents_web.cpp), and the
//    two-player mode says it is absent (game/two_players_web.cpp).
// 4. Emscripten's SDL gives its video flags other values than SDL 1.2
//    (SDL_ANYFORMAT 0x00100000 for 0x10000000), which the graphics box's
//    flags then hold (ZEL_SDL_1_2_FLAGS).
// 5. Emscripten's SDL declares SDL_DisplayFormat without having it: the
//    web build makes it the conversion to the screen's format
//    (engine/zel_sdl_web.cpp).
// 6. Emscripten's SDL_SetColorKey does nothing: a surface's key colour is
//    stored as fully transparent pixels, which its blits leave out
//    (ZEL_KEY_AS_ALPHA, in ZEL_SurfaceSDL).
// 7. The data files are preloaded into Emscripten's file system from the
//    native build's build/data; the page (web/index.html) starts the sound
//    on the first key press, as browsers ask, and says when the game ends.

#ifdef __EMSCRIPTEN__
constexpr int ZEL_KEY_SYMBOLS = 1024 + 512;
constexpr bool ZEL_SDL_1_2_FLAGS = false;
constexpr bool ZEL_KEY_AS_ALPHA = true;
#else
constexpr int ZEL_KEY_SYMBOLS = 400;  // all of SDL 1.2's
constexpr bool ZEL_SDL_1_2_FLAGS = true;
constexpr bool ZEL_KEY_AS_ALPHA = false;
#endif

#endif
