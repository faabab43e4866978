#include "fsound.h"

#include <SDL_mixer.h>
#include <gtest/gtest.h>
#include <malloc.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>

#include "files.h"
#include "wav_file.h"

namespace {

const int RATE_HZ = 44100;
const int CHANNELS = 4;
// One more than the library accepts.
const int TOO_MANY_CHANNELS = 1025;
const int AMPLITUDE = 8000;
// About 50 ms: a sound that ends well within the waits below.
const int SHORT_FRAMES = 2200;
const int ENDING_LIMIT_MS = 2000;
// The dummy driver mixes its first few buffers at once, without waiting:
// timed checks start after them.
const int DRIVER_SETTLE_MS = 100;


class FsoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_TRUE(dir.ok());
    wav = dir.file("tone.wav");
    ASSERT_TRUE(wav_file::write(wav, wav_file::tone(SHORT_FRAMES, AMPLITUDE)));
  }
  void TearDown() override { FSOUND_Close(); }

  FSOUND_SAMPLE* load(unsigned int mode) {
    return FSOUND_Sample_Load(FSOUND_FREE, wav.c_str(), mode, 0);
  }

  TempDir dir;
  std::string wav;
};

}  // namespace

TEST_F(FsoundTest, InitChecksItsArgumentsAndStartsOnce) {
  EXPECT_FALSE(FSOUND_Init(RATE_HZ, 0, 0));
  EXPECT_FALSE(FSOUND_Init(RATE_HZ, TOO_MANY_CHANNELS, 0));
  EXPECT_FALSE(FSOUND_Init(0, CHANNELS, 0));
  // Nothing works before a successful start.
  EXPECT_EQ(load(FSOUND_LOOP_OFF), nullptr);
  EXPECT_EQ(FSOUND_GetVolume(0), 0);
  EXPECT_FALSE(FSOUND_SetVolume(0, 10));
  EXPECT_FALSE(FSOUND_IsPlaying(0));
  FSOUND_Close();

  ASSERT_TRUE(FSOUND_Init(RATE_HZ, CHANNELS, 0));
  EXPECT_FALSE(FSOUND_Init(RATE_HZ, CHANNELS, 0));
  int rate = 0;
  int outChannels = 0;
  Uint16 format = 0;
  ASSERT_EQ(Mix_QuerySpec(&rate, &format, &outChannels), 1);
  EXPECT_EQ(rate, RATE_HZ);
  EXPECT_EQ(format, AUDIO_S16SYS);
  EXPECT_EQ(outChannels, 2);
  EXPECT_EQ(Mix_AllocateChannels(-1), CHANNELS);  // -1 only asks

  // A closed library starts again, with its samples gone.
  ASSERT_NE(load(FSOUND_LOOP_NORMAL), nullptr);
  FSOUND_Close();
  EXPECT_FALSE(FSOUND_IsPlaying(0));
  ASSERT_TRUE(FSOUND_Init(RATE_HZ, 1, 0));
  EXPECT_EQ(FSOUND_GetVolume(0), 255);
  EXPECT_EQ(FSOUND_GetVolume(1), 0);
}

TEST_F(FsoundTest, LoadAcceptsOnlyWavFilesByName) {
  ASSERT_TRUE(FSOUND_Init(RATE_HZ, CHANNELS, 0));
  EXPECT_NE(load(FSOUND_LOOP_OFF | FSOUND_2D), nullptr);
  EXPECT_NE(load(FSOUND_LOOP_OFF), load(FSOUND_LOOP_OFF));  // each load is its own sample
  EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, dir.file("missing.wav").c_str(), FSOUND_LOOP_OFF, 0),
            nullptr);
  EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, nullptr, FSOUND_LOOP_OFF, 0), nullptr);
  EXPECT_EQ(FSOUND_Sample_Load(3, wav.c_str(), FSOUND_LOOP_OFF, 0), nullptr);
  EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, wav.c_str(), FSOUND_LOOP_OFF, 16), nullptr);

  const std::string text = dir.file("text.wav");
  FILE* f = fopen(text.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  fputs("RIFF but not a wave at all", f);
  fclose(f);
  EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, text.c_str(), FSOUND_LOOP_OFF, 0), nullptr);
  // A truncated WAV: header only, data cut off.
  std::string cut = dir.file("cut.wav");
  ASSERT_TRUE(wav_file::write(cut, {}));
  f = fopen(cut.c_str(), "r+b");
  ASSERT_NE(f, nullptr);
  ASSERT_EQ(ftruncate(fileno(f), 20), 0);
  fclose(f);
  EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, cut.c_str(), FSOUND_LOOP_OFF, 0), nullptr);
}

