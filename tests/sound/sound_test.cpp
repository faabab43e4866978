#include <SDL_mixer.h>
#include <gtest/gtest.h>
#include <malloc.h>

#include <algorithm>
#include <cmath>

#include "child_process.h"
#include "files.h"
#include "zel_sound_box_fmod.h"

const int RATE_HZ = 44100, STEREO = 2, AMPLITUDE = 8000, LIMIT_MS = 3000;
const int CHANNELS = 32;       // the sound box's
const int PERIOD = 100;        // frames: 441 Hz at RATE_HZ, so loops join cleanly
const int TONE_FRAMES = 8800;  // 200 ms

static int16_t toneAt(size_t frame) {
  return static_cast<int16_t>(std::lround(AMPLITUDE * std::sin(2 * M_PI * (frame % PERIOD) / PERIOD)));
}

// A mono 16-bit PCM WAV file at RATE_HZ holding frames of the tone (on a little-endian host).
static std::vector<uint8_t> wavBytes(uint32_t frames) {
  std::string out = "RIFF";
  auto put = [&out](uint32_t v, size_t bytes) { out.append(reinterpret_cast<const char*>(&v), bytes); };
  put(36 + frames * sizeof(int16_t), 4);  // 36: the header after this field
  out += "WAVEfmt ";
  // Chunk size, PCM, mono, rate, bytes a second, bytes a frame, bits.
  const uint32_t format[][2] = {{16, 4}, {1, 2}, {1, 2}, {RATE_HZ, 4}, {2 * RATE_HZ, 4}, {2, 2}, {16, 2}};
  for (const auto& f : format) put(f[0], f[1]);
  out += "data";
  put(frames * sizeof(int16_t), 4);
  for (uint32_t i = 0; i < frames; ++i) put(static_cast<uint16_t>(toneAt(i)), 2);
  return {out.begin(), out.end()};
}

struct Sound : ::testing::Test {
  void SetUp() override {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    writeFile(tone, wavBytes(TONE_FRAMES));
  }
  void TearDown() override { FSOUND_Close(); }
  TempDir dir;
  const std::string tone = dir.file("tone.wav");
};

TEST_F(Sound, FsoundChecksArgumentsChannelsVolumesAndFreesSamples) {
  EXPECT_FALSE(FSOUND_Init(0, 1, 0) || FSOUND_Init(RATE_HZ, 0, 0) || FSOUND_Init(RATE_HZ, 1025, 0));
  ASSERT_TRUE(FSOUND_Init(RATE_HZ, CHANNELS, 0));  // a rate above 0 and 1 .. 1024 channels
  EXPECT_FALSE(FSOUND_Init(RATE_HZ, CHANNELS, 0));  // started once
  EXPECT_FALSE(FSOUND_Sample_Load(3, tone.c_str(), 0, 0) || FSOUND_Sample_Load(FSOUND_FREE, nullptr, 0, 0) ||
               FSOUND_Sample_Load(FSOUND_FREE, tone.c_str(), 0, 16));
  FSOUND_SAMPLE* loop = FSOUND_Sample_Load(FSOUND_FREE, tone.c_str(), FSOUND_LOOP_NORMAL, 0);
  ASSERT_EQ(FSOUND_PlaySound(1, loop), 1);  // so the pause below likely falls in SDL's first millisecond
  EXPECT_TRUE(FSOUND_SetPaused(1, 1) && Mix_Paused(1) && FSOUND_SetPaused(1, 0) && !Mix_Paused(1));
  EXPECT_EQ(FSOUND_PlaySound(1, loop), -1);  // busy
  for (int c : {-2, FSOUND_FREE, CHANNELS, 1 << 30}) {
    EXPECT_FALSE(FSOUND_SetVolume(c, 1) || FSOUND_StopSound(c) || FSOUND_GetVolume(c) || FSOUND_IsPlaying(c) ||
                 FSOUND_SetPaused(c, 1) || (c != FSOUND_FREE && FSOUND_PlaySound(c, loop) != -1)) << c;
  }
  // Kept within 0..255 per channel; the mixer's 0..128 is rounded up. Mix_Volume(c, -1) only asks.
  const struct { int set, kept, mixer; } volumes[] = {
      {0, 0, 0}, {1, 1, 1}, {91, 91, 46}, {128, 128, 65}, {254, 254, 128}, {256, 255, 128}, {-5, 0, 0}};
  for (const auto& v : volumes) {
    FSOUND_SetVolume(1, v.set);
    EXPECT_EQ(std::pair(FSOUND_GetVolume(1), Mix_Volume(1, -1)), std::pair(v.kept, v.mixer)) << v.set;
  }
  EXPECT_TRUE(FSOUND_StopSound(1) && FSOUND_PlaySound(1, loop) == 1);
  EXPECT_EQ(Mix_Volume(1, -1), MIX_MAX_VOLUME);  // play sets full volume
  // Close frees every sample, a playing one too: later rounds use no more heap than the first.
  writeFile(tone, wavBytes(500000));  // 1 MB as read, 2 MB once made stereo
  std::vector<size_t> inUse;
  for (int round = 0; round < 8; ++round) {
    FSOUND_Close();
    ASSERT_TRUE(FSOUND_Init(RATE_HZ, 1, 0));
    EXPECT_EQ(FSOUND_GetVolume(1), 0);  // started again with one channel
    EXPECT_EQ(FSOUND_PlaySound(0, FSOUND_Sample_Load(FSOUND_FREE, tone.c_str(), 0, 0)), 0);
    inUse.push_back(mallinfo2().uordblks + mallinfo2().hblkhd);  // big blocks included
  }
#if !defined(__SANITIZE_ADDRESS__)  // ASan's quarantine keeps freed blocks in use
  EXPECT_LT(inUse.back(), inUse.front() + (1 << 20));  // well under one sample's size
#endif
}

