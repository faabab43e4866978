// The real executable under the test X server, started from the data
// directory the build made.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <thread>

#include "anim_files.h"
#include "game_process.h"

namespace {

const char BANNER[] = "--- http://www.example.com/zel ---\n";
const int START_TIMEOUT_MS = 15000;
const int EXIT_TIMEOUT_MS = 5000;
const int SCREEN_WIDTH = 640;
const int SCREEN_HEIGHT = 480;
const int CAPTION_TOP = 430;

void pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

int distinctColours(const Screenshot& s, int top, int bottom) {
  std::set<uint32_t> colours;
  for (int y = top; y < bottom; ++y)
    for (int x = 0; x < s.width; ++x) colours.insert(s.at(x, y));
  return static_cast<int>(colours.size());
}

double differingShare(const Screenshot& a, const Screenshot& b) {
  size_t differing = 0;
  for (size_t i = 0; i < a.pixels.size(); ++i) differing += a.pixels[i] != b.pixels[i];
  return static_cast<double>(differing) / static_cast<double>(a.pixels.size());
}

}  // namespace

TEST(PlateformeTest, StartsScrollsWithTheViewAndQuitsOnEscape) {
  GameProcess game(GAME_EXECUTABLE, GAME_DATA_DIR);
  const std::string window = findWindow(game.getPid(), START_TIMEOUT_MS);
  ASSERT_FALSE(window.empty()) << game.readOut() << game.readErr();
  pause(500);
  const Screenshot start = captureWindow(window);
  ASSERT_EQ(start.width, SCREEN_WIDTH);
  ASSERT_EQ(start.height, SCREEN_HEIGHT);
  EXPECT_GT(distinctColours(start, 0, CAPTION_TOP), 8);  // a level, not a blank screen
  // The caption sits over the bottom band: more colours than the tiles there.
  EXPECT_GT(distinctColours(start, CAPTION_TOP, SCREEN_HEIGHT), 8);

  ASSERT_TRUE(runCommand("xdotool windowfocus --sync " + window + " keydown Right"));
  pause(1500);
  ASSERT_TRUE(runCommand("xdotool keyup Right"));
  pause(200);
  const Screenshot moved = captureWindow(window);
  ASSERT_EQ(moved.pixels.size(), start.pixels.size());
  EXPECT_GT(differingShare(start, moved), 0.05);  // the view followed the player

  // Held across a few frames: a press and release drained by one input
  // update are never seen.
  ASSERT_TRUE(runCommand("xdotool keydown Escape"));
  pause(200);
  runCommand("xdotool keyup Escape");
  int status = -1;
  ASSERT_TRUE(game.waitForExit(EXIT_TIMEOUT_MS, status)) << "still running after Escape";
  EXPECT_EQ(status, 0) << game.readErr();
  EXPECT_EQ(game.readOut().rfind(BANNER, 0), 0u) << game.readOut();
}

TEST(PlateformeTest, MissingDataEndsTheStartWithItsMessage) {
  namespace fs = std::filesystem;
  const fs::path empty = tempPath("empty_dir");
  fs::create_directories(empty);
  {
    GameProcess game(GAME_EXECUTABLE, empty.string());
    int status = -1;
    ASSERT_TRUE(game.waitForExit(EXIT_TIMEOUT_MS, status));
    EXPECT_EQ(status, 255);
    EXPECT_EQ(game.readOut(), std::string(BANNER) + "erreur d'ouverture du fichier dirod.tle\n");
  }
  // Every file but the sample nothing plays: start-up still ends.
  const fs::path partial = tempPath("partial_dir");
  fs::create_directories(partial);
  for (const fs::directory_entry& e : fs::directory_iterator(GAME_DATA_DIR)) {
    if (e.path().filename() != "intro.wav") fs::copy(e.path(), partial / e.path().filename());
  }
  {
    GameProcess game(GAME_EXECUTABLE, partial.string());
    int status = -1;
    ASSERT_TRUE(game.waitForExit(START_TIMEOUT_MS, status));
    EXPECT_EQ(status, 255);
    EXPECT_EQ(game.readOut(), std::string(BANNER) + "cannot load this sample: intro.wav\n");
  }
  fs::remove_all(empty);
  fs::remove_all(partial);
}
