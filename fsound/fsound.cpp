#include "fsound.h"

#include <SDL.h>
#include <SDL_mixer.h>

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

const Uint32 RIFF = 0x46464952;    // "RIFF", read little-endian
const Uint32 WAVE = 0x45564157;    // "WAVE"
const int CHUNK_HEADER_BYTES = 8;  // a name and a length
const Uint32 FMT = 0x20746D66;     // "fmt "
const Uint32 PCM_FMT_BYTES = 16;   // tag, channels, rate, byte rate, block size, bits
const Uint16 PCM = 1;
// The mixer converts with at most a few filters in a fixed table, one per
// halving or doubling of the rate or channels: wider ranges overrun it.
const Uint16 MAX_CHANNELS_IN_FILE = 2;
const Uint32 MIN_RATE = 4000;
const Uint32 MAX_RATE = 192000;

// True for the format chunk of 8- or 16-bit PCM, mono or stereo, at a rate
// the mixer can convert; the stream is at the chunk's data.
bool isPlainPcm(SDL_RWops* in, Uint32 length) {
  if (length < PCM_FMT_BYTES) return false;
  const Uint16 tag = SDL_ReadLE16(in);
  const Uint16 channels = SDL_ReadLE16(in);
  const Uint32 rate = SDL_ReadLE32(in);
  SDL_ReadLE32(in);  // bytes a second
  SDL_ReadLE16(in);  // bytes a frame
  const Uint16 bits = SDL_ReadLE16(in);
  return tag == PCM && channels >= 1 && channels <= MAX_CHANNELS_IN_FILE && rate >= MIN_RATE &&
         rate <= MAX_RATE && (bits == 8 || bits == 16);
}

// True for a WAV stream of plain PCM whose chunks all fit it; reads from
// its start and leaves it anywhere. The mixer would allocate a chunk's
// announced length before finding the file short (or take a cut header's
// length from garbage); its ADPCM decoders and its other formats' readers
// trust their headers; its converter overruns on extreme formats.
bool isSafeForMixer(SDL_RWops* in) {
  const int end = SDL_RWseek(in, 0, RW_SEEK_END);
  SDL_RWseek(in, 0, RW_SEEK_SET);
  const Uint32 magic = SDL_ReadLE32(in);
  SDL_ReadLE32(in);  // the RIFF length
  bool safe = magic == RIFF && SDL_ReadLE32(in) == WAVE;
  bool hasFormat = false;
  for (int at = SDL_RWtell(in); safe && at < end; at = SDL_RWtell(in)) {
    // The mixer takes a cut chunk header's missing length from whatever it reads.
    safe = end - at >= CHUNK_HEADER_BYTES;
    const Uint32 chunk = SDL_ReadLE32(in);
    const Uint32 length = SDL_ReadLE32(in);
    safe = safe && length <= static_cast<Uint32>(end - at - CHUNK_HEADER_BYTES);
    if (safe && chunk == FMT) {
      safe = isPlainPcm(in, length);
      hasFormat = true;
      SDL_RWseek(in, at + CHUNK_HEADER_BYTES, RW_SEEK_SET);
    }
    if (safe) SDL_RWseek(in, static_cast<int>(length + (length & 1)), RW_SEEK_CUR);  // padded to even
  }
  return safe && hasFormat;
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
  SDL_RWops* in = SDL_RWFromFile(name, "rb");
  if (in == nullptr) return nullptr;
  if (!isSafeForMixer(in)) {
    SDL_RWclose(in);
    return nullptr;
  }
  SDL_RWseek(in, 0, RW_SEEK_SET);
  Mix_Chunk* chunk = Mix_LoadWAV_RW(in, 1);  // the mixer closes it
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
