#include "zel_sound_box_fmod.h"

#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <filesystem>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>
#include <thread>

#include "child_process.h"
#include "files.h"
#include "wav_file.h"

namespace {

const int AMPLITUDE = 8000;
// About 200 ms and 50 ms of sound.
const int LONG_FRAMES = 8800;
const int SHORT_FRAMES = 2200;
const int STEREO = 2;
const int CHANNELS = 32;
const int CHILD_LIMIT_MS = 10000;
const int ENDING_LIMIT_MS = 3000;
// Milliseconds the disk driver sleeps per buffer: a little under the
// buffer's own length, so the stream runs about as fast as real time.
const char DISK_DELAY_MS[] = "20";

const char INIT_FAILURE[] = "echec de l'initialisation de la carte son\n";
const char LOAD_FAILURE[] = "cannot load this sample: ";


// Bytes the disk driver has written to path so far.
size_t writtenBytes(const std::string& path) {
  std::error_code ignored;
  const auto size = std::filesystem::file_size(path, ignored);
  return ignored ? 0 : static_cast<size_t>(size);
}

// Waits until the driver has written at least frames more stereo frames
// than `from` bytes, or limitMs passed: the mixer's thread may lag on a
// busy machine.
void waitForFrames(const std::string& path, size_t from, size_t frames, int limitMs) {
  const size_t wanted = from + frames * STEREO * sizeof(int16_t);
  waitUntil([&] { return writtenBytes(path) >= wanted; }, limitMs);
}

const int STREAM_LIMIT_MS = 5000;

// A long and a short generated tone in a scratch directory.
class SoundFiles {
 public:
  SoundFiles() {
    longTone = dir.file("long.wav");
    shortTone = dir.file("short.wav");
    written = dir.ok() && wav_file::write(longTone, wav_file::tone(LONG_FRAMES, AMPLITUDE)) &&
              wav_file::write(shortTone, wav_file::tone(SHORT_FRAMES, AMPLITUDE));
  }
  TempDir dir;
  std::string longTone;
  std::string shortTone;
  bool written = false;
};

class SoundBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_TRUE(files.written);
  }
  SoundFiles files;
};

// Plays into a raw stream file through SDL's disk driver, in a child so that
// the driver settings and SDL's state stay there. The child prints the
// mixer's format, then anything that went wrong.
ChildResult playToDisk(const std::string& raw, const std::function<void(ZEL_SoundBox&)>& play) {
  return runInChild(
      [&] {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", raw.c_str(), 1);
        setenv("SDL_DISKAUDIODELAY", DISK_DELAY_MS, 1);
        ZEL_SoundBox* box = new ZEL_SoundBoxFMOD();
        int rate = 0;
        int channels = 0;
        Uint16 format = 0;
        Mix_QuerySpec(&rate, &format, &channels);
        printf("%d %d %d\n", rate, format, channels);
        play(*box);
        delete box;
      },
      CHILD_LIMIT_MS);
}

std::string expectedSpec() {
  return "44100 " + std::to_string(AUDIO_S16SYS) + " " + std::to_string(STEREO) + "\n";
}

// Plays the long tone once at (x, 0, 0) and waits for its end.
std::function<void(ZEL_SoundBox&)> playOnceAt(const std::string& wav, long x) {
  return [wav, x](ZEL_SoundBox& box) {
    const int id = box.LoadSample(wav.c_str());
    if (!box.PlaySample(id, x, 0, 0)) puts("not started");
    if (!waitUntil([&] { return !box.IsPlaying(); }, ENDING_LIMIT_MS)) puts("never ended");
    sleepMs(100);  // let the last buffers reach the file
  };
}

// Checks that the stream carries tone (repeated as needed) from firstFrame
// on, on both sides, scaled by volume/128 (the mixer's full volume), give or
// take one.
void expectToneAt(const std::vector<int16_t>& stream, size_t firstFrame,
                  const std::vector<int16_t>& tone, size_t frames, int volume) {
  size_t mismatches = 0;
  for (size_t k = 0; k < frames && mismatches < 5; ++k) {
    const size_t at = STEREO * (firstFrame + k);
    ASSERT_LT(at + 1, stream.size());
    const int want = tone[k % tone.size()] * volume / MIX_MAX_VOLUME;
    for (int side = 0; side < STEREO; ++side) {
      if (std::abs(stream[at + side] - want) > 1) {
        ADD_FAILURE() << "frame " << k << " side " << side << ": " << stream[at + side]
                      << " instead of " << want;
        ++mismatches;
      }
    }
  }
}

}  // namespace

