// What Emscripten's SDL declares but does not have, as SDL 1.2 does it.
#include <SDL.h>

// The copy in the screen's format: a conversion to it.
SDL_Surface* SDL_DisplayFormat(SDL_Surface* surface) {
  SDL_Surface* screen = SDL_GetVideoSurface();
  return screen != nullptr ? SDL_ConvertSurface(surface, screen->format, SDL_SWSURFACE) : nullptr;
}
