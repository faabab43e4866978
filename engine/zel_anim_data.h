#ifndef ZEL_ANIM_DATA_H
#define ZEL_ANIM_DATA_H

#include <cstdint>
#include <cstdio>

#include "zel_rect.h"
#include "zel_vector.h"

class ZEL_Grafbox;
class ZEL_Surface;
class ZEL_Timer;
namespace zel_gif {
class Reader;       // byte reader over a GIF file's contents
struct Control;     // graphic control data waiting for the next image
struct ColorTable;  // up to 256 RGB entries
}  // namespace zel_gif

// One animation as loaded from a .spr or GIF file: frames, one bound box
// and one delay (in timer steps) per frame. Loaded once by the animation
// lists and the font and shared read-only by every actor that plays it.
// Any load failure ends the process with a message. The frames, boxes and
// delays live as long as the process: destroying the object releases only
// the object itself.
class ZEL_AnimData {
 public:
  // Larger frames are refused by both readers: no sprite needs them, and a
  // few-byte file must not make the loader allocate gigabytes.
  static constexpr int MAX_FRAME_SIDE = 4096;

  // Reads file as GIF when its name contains ".gif", else as .spr when it
  // contains ".spr". timer converts GIF delays and may be null. No
  // reference to file is retained.
  ZEL_AnimData(const char* file, ZEL_Grafbox* grafbox, ZEL_Timer* timer);
  // An animation of no frame, to be filled with addFrame: for tools that
  // build animations in memory before WriteSpr.
  ZEL_AnimData(ZEL_Grafbox* grafbox, ZEL_Timer* timer);
  ZEL_AnimData(const ZEL_AnimData&) = delete;
  ZEL_AnimData& operator=(const ZEL_AnimData&) = delete;

  void ReadSpr(const char* file);
  void ReadGif(const char* file);
  // Writes the animation as .spr; ends the process if any write fails.
  void WriteSpr(const char* file);

  // Appends a frame shown for delay further steps, with its bound box
  // (copied); black is keyed out, as in a loaded frame. The animation
  // points at the frame without owning it, as at loaded ones: the caller
  // keeps it alive while the animation is used. The first frame sets the
  // animation's size; a frame of another size ends the process with a
  // message.
  void addFrame(ZEL_Surface* frame, unsigned int delay, const ZEL_Rect& box);

  // The box holding the non-black pixels of the w x h top-left area of s;
  // the whole area when none is visible.
  static void calculateOptimizedBoundBox(ZEL_Rect* r, ZEL_Surface* s, unsigned int w, unsigned int h);

  uint32_t getNbFrames() const { return nbFrames; }
  uint32_t get_largeur() const { return largeur; }
  uint32_t get_hauteur() const { return hauteur; }
  ZEL_Vector<ZEL_Surface>* getFrames() { return &frames; }
  ZEL_Vector<ZEL_Rect>* getBoundBoxes() { return &boundBoxes; }
  ZEL_Vector<unsigned int>* getDelays() { return &delays; }

 private:
  void readGifFrame(zel_gif::Reader& in, const char* file, const zel_gif::ColorTable& global,
                    const zel_gif::Control& control, int64_t& pixelsLeft);
  void readSprFrames(FILE* f, uint32_t count);
  void readSprBoxes(FILE* f, uint32_t count);
  unsigned int gifDelayToSteps(uint16_t hundredths, const char* file);
  void appendFrame(ZEL_Surface* frame);

  uint32_t nbFrames;
  ZEL_Vector<ZEL_Surface> frames;
  ZEL_Vector<ZEL_Rect> boundBoxes;
  ZEL_Vector<unsigned int> delays;
  uint32_t largeur;
  uint32_t hauteur;
  ZEL_Timer* timer;
  ZEL_Grafbox* grafbox;
};

#endif