TEST(SoundBoxDiskTest, PlayedSamplesReachTheStreamQuieterWhenFar) {
  SoundFiles files;
  ASSERT_TRUE(files.written);
  const std::vector<int16_t> tone = wav_file::tone(LONG_FRAMES, AMPLITUDE);

  const std::string nearRaw = files.dir.file("near.raw");
  ChildResult r = playToDisk(nearRaw, playOnceAt(files.longTone, 0));
  ASSERT_EQ(r.exitCode, 0) << describe(r);
  EXPECT_EQ(r.out, expectedSpec());
  const std::vector<int16_t> nearStream = wav_file::readRaw(nearRaw);
  const wav_file::Span nearSpan = wav_file::soundSpan(nearStream);
  // The tone's first frame is 0, its second is not: the span starts there.
  ASSERT_GT(nearSpan.first, 0u);
  ASSERT_EQ(nearSpan.first % STEREO, 0u);
  EXPECT_EQ(nearSpan.length(), static_cast<size_t>(STEREO * (LONG_FRAMES - 1)));
  EXPECT_GT(nearStream.size(), nearSpan.end);  // silence follows
  expectToneAt(nearStream, nearSpan.first / STEREO - 1, tone, LONG_FRAMES, MIX_MAX_VOLUME);
  const double nearRms = wav_file::rms(nearStream, nearSpan.first, nearSpan.end);
  EXPECT_NEAR(nearRms, AMPLITUDE / std::sqrt(2.0), AMPLITUDE * 0.01);

  // 1000 pixels away: volume 91 of 255.
  const std::string farRaw = files.dir.file("far.raw");
  r = playToDisk(farRaw, playOnceAt(files.longTone, 1000));
  ASSERT_EQ(r.exitCode, 0) << describe(r);
  EXPECT_EQ(r.out, expectedSpec());
  const std::vector<int16_t> farStream = wav_file::readRaw(farRaw);
  const wav_file::Span farSpan = wav_file::soundSpan(farStream);
  ASSERT_GT(farSpan.length(), static_cast<size_t>(STEREO * (LONG_FRAMES - 2)));
  const double farRms = wav_file::rms(farStream, farSpan.first, farSpan.end);
  EXPECT_NEAR(farRms / nearRms, 91.0 / 255.0, 0.01);

  // 5000 pixels away: nothing at all.
  const std::string silentRaw = files.dir.file("silent.raw");
  r = playToDisk(silentRaw, playOnceAt(files.longTone, 5000));
  ASSERT_EQ(r.exitCode, 0) << describe(r);
  EXPECT_EQ(r.out, expectedSpec());
  const std::vector<int16_t> silentStream = wav_file::readRaw(silentRaw);
  EXPECT_GT(silentStream.size(), static_cast<size_t>(STEREO * LONG_FRAMES));
  EXPECT_EQ(wav_file::soundSpan(silentStream).length(), 0u);
}

TEST(SoundBoxDiskTest, MusicLoopsUntilStoppedThenSilence) {
  SoundFiles files;
  ASSERT_TRUE(files.written);
  const std::string raw = files.dir.file("music.raw");
  const ChildResult r = playToDisk(raw, [&](ZEL_SoundBox& box) {
    const int id = box.LoadMusic(files.shortTone.c_str());
    if (!box.PlayMusic(id)) puts("not started");
    const size_t rounds = 3;
    waitForFrames(raw, writtenBytes(raw), rounds * SHORT_FRAMES, STREAM_LIMIT_MS);
    if (!box.IsPlaying()) puts("ended while looping");
    box.DeleteMusic();
    if (box.IsPlaying()) puts("still playing");
    const size_t silence = 2 * 4410;  // 200 ms at 44100 Hz
    waitForFrames(raw, writtenBytes(raw), silence, STREAM_LIMIT_MS);
  });
  ASSERT_EQ(r.exitCode, 0) << describe(r);
  EXPECT_EQ(r.out, expectedSpec());

  const std::vector<int16_t> stream = wav_file::readRaw(raw);
  const wav_file::Span span = wav_file::soundSpan(stream);
  // It looped: at least two whole rounds, each one the tone again.
  const size_t loops = 2;
  ASSERT_GT(span.length(), STEREO * SHORT_FRAMES * loops);
  expectToneAt(stream, span.first / STEREO - 1, wav_file::tone(SHORT_FRAMES, AMPLITUDE),
               SHORT_FRAMES * loops, MIX_MAX_VOLUME);
  // Stopped: at least 100 ms of silence follows.
  const size_t silentFrames = 4410;
  EXPECT_GT(stream.size() - span.end, STEREO * silentFrames);
}

