#include "fsound.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdio>
#include <memory>
#include <vector>

struct FSOUND_SAMPLE {
  Mix_Chunk* chunk;
  bool loops;
};

namespace {

// Far more channels than any mix needs; bounds the per-channel table.
const int MAX_CHANNELS = 1024;
const int MAX_VOLUME = 255;
// Sample frames per mixing buffer: about 23 ms at 44100 Hz.
const int MIX_BUFFER_FRAMES = 1024;
const int STEREO = 2;
// Mix_PlayChannel loop counts.
const int LOOP_FOREVER = -1;
const int PLAY_ONCE = 0;
// Tries at one millisecond apart: the tick count leaves 0 within one.
const int PAUSE_RETRIES = 3;

const Uint32 RIFF = 0x46464952;  // "RIFF", read little-endian
const Uint32 WAVE = 0x45564157;  // "WAVE"
// Far above any sample a game holds decoded in memory (a minute of CD
// sound is 10 MiB); refused before reading.
const long MAX_FILE_BYTES = 64L << 20;
const size_t RIFF_HEADER_BYTES = 12;  // "RIFF", a length, "WAVE"
const size_t CHUNK_HEADER_BYTES = 8;  // a name and a length
const Uint32 FMT = 0x20746D66;        // "fmt "
const Uint32 PCM_FMT_BYTES = 16;      // tag, channels, rate, byte rate, block size, bits
const Uint16 PCM = 1;
// The mixer converts with at most a few filters in a fixed table, one per
// halving or doubling of the rate or channels: wider ranges overrun it.
const Uint16 MAX_CHANNELS_IN_FILE = 2;
const Uint32 MIN_RATE = 4000;
const Uint32 MAX_RATE = 192000;

Uint16 le16(const Uint8* p) { return static_cast<Uint16>(p[0] | p[1] << 8); }
Uint32 le32(const Uint8* p) { return le16(p) | static_cast<Uint32>(le16(p + 2)) << 16; }

// True for the format chunk of 8- or 16-bit PCM, mono or stereo, at a rate
// the mixer can convert.
bool isPlainPcm(const Uint8* chunk, Uint32 length) {
  if (length < PCM_FMT_BYTES) return false;
  const Uint16 tag = le16(chunk);
  const Uint16 channels = le16(chunk + 2);
  const Uint32 rate = le32(chunk + 4);
  const Uint16 bits = le16(chunk + 14);  // after the bytes a second and a frame
  return tag == PCM && channels >= 1 && channels <= MAX_CHANNELS_IN_FILE && rate >= MIN_RATE &&
         rate <= MAX_RATE && (bits == 8 || bits == 16);
}

// True for a WAV file of plain PCM whose chunks all fit it. The mixer would
// allocate a chunk's announced length before finding the file short (or
// take a cut header's length from garbage); its ADPCM decoders and its
// other formats' readers trust their headers; its converter overruns on
// extreme formats.
bool isSafeForMixer(const std::vector<Uint8>& file) {
  const size_t end = file.size();
  if (end < RIFF_HEADER_BYTES || le32(file.data()) != RIFF || le32(file.data() + 8) != WAVE) return false;
  bool hasFormat = false;
  for (size_t at = RIFF_HEADER_BYTES; at < end;) {
    if (end - at < CHUNK_HEADER_BYTES) return false;
    const Uint32 chunk = le32(file.data() + at);
    const Uint32 length = le32(file.data() + at + 4);
    at += CHUNK_HEADER_BYTES;
    if (length > end - at) return false;
    if (chunk == FMT) {
      if (!isPlainPcm(file.data() + at, length)) return false;
      hasFormat = true;
    }
    at += length + (length & 1);  // padded to even
  }
  return hasFormat;
}

// The whole file, or false when it cannot be read.
bool readFile(const char* name, std::vector<Uint8>* bytes) {
  std::unique_ptr<FILE, int (*)(FILE*)> f(fopen(name, "rb"), fclose);
  if (f == nullptr || fseek(f.get(), 0, SEEK_END) != 0) return false;
  const long size = ftell(f.get());
  if (size < 0 || size > MAX_FILE_BYTES || fseek(f.get(), 0, SEEK_SET) != 0) return false;
  bytes->resize(static_cast<size_t>(size));
  return fread(bytes->data(), 1, bytes->size(), f.get()) == bytes->size();
}

struct ChunkDeleter {
  void operator()(FSOUND_SAMPLE* s) const {
    Mix_FreeChunk(s->chunk);
    delete s;
  }
};

struct Mixer {
  bool open = false;
  bool startedAudio = false;  // whether FSOUND_Init started SDL's audio itself
  std::vector<int> volumes;   // 0..255 per channel
  std::vector<std::unique_ptr<FSOUND_SAMPLE, ChunkDeleter>> samples;
};

Mixer mixer;

bool isChannel(int channel) {
  return mixer.open && channel >= 0 && channel < static_cast<int>(mixer.volumes.size());
}

// 0..255 to the mixer's 0..128, rounded up so that only 0 is silent.
int toMixerVolume(int vol) { return (vol * MIX_MAX_VOLUME + MAX_VOLUME - 1) / MAX_VOLUME; }

int clampVolume(int vol) {
  if (vol < 0) return 0;
  return vol > MAX_VOLUME ? MAX_VOLUME : vol;
}

// Only this thread starts sounds, so a channel found free stays free until
// it is started. -1 when every channel plays.
int lowestFreeChannel() {
  const int n = static_cast<int>(mixer.volumes.size());
  for (int i = 0; i < n; ++i) {
    if (Mix_Playing(i) == 0) return i;
  }
  return -1;
}

void stopAudio() {
  if (mixer.startedAudio) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  mixer.startedAudio = false;
}

}  // namespace

