#ifndef ZEL_GRAFBOX_SDL_H
#define ZEL_GRAFBOX_SDL_H

#include <SDL.h>

#include <cstdint>

#include "zel_grafbox.h"
#include "zel_surface_sdl.h"
#include "zel_vector.h"

// The graphics box on SDL 1.2. Its constructor starts SDL (timer and
// video); init_graf() opens the window in the desktop's depth; the
// destructor shuts SDL down. The display state is class-wide: the system
// makes exactly one instance. Surfaces it hands out belong to the caller
// and may outlive it.
class ZEL_GrafboxSDL : public ZEL_Grafbox {
 public:
  ZEL_GrafboxSDL(int width, int height, int depth, bool fullscreen);
  ~ZEL_GrafboxSDL() override;
  ZEL_GrafboxSDL(const ZEL_GrafboxSDL&) = delete;
  ZEL_GrafboxSDL& operator=(const ZEL_GrafboxSDL&) = delete;

  void init_graf() override;
  void init_text() override;
  void setVideoMode(int width, int height, int depth, bool fullscreen) override;
  void set_pix(int x, int y, unsigned char r, unsigned char g, unsigned char b) override;
  void get_pix(int x, int y, unsigned char* r, unsigned char* g, unsigned char* b) override;
  void fill_screen(unsigned char r, unsigned char g, unsigned char b) override;
  void fill_virtual(unsigned char r, unsigned char g, unsigned char b) override;
  void copy_virtual_to_screen() override;
  void copy_screen_to_virtual() override;
  void show_pcx(char* file) override;
  void show_bmp(char* file, unsigned long* width, unsigned long* height) override;
  void set_clipping(unsigned short x, unsigned short y, unsigned short w, unsigned short h) override;
  void put_sprite(ZEL_Surface* s, unsigned short x, unsigned short y, unsigned short w,
                  unsigned short h) override;
  void get_sprite(ZEL_Surface* s, unsigned short x, unsigned short y, unsigned short w,
                  unsigned short h) override;
  void copy_virtual_to_virtual(ZEL_Surface* s) override;
  void put_text(long x, long y, char* text, ZEL_Font* font, int areaX, int areaY, int areaWidth,
                int areaHeight) override;
  ZEL_Surface* getSurface(int width, int height) override;
  ZEL_Surface* getSurface(int width, int height, int depth) override;
  int get_largeur() override { return largeur; }
  int get_hauteur() override { return hauteur; }

  static SDL_Surface* getScreen() { return screen; }
  static int getProfondeur() { return profondeur; }
  static uint32_t getVideoFlags() { return mdf; }
  // Every surface getSurface made, in creation order; a record, not owned.
  static ZEL_Vector<ZEL_SurfaceSDL>& getAllSurfaces() { return all_surfaces_allocated; }

 private:
  void openScreen(int width, int height, int depth);

  int32_t largeur;
  int32_t hauteur;

  static SDL_Surface* screen;
  static int32_t profondeur;
  static uint32_t mdf;
  static uint32_t creatMode;
  static ZEL_Vector<ZEL_SurfaceSDL> all_surfaces_allocated;
};

#endif