TEST_F(Sound, BoxIdsMusicChannelAndVolumes) {
  ZEL_SoundBoxFMOD box;
  box.set_Musicvolume(100);  // no music yet: nothing
  EXPECT_EQ(box.get_Musicvolume(), 0);
  ASSERT_TRUE(box.PlayMusic(box.LoadMusic(tone.c_str())));
  box.PauseMusic();  // likely in SDL's first millisecond, where the mixer's first try fails
  EXPECT_EQ(Mix_Paused(0), 1);
  const int music = 1;
  EXPECT_EQ(box.LoadMusic(dir.file("missing.wav").c_str()), music);  // fails silently
  for (int id : {-1, music, 2}) EXPECT_FALSE(box.PlaySample(id, 0, 0, 0) || box.PlayMusic(id)) << id;
  box.set_Musicvolume(100);
  box.set_Samplesvolume(200);
  for (int c = 0; c < CHANNELS; ++c) EXPECT_EQ(FSOUND_GetVolume(c), c == music ? 100 : 200) << c;
  EXPECT_EQ(box.get_Musicvolume(), 100);
  FSOUND_SetVolume(0, 0);
  EXPECT_EQ(box.get_Samplesvolume(), 200 * 30 / 31);  // the mean of the 31 others
  // Whatever plays on the music's channel is what pauses; play fails only on a full mixer.
  for (int c = 1; c < CHANNELS; ++c) ASSERT_TRUE(box.PlayMusic(0)) << c;
  box.PauseMusic();
  EXPECT_TRUE(Mix_Paused(music) && Mix_Paused(-1) == 2);
  EXPECT_FALSE(box.PlaySample(0, 0, 0, 0) || box.PlayMusic(0));
  // Volume falls with the square of the distance; world coordinates are 32-bit.
  const struct { long x, y; int volume; } cases[] = {
      {600, 0, 255}, {601, 0, 254}, {360, 480, 255}, {-600, -1000, 67}, {4999, 0, 3}, {3000, 4000, 0},
      {0, 0, 255}, {INT32_MIN, INT32_MIN, 0}, {4294967296L + 601, 0, 254}};
  for (const auto& c : cases) {
    box.DeleteMusic();
    EXPECT_EQ(box.PlaySample(0, c.x, c.y, 0) ? FSOUND_GetVolume(0) : -1, c.volume) << c.x << ", " << c.y;
  }
  // A music past the channels leaves every channel to samples; the same file loads anew.
  for (int id = music + 1; id < CHANNELS; ++id) EXPECT_EQ(box.LoadSample(tone.c_str()), id);
  ASSERT_EQ(box.LoadMusic(tone.c_str()), CHANNELS);
  box.set_Samplesvolume(255);
  EXPECT_EQ(box.get_Samplesvolume(), 255);  // the mean of 32 channels
}