TEST_F(SoundBoxTest, IdsCountFromZeroAcrossSamplesAndMusic) {
  ZEL_SoundBoxFMOD box;
  EXPECT_EQ(box.LoadSample(files.shortTone.c_str()), 0);
  EXPECT_EQ(box.LoadSample(files.shortTone.c_str()), 1);  // same file, new id
  EXPECT_EQ(box.LoadSample(files.longTone.c_str()), 2);
  EXPECT_EQ(box.LoadMusic(files.shortTone.c_str()), 3);
  // A music that cannot be loaded still takes an id, silently.
  EXPECT_EQ(box.LoadMusic(files.dir.file("missing.wav").c_str()), 4);
  EXPECT_EQ(box.LoadSample(files.shortTone.c_str()), 5);

  for (int id : {-1, 4, 6, 1000}) {
    EXPECT_FALSE(box.PlaySample(id, 0, 0, 0)) << id;
    EXPECT_FALSE(box.PlayMusic(id)) << id;
  }
  EXPECT_FALSE(box.IsPlaying());
  EXPECT_TRUE(box.PlaySample(2, 0, 0, 0));  // the long one: still on below
  EXPECT_TRUE(box.PlayMusic(3));
  EXPECT_TRUE(box.IsPlaying());
  EXPECT_TRUE(FSOUND_IsPlaying(0));
  EXPECT_TRUE(FSOUND_IsPlaying(1));
  box.DeleteMusic();
  EXPECT_FALSE(box.IsPlaying());
  // Nothing was unloaded.
  EXPECT_TRUE(box.PlaySample(5, 0, 0, 0));
  EXPECT_TRUE(box.PlayMusic(2));
}

TEST_F(SoundBoxTest, VolumeFallsWithTheSquareOfTheDistance) {
  ZEL_SoundBoxFMOD box;
  const int id = box.LoadMusic(files.shortTone.c_str());  // loops: it stays on
  const struct {
    long x, y, z;
    int volume;
  } cases[] = {
      {600, 0, 0, 255},
      {0, 0, 0, 255},  // after a distant sound, not positioned: full again
      {601, 0, 0, 254},
      {0, 0, 0, 255},
      {0, -600, 0, 255},
      {360, 480, 0, 255},  // 600 exactly
      {1000, 0, 0, 91},
      {-600, -1000, 0, 67},
      {4999, 0, 0, 3},
      {5000, 0, 0, 0},
      {3000, 4000, 0, 0},
      {0, 0, 5, 255},        // positioned, but z does not count
      {46341, 46341, 0, 0},  // d squared beyond 32 bits
      {INT32_MIN, INT32_MIN, 0, 0},
      {4294967296L + 601, 0, 0, 254},  // world coordinates are 32-bit
  };
  for (const auto& c : cases) {
    box.DeleteMusic();
    ASSERT_TRUE(box.PlaySample(id, c.x, c.y, c.z));
    EXPECT_EQ(FSOUND_GetVolume(0), c.volume) << c.x << ", " << c.y << ", " << c.z;
  }
}

TEST_F(SoundBoxTest, MusicVolumeActsOnTheMusicIndexAsChannel) {
  ZEL_SoundBoxFMOD box;
  const int musicChannel = 7;
  for (int i = 0; i < musicChannel; ++i) box.LoadSample(files.shortTone.c_str());
  const int music = box.LoadMusic(files.shortTone.c_str());
  ASSERT_EQ(music, musicChannel);

  box.set_Musicvolume(100);
  EXPECT_EQ(FSOUND_GetVolume(musicChannel), 100);
  EXPECT_EQ(box.get_Musicvolume(), 100);
  EXPECT_EQ(FSOUND_GetVolume(musicChannel - 1), 255);
  EXPECT_EQ(FSOUND_GetVolume(musicChannel + 1), 255);

  box.set_Samplesvolume(200);
  for (int c = 0; c < CHANNELS; ++c) {
    EXPECT_EQ(FSOUND_GetVolume(c), c == musicChannel ? 100 : 200) << c;
  }
  EXPECT_EQ(box.get_Samplesvolume(), 200);
  EXPECT_EQ(box.get_Musicvolume(), 100);

  // The mean is over the 31 other channels: 30 at 255 and one at 0.
  box.set_Samplesvolume(255);
  FSOUND_SetVolume(0, 0);
  EXPECT_EQ(box.get_Samplesvolume(), 255 * 30 / 31);

  // Whatever plays on channel 7 is what pauses.
  for (int c = 0; c <= musicChannel; ++c) ASSERT_TRUE(box.PlayMusic(music));
  box.PauseMusic();
  EXPECT_EQ(Mix_Paused(musicChannel), 1);
  EXPECT_EQ(Mix_Paused(-1), 1);  // -1 counts paused channels
  EXPECT_TRUE(FSOUND_IsPlaying(musicChannel));
  box.DeleteMusic();
  EXPECT_FALSE(box.IsPlaying());
}

