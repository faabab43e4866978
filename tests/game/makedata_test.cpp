// The data tool's makers: what they write reads back through the engine
// as meant, and bad sources stop the tool with a message naming the line.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "anim_files.h"
#include "child_process.h"
#include "gif_writer.h"
#include "level.h"
#include "pixel_art.h"
#include "sounds.h"
#include "sprites.h"
#include "files.h"
#include "zel_anim_data.h"
#include "zel_grafbox_sdl.h"
#include "zel_surface.h"
#include "zel_tile.h"
#include "zel_tile_map.h"
#include "zel_timer_sdl.h"

namespace {

const Rgb RED = {200, 10, 10};
const Rgb NEAR_BLACK = {0, 0, 1};
const Rgb GREY = {9, 9, 9};
const int SCREEN_SIDE = 64;
const int SCREEN_DEPTH = 32;
const unsigned GAME_RATE = 100;  // steps a second, as the game's timer

std::string write(const TempDir& dir, const std::string& name, const std::string& text) {
  const std::string path = dir.file(name);
  writeFile(path, std::vector<uint8_t>(text.begin(), text.end()));
  return path;
}

// A child with a 32-bit screen on SDL's dummy driver and a timer at the
// game's 100 steps a second.
ChildResult onScreen(const std::function<void(ZEL_GrafboxSDL&, ZEL_TimerSDL&)>& body) {
  return runInChild([&] {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ZEL_GrafboxSDL box(SCREEN_SIDE, SCREEN_SIDE, SCREEN_DEPTH, false);
    box.setVideoMode(SCREEN_SIDE, SCREEN_SIDE, SCREEN_DEPTH, false);
    ZEL_TimerSDL timer;
    timer.setRate(GAME_RATE);
    body(box, timer);
  });
}

Rgb pixelOf(ZEL_Surface* s, int x, int y) {
  Rgb c;
  s->getPixel(x, y, &c.r, &c.g, &c.b);
  return c;
}

Image picture(int w, int h, const std::vector<Rgb>& pixels) {
  Image image(w, h);
  image.pixels = pixels;
  return image;
}

}  // namespace

TEST(PixelArtTest, PicturesAreOutlinedThenScaled) {
  TempDir dir;
  SourceText source(write(dir, "art.txt",
                          "# a comment\n"
                          "size 3 2\nscale 2\noutline 9 9 9\n"
                          "color . transparent\ncolor a 200 10 10\n"
                          "\n.a.\n...\n"));
  PixelArt art;
  std::vector<std::string> words;
  for (int i = 0; i < 5; ++i) {
    ASSERT_TRUE(source.nextWords(&words));
    ASSERT_TRUE(art.apply(source, words)) << words[0];
  }
  const Image p = art.readPicture(source);
  ASSERT_EQ(p.largeur, 6);
  ASSERT_EQ(p.hauteur, 4);
  EXPECT_EQ(p.at(2, 0), RED);
  EXPECT_EQ(p.at(3, 1), RED);
  EXPECT_EQ(p.at(0, 1), GREY);   // left of the red pixel
  EXPECT_EQ(p.at(5, 0), GREY);   // right of it
  EXPECT_EQ(p.at(2, 3), GREY);   // below it
  EXPECT_EQ(p.at(0, 3), TRANSPARENT);  // corners stay open
  EXPECT_EQ(mirrored(p).at(0, 1), GREY);
  EXPECT_EQ(mirrored(p).at(1, 2), TRANSPARENT);
}

TEST(PixelArtTest, BadSourcesStopWithTheirLine) {
  TempDir dir;
  const struct {
    const char* text;
    const char* message;
  } cases[] = {
      {"size 2 1\ncolor k 0 0 0\n", ":2: 0 0 0 is the transparent colour: write black as 0 0 1\n"},
      {"size 2 1\ncolor a 1 2 3\nframe f\nab\n", ":4: no colour for 'b'\n"},
      {"size 2 1\ncolor a 1 2 3\nframe f\naaa\n", ":4: a picture row of 3 characters, not 2\n"},
      {"size 2 2\ncolor a 1 2 3\nframe f\naa\n", ":4: the picture ends early\n"},
      {"size 2 1\nscale 9\n", ":2: expected a whole number from 1 to 8, not '9'\n"},
  };
  for (const auto& c : cases) {
    const std::string path = write(dir, "bad.txt", c.text);
    const ChildResult r = runInChild([&] {
      SourceText source(path);
      PixelArt art;
      std::vector<std::string> words;
      while (source.nextWords(&words))
        if (!art.apply(source, words)) break;
      art.readPicture(source);
    });
    EXPECT_EQ(r.exitCode, 1) << describe(r);
    EXPECT_EQ(r.err, "makedata: " + path + c.message);
  }
}

