#ifndef ZEL_SOUND_BOX_H
#define ZEL_SOUND_BOX_H

#include <cstdint>

// Sound effects and one piece of music, played by id. The program entry
// creates the one sound box, hands it to the space and deletes it after the
// frame loop; actors reach it through the space. Samples and music share
// one list: ids count from 0 in order of loading, whichever load made them.
// Volumes run from 0 (silent) to 255 (full).
class ZEL_SoundBox {
 public:
  ZEL_SoundBox() : xlistener(0), ylistener(0), zlistener(0) {}
  ZEL_SoundBox(const ZEL_SoundBox&) = delete;
  ZEL_SoundBox& operator=(const ZEL_SoundBox&) = delete;

  // Loads the sample file as a one-shot sound and returns its id. A file
  // that cannot be loaded ends the process with a message. No reference to
  // file is retained.
  virtual int LoadSample(const char* file) = 0;

  // Starts sample id on a free channel. When (x, y, z) is not (0, 0, 0) the
  // sound is placed at world (x, y) and is quieter the farther it is from
  // the listening point. False when nothing started: no free channel, or an
  // id that names no sample.
  virtual bool PlaySample(int id, long x, long y, long z) = 0;

  // Loads the file as a looping sound, makes it the music and returns its
  // id. A file that cannot be loaded still takes the id, and playing it
  // starts nothing. No reference to file is retained.
  virtual int LoadMusic(const char* file) = 0;

  // Starts sample id (music or not) on a free channel; false when nothing
  // started.
  virtual bool PlayMusic(int id) = 0;

  // Stops every sound that plays, music and samples alike. Nothing is
  // unloaded: ids stay valid.
  virtual void DeleteMusic() = 0;

  // Pauses the music's channel. Does nothing before any music is loaded.
  virtual void PauseMusic() = 0;

  // True while any sound plays.
  virtual bool IsPlaying() = 0;

  // Sets the music's volume, 0..255. Does nothing before any music is
  // loaded.
  virtual void set_Musicvolume(int volume) = 0;

  // The music's volume, 0..255; 0 before any music is loaded.
  virtual int get_Musicvolume() = 0;

  // Sets the volume, 0..255, of every channel but the music's. A sound
  // started afterwards starts at full volume again.
  virtual void set_Samplesvolume(int volume) = 0;

  // The mean volume, 0..255, of every channel but the music's.
  virtual int get_Samplesvolume() = 0;

  // Stops all sound and frees every loaded sample.
  virtual ~ZEL_SoundBox() = 0;

 protected:
  // Listening point in world pixels; positioned sounds fade with the
  // distance from it. zlistener is never read.
  int32_t xlistener;
  int32_t ylistener;
  int32_t zlistener;
};

inline ZEL_SoundBox::~ZEL_SoundBox() {}

#endif