TEST_F(FsoundTest, ChannelsOutsideTheMixerAreIgnored) {
  ASSERT_TRUE(FSOUND_Init(RATE_HZ, CHANNELS, 0));
  FSOUND_SAMPLE* loop = load(FSOUND_LOOP_NORMAL);
  ASSERT_NE(loop, nullptr);
  for (int c : {-2, -1, CHANNELS, CHANNELS + 1, 1 << 30}) {
    EXPECT_FALSE(FSOUND_SetVolume(c, 10)) << c;
    EXPECT_EQ(FSOUND_GetVolume(c), 0) << c;
    EXPECT_FALSE(FSOUND_StopSound(c)) << c;
    EXPECT_FALSE(FSOUND_SetPaused(c, 1)) << c;
    EXPECT_FALSE(FSOUND_IsPlaying(c)) << c;
    if (c != FSOUND_FREE) {
      EXPECT_EQ(FSOUND_PlaySound(c, loop), -1) << c;
    }
  }
  for (int c = 0; c < CHANNELS; ++c) {
    EXPECT_EQ(FSOUND_GetVolume(c), 255);
    EXPECT_FALSE(FSOUND_IsPlaying(c));
  }
}

TEST_F(FsoundTest, PlayTakesTheLowestFreeChannel) {
  ASSERT_TRUE(FSOUND_Init(RATE_HZ, CHANNELS, 0));
  FSOUND_SAMPLE* loop = load(FSOUND_LOOP_NORMAL);
  ASSERT_NE(loop, nullptr);
  EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, nullptr), -1);
  for (int c = 0; c < CHANNELS; ++c) EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, loop), c);
  EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, loop), -1);
  EXPECT_TRUE(FSOUND_StopSound(2));
  EXPECT_FALSE(FSOUND_IsPlaying(2));
  EXPECT_TRUE(FSOUND_IsPlaying(1));
  EXPECT_EQ(FSOUND_PlaySound(1, loop), -1);  // busy
  EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, loop), 2);
  EXPECT_TRUE(FSOUND_StopSound(3));
  EXPECT_EQ(FSOUND_PlaySound(3, loop), 3);
  // A paused sound keeps its channel.
  EXPECT_TRUE(FSOUND_SetPaused(0, 1));
  EXPECT_TRUE(FSOUND_IsPlaying(0));
  EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, loop), -1);
}