TEST(GifWriterTest, FramesReadBackThroughTheEngineLoader) {
  // What the engine's loader makes of the delay, at 100 steps a second.
  EXPECT_EQ(gifDelayFor(1), 1u);
  EXPECT_EQ(gifDelayFor(9), 9u);
  EXPECT_EQ(gifDelayFor(10), 100u);
  EXPECT_EQ(gifDelayFor(12), 120u);

  TempDir dir;
  const std::vector<Image> frames = {
      picture(3, 2, {RED, TRANSPARENT, NEAR_BLACK, {10, 20, 30}, {10, 20, 30}, RED}),
      picture(3, 2, {TRANSPARENT, TRANSPARENT, TRANSPARENT, TRANSPARENT, GREY, TRANSPARENT}),
  };
  for (const unsigned steps : {4u, 12u}) {
    const std::string path = dir.file("a" + std::to_string(steps) + ".gif");
    const ChildResult r = onScreen([&](ZEL_GrafboxSDL& box, ZEL_TimerSDL& timer) {
      writeGif(path, frames, steps);
      ZEL_AnimData a(path.c_str(), &box, &timer);
      CHILD_CHECK(a.getNbFrames() == 2);
      CHILD_CHECK(a.get_largeur() == 3 && a.get_hauteur() == 2);
      for (int f = 0; f < 2; ++f) {
        CHILD_CHECK(*a.getDelays()->elementAt(f) == steps);
        for (int i = 0; i < 6; ++i) CHILD_CHECK(pixelOf(a.getFrames()->elementAt(f), i % 3, i / 3) == frames[f].pixels[i]);
      }
      const ZEL_Rect* b = a.getBoundBoxes()->elementAt(1);
      CHILD_CHECK(b->x1 == 1 && b->y1 == 1 && b->x2 == 1 && b->y2 == 1);
    });
    EXPECT_TRUE(r.exited && r.exitCode == 0) << describe(r);
  }
}

TEST(SpritesTest, AnimationsAndTheirListAreWrittenInOrder) {
  TempDir dir;
  const std::string source = write(dir, "kind.txt",
                                   "size 2 1\ncolor . transparent\ncolor a 200 10 10\ncolor b 1 2 3\n"
                                   "frame one\nab\nframe two\n.a\n"
                                   "list kind.dat\n"
                                   "anim k_right.spr delay 3 frames one two\n"
                                   "anim k_left.gif delay 2 mirror frames one\n");
  const ChildResult r = onScreen([&](ZEL_GrafboxSDL& box, ZEL_TimerSDL& timer) {
    makeSprites(source, dir.path(), &box);
    ZEL_AnimData right(dir.file("k_right.spr").c_str(), &box, nullptr);
    CHILD_CHECK(right.getNbFrames() == 2 && *right.getDelays()->elementAt(1) == 3);
    CHILD_CHECK(pixelOf(right.getFrames()->elementAt(0), 1, 0) == (Rgb{1, 2, 3}));
    const ZEL_Rect* box2 = right.getBoundBoxes()->elementAt(1);
    CHILD_CHECK(box2->x1 == 1 && box2->x2 == 1);
    ZEL_AnimData left(dir.file("k_left.gif").c_str(), &box, &timer);
    CHILD_CHECK(left.getNbFrames() == 1 && *left.getDelays()->elementAt(0) == 2);
    CHILD_CHECK(pixelOf(left.getFrames()->elementAt(0), 0, 0) == (Rgb{1, 2, 3}));
    CHILD_CHECK(pixelOf(left.getFrames()->elementAt(0), 1, 0) == RED);
  });
  EXPECT_TRUE(r.exited && r.exitCode == 0) << describe(r);
  const std::vector<uint8_t> list = readFile(dir.file("kind.dat"));
  EXPECT_EQ(std::string(list.begin(), list.end()), "k_right.spr\nk_left.gif\n");

  // A kind's animations are one size.
  const std::string mixed = write(dir, "mixed.txt",
                                  "color a 1 2 3\nsize 1 1\nframe small\na\nsize 2 1\nframe wide\naa\n"
                                  "list m.dat\nanim m1.spr delay 0 frames small\nanim m2.spr delay 0 frames wide\n");
  const ChildResult bad = onScreen([&](ZEL_GrafboxSDL& box, ZEL_TimerSDL&) { makeSprites(mixed, dir.path(), &box); });
  EXPECT_EQ(bad.exitCode, 1) << describe(bad);
  EXPECT_EQ(bad.err, "makedata: " + mixed + ":10: m2.spr is not the size of the kind's first animation\n");
}

