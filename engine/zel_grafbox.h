#ifndef ZEL_GRAFBOX_H
#define ZEL_GRAFBOX_H

class ZEL_Font;
class ZEL_Surface;

// The engine's single access to the display: starts the video system,
// opens the window, owns the screen every drawing goes into, hands out
// surfaces and shows finished frames. The program entry creates one and
// deletes it at the end. Screen and virtual screen are one surface here.
class ZEL_Grafbox {
 public:
  virtual ~ZEL_Grafbox() {}

  // Opens the window; no surface may be made before.
  virtual void init_graf() = 0;

  // Text mode set-up; nothing to do on current back ends.
  virtual void init_text() = 0;

  // Replaces the screen. Once full screen has been asked for, it stays.
  virtual void setVideoMode(int width, int height, int depth, bool fullscreen) = 0;

  // Writes or reads one screen pixel; outside the screen set_pix writes
  // nothing and get_pix gives 0, 0, 0.
  virtual void set_pix(int x, int y, unsigned char r, unsigned char g, unsigned char b) = 0;
  virtual void get_pix(int x, int y, unsigned char* r, unsigned char* g, unsigned char* b) = 0;

  // Fills the screen (clipped) and shows it; fill_virtual does not show.
  virtual void fill_screen(unsigned char r, unsigned char g, unsigned char b) = 0;
  virtual void fill_virtual(unsigned char r, unsigned char g, unsigned char b) = 0;

  // Show the frame drawn so far.
  virtual void copy_virtual_to_screen() = 0;
  virtual void copy_screen_to_virtual() = 0;

  // Shows an image file at the top-left corner of the screen. show_bmp
  // reports the image size through width and height when both are given.
  virtual void show_pcx(char* file) = 0;
  virtual void show_bmp(char* file, unsigned long* width, unsigned long* height) = 0;

  // Every later blit and fill is clipped to this rectangle.
  virtual void set_clipping(unsigned short x, unsigned short y, unsigned short w, unsigned short h) = 0;

  // Blits all of s with its top-left corner at (x, y), leaving out its
  // transparent colour. x and y are read as signed 16-bit: 65535 is -1.
  // w and h do not limit the blit. s must come from this graphics box.
  virtual void put_sprite(ZEL_Surface* s, unsigned short x, unsigned short y, unsigned short w,
                          unsigned short h) = 0;

  // Copies the screen area at (x, y) into s at its top-left corner.
  virtual void get_sprite(ZEL_Surface* s, unsigned short x, unsigned short y, unsigned short w,
                          unsigned short h) = 0;

  // Blits all of s at (0, 0).
  virtual void copy_virtual_to_virtual(ZEL_Surface* s) = 0;

  // Draws the zero-terminated text with font's glyphs from (x, y),
  // wrapping before the right edge areaX + areaWidth.
  virtual void put_text(long x, long y, char* text, ZEL_Font* font, int areaX, int areaY,
                        int areaWidth, int areaHeight) = 0;

  // A new surface in the screen's format (or of the given depth, converted
  // to the screen's format); the caller owns it and deletes it.
  virtual ZEL_Surface* getSurface(int width, int height) = 0;
  virtual ZEL_Surface* getSurface(int width, int height, int depth) = 0;

  // The window size given at construction, in pixels.
  virtual int get_largeur() = 0;
  virtual int get_hauteur() = 0;
};

#endif