TEST_F(SoundBoxTest, MusicOperationsWaitForMusic) {
  {
    ZEL_SoundBoxFMOD box;
    const int id = box.LoadSample(files.longTone.c_str());
    box.set_Musicvolume(100);
    EXPECT_EQ(box.get_Musicvolume(), 0);
    ASSERT_TRUE(box.PlaySample(id, 0, 0, 0));
    box.PauseMusic();
    EXPECT_EQ(Mix_Paused(-1), 0);
    for (int c = 0; c < CHANNELS; ++c) EXPECT_EQ(FSOUND_GetVolume(c), 255) << c;
    // Without music the mean is over all 32 channels.
    box.set_Samplesvolume(255);
    FSOUND_SetVolume(0, 0);
    EXPECT_EQ(box.get_Samplesvolume(), 255 * 31 / 32);
  }
  {
    // A box opens again once the last one closed; music beyond the
    // channels leaves every channel a sample channel.
    ZEL_SoundBoxFMOD box;
    for (int i = 0; i < CHANNELS; ++i) box.LoadSample(files.shortTone.c_str());
    EXPECT_EQ(box.LoadMusic(files.shortTone.c_str()), CHANNELS);
    box.set_Musicvolume(10);
    EXPECT_EQ(box.get_Musicvolume(), 0);
    box.set_Samplesvolume(255);
    EXPECT_EQ(box.get_Samplesvolume(), 255);
  }
}

TEST_F(SoundBoxTest, PlayFailsOnlyWhenEveryChannelIsTaken) {
  ZEL_SoundBoxFMOD box;
  const int id = box.LoadMusic(files.shortTone.c_str());
  for (int c = 0; c < CHANNELS; ++c) ASSERT_TRUE(box.PlaySample(id, 0, 0, 0)) << c;
  EXPECT_FALSE(box.PlaySample(id, 0, 0, 0));
  EXPECT_FALSE(box.PlayMusic(id));
  FSOUND_StopSound(5);
  EXPECT_TRUE(box.PlaySample(id, 1000, 0, 0));
  EXPECT_EQ(FSOUND_GetVolume(5), 91);
  box.DeleteMusic();
  EXPECT_FALSE(box.IsPlaying());
  EXPECT_TRUE(box.PlaySample(id, 0, 0, 0));
}

TEST(SoundBoxExitTest, FailuresPrintTheirMessageAndExit) {
  ChildResult r = runInChild([] {
    setenv("SDL_AUDIODRIVER", "nosuchdriver", 1);
    ZEL_SoundBoxFMOD box;
    puts("started anyway");
  });
  EXPECT_TRUE(r.exited) << describe(r);
  EXPECT_EQ(r.exitCode, 255) << describe(r);
  EXPECT_EQ(r.out, INIT_FAILURE);
  EXPECT_EQ(r.err, "");

  SoundFiles files;
  ASSERT_TRUE(files.written);
  // Format characters in the name are printed as they are.
  const std::string missing = files.dir.file("no%s%n.wav");
  r = runInChild([&] {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ZEL_SoundBoxFMOD box;
    box.LoadSample(files.shortTone.c_str());
    box.LoadSample(missing.c_str());
    puts("loaded anyway");
  });
  EXPECT_TRUE(r.exited) << describe(r);
  EXPECT_EQ(r.exitCode, 255) << describe(r);
  EXPECT_EQ(r.out, LOAD_FAILURE + missing + "\n");
  EXPECT_EQ(r.err, "");

  // A file that exists but is not a sound fails the same way.
  r = runInChild([&] {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ZEL_SoundBoxFMOD box;
    box.LoadSample(files.dir.path().c_str());
  });
  EXPECT_EQ(r.exitCode, 255) << describe(r);
  EXPECT_EQ(r.out, LOAD_FAILURE + files.dir.path() + "\n");
}