TEST(LevelTest, LayoutBecomesTheMapOverTheTileSet) {
  TempDir dir;
  const std::string tiles = write(dir, "tiles.txt",
                                  "size 2 2\nscale 2\ncolor s 100 150 250\ncolor g 40 160 40\n"
                                  "tile . sky walkable\nss\nss\ntile G grass solid\ngg\nsg\n");
  const std::string layout = write(dir, "level.txt", "# rows\n...\n.GG\n");
  const std::string tle = dir.file("l.tle");
  const std::string map = dir.file("l.map");
  const ChildResult r = onScreen([&](ZEL_GrafboxSDL& box, ZEL_TimerSDL&) {
    makeLevel(tiles, layout, tle, map, &box);
    ZEL_TileMap m(tle.c_str(), &box);
    m.ReadMap(map.c_str());
    CHILD_CHECK(m.get_nb_tiles() == 2);
    CHILD_CHECK(m.get_nb_colonnes() == 3 && m.get_nb_lignes() == 2);
    CHILD_CHECK(m.get_largeur_tile() == 4 && m.get_largeur() == 12 && m.get_hauteur() == 8);
    const int expected[2][3] = {{0, 0, 0}, {0, 1, 1}};
    for (unsigned row = 0; row < 2; ++row)
      for (unsigned col = 0; col < 3; ++col) CHILD_CHECK(m.getTile(col, row) == expected[row][col]);
    CHILD_CHECK(m.getCorrespondance(0)->IsWalkable());
    CHILD_CHECK(!m.getCorrespondance(1)->IsWalkable());
    CHILD_CHECK(pixelOf(m.getCorrespondance(1)->getSurface(), 1, 3) == (Rgb{100, 150, 250}));
    CHILD_CHECK(pixelOf(m.getCorrespondance(1)->getSurface(), 3, 3) == (Rgb{40, 160, 40}));
  });
  EXPECT_TRUE(r.exited && r.exitCode == 0) << describe(r);

  // Tiles are opaque, and the layout uses only tiles.
  const std::string holed = write(dir, "holed.txt", "size 1 1\ncolor . transparent\ntile . hole walkable\n.\n");
  ChildResult bad = onScreen([&](ZEL_GrafboxSDL& box, ZEL_TimerSDL&) { makeLevel(holed, layout, tle, map, &box); });
  EXPECT_EQ(bad.exitCode, 1) << describe(bad);
  EXPECT_EQ(bad.err, "makedata: " + holed + ":4: tile hole has a transparent pixel; tiles are opaque\n");
  const std::string unknown = write(dir, "unknown.txt", "..\n.x\n");
  bad = onScreen([&](ZEL_GrafboxSDL& box, ZEL_TimerSDL&) { makeLevel(tiles, unknown, tle, map, &box); });
  EXPECT_EQ(bad.exitCode, 1) << describe(bad);
  EXPECT_EQ(bad.err, "makedata: " + unknown + ": row 2 uses 'x', which is no tile\n");
}

TEST(SoundsTest, VoicesMixIntoOneWavFile) {
  TempDir dir;
  const std::string source = write(dir, "sounds.txt",
                                   "rate 8000\nsound t.wav\n"
                                   "sine   0.00 0.50 400 400 0.50 flat\n"
                                   "square 0.25 0.50 200 800 0.25 fade\n"
                                   "noise  0.10 0.10 2000 500 1.00 pluck\n");
  makeSounds(source, dir.path());
  const std::vector<uint8_t> wav = readFile(dir.file("t.wav"));
  const size_t frames = 6000;  // 0.75 s at 8000 Hz
  ASSERT_EQ(wav.size(), 44 + 2 * frames);
  EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4), "RIFF");
  EXPECT_EQ(std::string(wav.begin() + 8, wav.begin() + 16), "WAVEfmt ");
  auto le16 = [&](size_t at) { return static_cast<int16_t>(wav[at] | (wav[at + 1] << 8)); };
  EXPECT_EQ(le16(20), 1);   // PCM
  EXPECT_EQ(le16(22), 1);   // mono
  EXPECT_EQ(le16(34), 16);  // bits
  int peak = 0;
  for (size_t i = 0; i < frames; ++i) peak = std::max(peak, std::abs(static_cast<int>(le16(44 + 2 * i))));
  EXPECT_GT(peak, 10000);
  // Ramps at both ends: no click.
  EXPECT_LT(std::abs(le16(44)), 200);
  EXPECT_LT(std::abs(le16(44 + 2 * (frames - 1))), 200);
}
