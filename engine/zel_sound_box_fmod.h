#ifndef ZEL_SOUND_BOX_FMOD_H
#define ZEL_SOUND_BOX_FMOD_H

#include <cstdint>

#include "fsound.h"
#include "zel_sound_box.h"
#include "zel_vector.h"

// The sound box on the FSOUND library, at 44100 Hz with 32 channels. Its
// constructor starts the library (or ends the process with a message) and
// its destructor closes it, freeing every sample. One per process.
class ZEL_SoundBoxFMOD : public ZEL_SoundBox {
 public:
  ZEL_SoundBoxFMOD();
  ~ZEL_SoundBoxFMOD() override;

  int LoadSample(const char* file) override;
  bool PlaySample(int id, long x, long y, long z) override;
  int LoadMusic(const char* file) override;
  bool PlayMusic(int id) override;
  void DeleteMusic() override;
  void PauseMusic() override;
  bool IsPlaying() override;
  void set_Musicvolume(int volume) override;
  int get_Musicvolume() override;
  void set_Samplesvolume(int volume) override;
  int get_Samplesvolume() override;

 private:
  // The volume of a sound at world (x, y) as heard from the listening point.
  int volumeAt(int32_t x, int32_t y) const;
  bool hasMusic() const { return musicIndex >= 0; }

  // Every loaded sample and music; an id is an index. The handles belong to
  // the library, which frees them when closed.
  ZEL_Vector<FSOUND_SAMPLE> samples;
  int32_t nbChannels;
  // Index of the last music loaded, also used as its channel; -1 before any.
  int32_t musicIndex;
};

#endif
