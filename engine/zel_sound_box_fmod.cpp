#include "zel_sound_box_fmod.h"

#include "zel_fatal.h"

namespace {

const int MIXING_RATE_HZ = 44100;
const int32_t CHANNELS = 32;
const unsigned int NO_FLAGS = 0;
// FSOUND_Sample_Load's last argument: the name is a file, not memory.
const int FROM_FILE = 0;
const unsigned int SAMPLE_MODE = FSOUND_LOOP_OFF | FSOUND_2D;
const unsigned int MUSIC_MODE = FSOUND_LOOP_NORMAL | FSOUND_2D;
const int NOT_STARTED = -1;

const int FULL_VOLUME = 255;
// Sounds this near play at full volume; from there the volume falls with
// the square of the distance, to nothing at SILENT_DISTANCE.
const int64_t FULL_VOLUME_DISTANCE = 600;
const int64_t SILENT_DISTANCE = 5000;
const int64_t VOLUME_TIMES_SQUARE = FULL_VOLUME * FULL_VOLUME_DISTANCE * FULL_VOLUME_DISTANCE;

int64_t absolute(int64_t v) { return v < 0 ? -v : v; }

}  // namespace

ZEL_SoundBoxFMOD::ZEL_SoundBoxFMOD() : nbChannels(CHANNELS), musicIndex(-1) {
  if (!FSOUND_Init(MIXING_RATE_HZ, nbChannels, NO_FLAGS)) {
    ZEL_fatal("echec de l'initialisation de la carte son\n");
  }
}

ZEL_SoundBoxFMOD::~ZEL_SoundBoxFMOD() { FSOUND_Close(); }

int ZEL_SoundBoxFMOD::LoadSample(const char* file) {
  FSOUND_SAMPLE* sample = FSOUND_Sample_Load(FSOUND_FREE, file, SAMPLE_MODE, FROM_FILE);
  if (sample == nullptr) ZEL_fatal("cannot load this sample: %s\n", file);
  return samples.add(sample);
}

bool ZEL_SoundBoxFMOD::PlaySample(int id, long x, long y, long z) {
  const int channel = FSOUND_PlaySound(FSOUND_FREE, samples.elementAt(id));
  if (channel == NOT_STARTED) return false;
  // World coordinates are 32-bit: wider arguments are cut to that on purpose.
  const int32_t wx = static_cast<int32_t>(x);
  const int32_t wy = static_cast<int32_t>(y);
  const int32_t wz = static_cast<int32_t>(z);
  if (wx != 0 || wy != 0 || wz != 0) FSOUND_SetVolume(channel, volumeAt(wx, wy));
  return true;
}

int ZEL_SoundBoxFMOD::volumeAt(int32_t x, int32_t y) const {
  const int64_t dx = static_cast<int64_t>(xlistener) - x;
  const int64_t dy = static_cast<int64_t>(ylistener) - y;
  // Also keeps the squares below from overflowing 64 bits.
  if (absolute(dx) >= SILENT_DISTANCE || absolute(dy) >= SILENT_DISTANCE) return 0;
  const int64_t d2 = dx * dx + dy * dy;
  if (d2 >= SILENT_DISTANCE * SILENT_DISTANCE) return 0;
  if (d2 <= FULL_VOLUME_DISTANCE * FULL_VOLUME_DISTANCE) return FULL_VOLUME;
  return static_cast<int>(VOLUME_TIMES_SQUARE / d2);
}

int ZEL_SoundBoxFMOD::LoadMusic(const char* file) {
  // A music that fails to load still takes its id; playing it starts nothing.
  musicIndex = samples.add(FSOUND_Sample_Load(FSOUND_FREE, file, MUSIC_MODE, FROM_FILE));
  return musicIndex;
}

bool ZEL_SoundBoxFMOD::PlayMusic(int id) {
  return FSOUND_PlaySound(FSOUND_FREE, samples.elementAt(id)) != NOT_STARTED;
}

void ZEL_SoundBoxFMOD::DeleteMusic() {
  for (int32_t c = 0; c < nbChannels; ++c) FSOUND_StopSound(c);
}

void ZEL_SoundBoxFMOD::PauseMusic() {
  if (hasMusic()) FSOUND_SetPaused(musicIndex, 1);
}

bool ZEL_SoundBoxFMOD::IsPlaying() {
  for (int32_t c = 0; c < nbChannels; ++c) {
    if (FSOUND_IsPlaying(c)) return true;
  }
  return false;
}

// The music's index doubles as its channel number on purpose: whatever
// plays on that channel is treated as the music.
void ZEL_SoundBoxFMOD::set_Musicvolume(int volume) {
  if (hasMusic()) FSOUND_SetVolume(musicIndex, volume);
}

int ZEL_SoundBoxFMOD::get_Musicvolume() { return hasMusic() ? FSOUND_GetVolume(musicIndex) : 0; }

void ZEL_SoundBoxFMOD::set_Samplesvolume(int volume) {
  for (int32_t c = 0; c < nbChannels; ++c) {
    if (c != musicIndex) FSOUND_SetVolume(c, volume);
  }
}

int ZEL_SoundBoxFMOD::get_Samplesvolume() {
  int32_t sum = 0;
  int32_t counted = 0;
  for (int32_t c = 0; c < nbChannels; ++c) {
    if (c == musicIndex) continue;
    sum += FSOUND_GetVolume(c);
    ++counted;
  }
  // Divides by the channels summed, so the mean stays within 0..255 with
  // or without a music channel among them.
  return counted == 0 ? 0 : sum / counted;
}