TEST_F(FsoundTest, VolumesAreKeptPerChannelAndResetByPlay) {
  ASSERT_TRUE(FSOUND_Init(RATE_HZ, CHANNELS, 0));
  FSOUND_SAMPLE* loop = load(FSOUND_LOOP_NORMAL);
  ASSERT_NE(loop, nullptr);
  const struct {
    int set, kept, mixer;
  } cases[] = {{0, 0, 0},       {1, 1, 1},       {91, 91, 46},    {128, 128, 65},
               {254, 254, 128}, {255, 255, 128}, {256, 255, 128}, {-5, 0, 0}};
  for (const auto& k : cases) {
    EXPECT_TRUE(FSOUND_SetVolume(1, k.set));
    EXPECT_EQ(FSOUND_GetVolume(1), k.kept) << k.set;
    EXPECT_EQ(Mix_Volume(1, -1), k.mixer) << k.set;  // -1 only asks
  }
  EXPECT_TRUE(FSOUND_SetVolume(0, 40));
  EXPECT_EQ(FSOUND_GetVolume(0), 40);
  EXPECT_EQ(FSOUND_GetVolume(1), 0);
  EXPECT_EQ(FSOUND_GetVolume(2), 255);

  // A sound starts at full volume whatever the channel had.
  EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, loop), 0);
  EXPECT_EQ(FSOUND_GetVolume(0), 255);
  EXPECT_EQ(Mix_Volume(0, -1), MIX_MAX_VOLUME);
  EXPECT_TRUE(FSOUND_SetVolume(0, 7));
  EXPECT_TRUE(FSOUND_StopSound(0));
  EXPECT_EQ(FSOUND_GetVolume(0), 7);  // stopping keeps it
  EXPECT_EQ(FSOUND_PlaySound(1, loop), 1);
  EXPECT_EQ(FSOUND_GetVolume(1), 255);
}

TEST_F(FsoundTest, LoopBitsPauseAndStop) {
  ASSERT_TRUE(FSOUND_Init(RATE_HZ, CHANNELS, 0));
  FSOUND_SAMPLE* once = load(FSOUND_LOOP_OFF | FSOUND_2D);
  FSOUND_SAMPLE* loop = load(FSOUND_LOOP_NORMAL | FSOUND_2D);
  ASSERT_NE(once, nullptr);
  ASSERT_NE(loop, nullptr);
  sleepMs(DRIVER_SETTLE_MS);

  EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, once), 0);
  EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, loop), 1);
  EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, once), 2);
  EXPECT_TRUE(FSOUND_SetPaused(2, 1));
  EXPECT_TRUE(waitUntil([] { return !FSOUND_IsPlaying(0); }, ENDING_LIMIT_MS));
  // Several lengths of the sample later the looping and the paused sounds
  // are still on.
  sleepMs(200);
  EXPECT_TRUE(FSOUND_IsPlaying(1));
  EXPECT_TRUE(FSOUND_IsPlaying(2));
  EXPECT_TRUE(FSOUND_SetPaused(2, 0));
  EXPECT_TRUE(waitUntil([] { return !FSOUND_IsPlaying(2); }, ENDING_LIMIT_MS));
  EXPECT_TRUE(FSOUND_IsPlaying(1));
  EXPECT_TRUE(FSOUND_StopSound(1));
  EXPECT_FALSE(FSOUND_IsPlaying(1));
  EXPECT_TRUE(FSOUND_StopSound(1));  // stopping a free channel is harmless
}

// ASan keeps freed memory in quarantine: heap checks need the plain build.
#if !defined(__SANITIZE_ADDRESS__)
namespace {
// Bytes allocated, big blocks (given their own mappings) included.
size_t heapInUse() {
  const struct mallinfo2 m = mallinfo2();
  return m.uordblks + m.hblkhd;
}
}  // namespace

TEST_F(FsoundTest, CloseFreesEverySample) {
  const int bigFrames = 500000;  // 1 MB as read, 2 MB once made stereo
  const std::string big = dir.file("big.wav");
  ASSERT_TRUE(wav_file::write(big, wav_file::tone(bigFrames, AMPLITUDE)));
  const int rounds = 8;
  size_t afterFirst = 0;
  for (int round = 0; round < rounds; ++round) {
    ASSERT_TRUE(FSOUND_Init(RATE_HZ, CHANNELS, 0));
    FSOUND_SAMPLE* s = FSOUND_Sample_Load(FSOUND_FREE, big.c_str(), FSOUND_LOOP_OFF, 0);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, s), 0);  // freed while it plays
    FSOUND_Close();
    const size_t inUse = heapInUse();
    if (round == 0) afterFirst = inUse;
  }
  const size_t slackBytes = 1 << 20;  // well under one sample's size
  EXPECT_LT(heapInUse(), afterFirst + slackBytes);
}
#endif