TEST_F(Sound, BoxStreamCarriesTheToneScaledByDistanceAndLoopedMusicUntilStopped) {
  const int loops = 2;
  const struct { long x; bool music; int volume; } cases[] = {
      {0, false, MIX_MAX_VOLUME}, {1000, false, 46}, {5000, false, 0}, {0, true, MIX_MAX_VOLUME}};
  for (const auto& c : cases) {
    const std::string raw = dir.file("stream" + std::to_string(&c - cases) + ".raw");
    auto waitForFrames = [&raw](size_t frames) {  // the mixer's thread may lag
      const size_t wanted = readFile(raw).size() + frames * STEREO * sizeof(int16_t);
      waitUntil([&] { return readFile(raw).size() >= wanted; }, LIMIT_MS);
    };
    const ChildResult r = runInChild([&] {  // SDL's disk driver, its settings and state stay in the child
      setenv("SDL_AUDIODRIVER", "disk", 1);
      setenv("SDL_DISKAUDIOFILE", raw.c_str(), 1);
      setenv("SDL_DISKAUDIODELAY", "20", 1);  // ms a buffer: about real time
      ZEL_SoundBoxFMOD box;
      const int id = c.music ? box.LoadMusic(tone.c_str()) : box.LoadSample(tone.c_str());
      CHILD_CHECK(c.music ? box.PlayMusic(id) : box.PlaySample(id, c.x, 0, 0));
      if (c.music) waitForFrames((loops + 1) * TONE_FRAMES);
      if (c.music) box.DeleteMusic();
      CHILD_CHECK(waitUntil([&] { return !box.IsPlaying(); }, LIMIT_MS));
      waitForFrames(TONE_FRAMES);  // silence after the end
    });
    ASSERT_EQ(r.exitCode, 0) << describe(r);
    const std::vector<uint8_t> bytes = readFile(raw);  // signed 16-bit samples, little-endian here
    auto sample = [&bytes](size_t i) { return static_cast<int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8); };
    auto sounding = [](uint8_t b) { return b != 0; };
    const size_t first = (std::find_if(bytes.begin(), bytes.end(), sounding) - bytes.begin()) / 2;
    const size_t end = (bytes.rend() - std::find_if(bytes.rbegin(), bytes.rend(), sounding) + 1) / 2;
    const size_t heard = end - std::min(first, end);
    const size_t frames = c.volume == 0 ? 0 : c.music ? loops * TONE_FRAMES : TONE_FRAMES - 1;
    ASSERT_TRUE(c.music ? heard > STEREO * frames : heard == STEREO * frames) << heard << " at " << c.x;
    const size_t start = (std::max(first, size_t{1}) - 1) / STEREO * STEREO;  // the tone's frame 0 is 0
    for (size_t s = 0; s < STEREO * frames; ++s) {
      ASSERT_NEAR(sample(start + s), toneAt(s / STEREO) * c.volume / MIX_MAX_VOLUME, 1) << c.x << ':' << s;
    }
  }
}

TEST_F(Sound, BoxFailuresPrintTheirMessageAndExit) {
  const std::string missing = dir.file("no%s%n.wav");  // printed as it is
  const std::vector<uint8_t> wav = wavBytes(60);
  const std::string cut = writeFile(dir.file("cut.wav"), {wav.begin(), wav.begin() + 43});  // in the header
  const struct { const char* driver; std::string file, out; } cases[] = {
      {"nosuchdriver", "", "echec de l'initialisation de la carte son\n"},
      {"dummy", missing, "cannot load this sample: " + missing + "\n"},
      {"dummy", cut, "cannot load this sample: " + cut + "\n"}};
  for (const auto& c : cases) {
    const ChildResult r = runInChild([&] {
      setenv("SDL_AUDIODRIVER", c.driver, 1);
      ZEL_SoundBoxFMOD().LoadSample(c.file.c_str());
    });
    EXPECT_EQ(std::tuple(r.exited, r.exitCode, r.out, r.err), std::tuple(true, 255, c.out, std::string()));
  }
}