bool FSOUND_Init(int mixrate, int maxchannels, unsigned int /*flags*/) {
  if (mixer.open || mixrate <= 0 || maxchannels < 1 || maxchannels > MAX_CHANNELS) return false;
  mixer.startedAudio = SDL_WasInit(SDL_INIT_AUDIO) == 0;
  if (mixer.startedAudio && SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    mixer.startedAudio = false;
    return false;
  }
  if (Mix_OpenAudio(mixrate, AUDIO_S16SYS, STEREO, MIX_BUFFER_FRAMES) != 0) {
    stopAudio();
    return false;
  }
  if (Mix_AllocateChannels(maxchannels) != maxchannels) {
    Mix_CloseAudio();
    stopAudio();
    return false;
  }
  mixer.volumes.assign(static_cast<size_t>(maxchannels), MAX_VOLUME);
  mixer.open = true;
  return true;
}

FSOUND_SAMPLE* FSOUND_Sample_Load(int index, const char* name, unsigned int mode, int memlength) {
  if (!mixer.open || index != FSOUND_FREE || name == nullptr || memlength != 0) return nullptr;
  std::vector<Uint8> file;
  if (!readFile(name, &file) || !isSafeForMixer(file)) return nullptr;
  // The mixer takes the bytes it checked, and frees the stream.
  Mix_Chunk* chunk = Mix_LoadWAV_RW(SDL_RWFromConstMem(file.data(), static_cast<int>(file.size())), 1);
  if (chunk == nullptr) return nullptr;
  mixer.samples.emplace_back(new FSOUND_SAMPLE{chunk, (mode & FSOUND_LOOP_NORMAL) != 0});
  return mixer.samples.back().get();
}

int FSOUND_PlaySound(int channel, FSOUND_SAMPLE* sample) {
  if (!mixer.open || sample == nullptr) return -1;
  const int target = channel == FSOUND_FREE ? lowestFreeChannel() : channel;
  if (!isChannel(target) || Mix_Playing(target) != 0) return -1;
  // Full volume before the start, so no buffer mixes it at the old volume.
  mixer.volumes[static_cast<size_t>(target)] = MAX_VOLUME;
  Mix_Volume(target, MIX_MAX_VOLUME);
  const int loops = sample->loops ? LOOP_FOREVER : PLAY_ONCE;
  return Mix_PlayChannel(target, sample->chunk, loops) == target ? target : -1;
}

bool FSOUND_SetVolume(int channel, int vol) {
  if (!isChannel(channel)) return false;
  const int v = clampVolume(vol);
  mixer.volumes[static_cast<size_t>(channel)] = v;
  Mix_Volume(channel, toMixerVolume(v));
  return true;
}

int FSOUND_GetVolume(int channel) {
  return isChannel(channel) ? mixer.volumes[static_cast<size_t>(channel)] : 0;
}

bool FSOUND_StopSound(int channel) {
  if (!isChannel(channel)) return false;
  Mix_HaltChannel(channel);
  return true;
}

bool FSOUND_SetPaused(int channel, signed char paused) {
  if (!isChannel(channel)) return false;
  if (paused == 0) {
    Mix_Resume(channel);
    return true;
  }
  // The mixer marks a pause with SDL's tick count, so a pause made while
  // the count reads 0 (SDL's first millisecond, or the wrap) is lost: retry.
  Mix_Pause(channel);
  for (int i = 0; i < PAUSE_RETRIES && Mix_Playing(channel) != 0 && Mix_Paused(channel) == 0; ++i) {
    SDL_Delay(1);
    Mix_Pause(channel);
  }
  return true;
}

bool FSOUND_IsPlaying(int channel) { return isChannel(channel) && Mix_Playing(channel) != 0; }

void FSOUND_Close() {
  if (!mixer.open) return;
  Mix_HaltChannel(-1);  // -1: every channel
  mixer.samples.clear();
  Mix_CloseAudio();
  stopAudio();
  mixer.volumes.clear();
  mixer.open = false;
}
