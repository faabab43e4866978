// The game's data as made by tools/makedata: every file the entry loads is
// there and loads through the engine, and the level, sprites and font fit
// the game's rules (sizes, floors, open sky, opaque tiles).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "anim_files.h"
#include "child_process.h"
#include "demo_level.h"
#include "fly.h"
#include "player1.h"
#include "scripted_input.h"
#include "world.h"
#include "zel_space.h"
#include "fsound.h"
#include "zel_anim_data.h"
#include "zel_grafbox_sdl.h"
#include "zel_list_anim_data.h"
#include "zel_surface.h"
#include "zel_tile.h"
#include "zel_tile_map.h"
#include "zel_timer_sdl.h"

namespace {

const std::string DATA_DIR = ZEL_GAME_DATA_DIR;

// What the entry loads, and the animations each kind uses by index.
struct Kind {
  const char* list;
  int animsUsed;
};
const Kind KINDS[] = {{"mouche.dat", 2}, {"player1.dat", 6}, {"bullet.dat", 2}, {"shit.dat", 2}, {"soldier.dat", 4}};
const char* const SAMPLES[] = {"injury.wav", "kick.wav", "jump.wav", "fall.wav", "intro.wav"};
const char* const LEVEL_FILES[] = {"dirod.tle", "dirod.map", "cartoon.spr"};

// The entry's window and caption, player start and flies.
const int SCREEN_WIDTH = demo::SCREEN_WIDTH;
const int SCREEN_HEIGHT = demo::SCREEN_HEIGHT;
const int MIN_WORLD_WIDTH = 3 * SCREEN_WIDTH;
const int PLAYER_X = 210;
const int PLAYER_Y = 120;
const int FLY_X_MAX = 250;
const int FLY_Y_MIN = 20;
const int FLY_Y_MAX = 140;
const int CAPTION_X = demo::CAPTION_X;
const int CAPTION_Y = demo::CAPTION_Y;
const int FONT_GLYPHS = 256;
const unsigned GAME_RATE = demo::RATE;
const int SMALL_SCREEN = 64;
const double MAX_SAMPLE_SECONDS = 2.0;
const int MIX_RATE_HZ = 44100;
const int MIX_CHANNELS = 32;

// Problems found in a child are printed; the parent expects none.
int problems = 0;
void problem(const char* format, ...) {
  va_list args;
  va_start(args, format);
  vprintf(format, args);
  va_end(args);
  printf("\n");
  ++problems;
}

// A child in the data directory, as the game runs, with a 32-bit screen on
// SDL's dummy driver and the entry's timer rate.
ChildResult inDataDir(const std::function<void(ZEL_GrafboxSDL&, ZEL_TimerSDL&)>& body) {
  return runInChild([&] {
    if (chdir(DATA_DIR.c_str()) != 0) _exit(2);
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ZEL_GrafboxSDL box(SCREEN_WIDTH, SCREEN_HEIGHT, 32, false);
    box.setVideoMode(SMALL_SCREEN, SMALL_SCREEN, 32, false);
    ZEL_TimerSDL timer;
    timer.setRate(GAME_RATE);
    body(box, timer);
    fflush(stdout);
    flushCoverage();
    _exit(problems == 0 ? 0 : 1);
  });
}

bool isVisible(ZEL_Surface* s, int x, int y) {
  unsigned char r, g, b;
  s->getPixel(x, y, &r, &g, &b);
  return (r | g | b) != 0;
}

bool hasVisiblePixel(ZEL_Surface* s, int w, int h) {
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (isVisible(s, x, y)) return true;
  return false;
}

bool hasVisibleInRow(ZEL_Surface* s, int w, int y) {
  for (int x = 0; x < w; ++x)
    if (isVisible(s, x, y)) return true;
  return false;
}

// The list's animations are one size (tile tests use the current frame's
// size), and every frame shows something.
void checkList(const Kind& kind, ZEL_GrafboxSDL& box, ZEL_TimerSDL& timer, int* gifs) {
  ZEL_ListAnimData list(kind.list, &box, &timer);
  if (list.nbAnims < kind.animsUsed) problem("%s: %d animations, %d used", kind.list, list.nbAnims, kind.animsUsed);
  FILE* f = fopen(kind.list, "r");
  char name[64];
  while (f != nullptr && fscanf(f, "%63s", name) == 1) *gifs += strstr(name, ".gif") != nullptr;
  if (f != nullptr) fclose(f);
  for (int i = 0; i < list.nbAnims; ++i) {
    ZEL_AnimData* a = list.anims[i];
    if (a->get_largeur() != list.anims[0]->get_largeur() || a->get_hauteur() != list.anims[0]->get_hauteur()) {
      problem("%s: animation %d is not the size of animation 0", kind.list, i);
    }
    for (uint32_t frame = 0; frame < a->getNbFrames(); ++frame) {
      ZEL_Surface* s = a->getFrames()->elementAt(static_cast<int>(frame));
      if (!hasVisiblePixel(s, s->getLargeur(), s->getHauteur())) problem("%s: animation %d frame %u is empty", kind.list, i, frame);
    }
  }
}

// Walking kinds stand on the frame's bottom row: it is the floor's top.
void checkFeet(const char* listName, ZEL_GrafboxSDL& box, ZEL_TimerSDL& timer) {
  ZEL_ListAnimData list(listName, &box, &timer);
  for (int i = 0; i < list.nbAnims; ++i) {
    ZEL_AnimData* a = list.anims[i];
    for (uint32_t frame = 0; frame < a->getNbFrames(); ++frame) {
      ZEL_Surface* s = a->getFrames()->elementAt(static_cast<int>(frame));
      if (!hasVisibleInRow(s, s->getLargeur(), s->getHauteur() - 1)) {
        problem("%s: animation %d frame %u floats above its bottom row", listName, i, frame);
      }
    }
  }
}

double wavSeconds(const std::vector<uint8_t>& wav) {
  auto le32 = [&](size_t at) { return uint32_t(wav[at]) | uint32_t(wav[at + 1]) << 8 | uint32_t(wav[at + 2]) << 16 | uint32_t(wav[at + 3]) << 24; };
  if (wav.size() < 44 || memcmp(wav.data(), "RIFF", 4) != 0 || memcmp(wav.data() + 8, "WAVE", 4) != 0) return -1;
  const uint32_t bytesPerSecond = le32(28);
  return bytesPerSecond == 0 ? -1 : static_cast<double>(le32(40)) / bytesPerSecond;
}

}  // namespace

TEST(GameDataTest, EveryFileTheEntryLoadsIsThere) {
  std::vector<std::string> names(std::begin(LEVEL_FILES), std::end(LEVEL_FILES));
  for (const Kind& k : KINDS) names.push_back(k.list);
  for (const char* s : SAMPLES) names.push_back(s);
  for (const std::string& name : names) {
    struct stat st;
    EXPECT_EQ(stat((DATA_DIR + "/" + name).c_str(), &st), 0) << name;
    EXPECT_GT(st.st_size, 0) << name;
  }
  // Short samples that the sound layer reads.
  for (const char* s : SAMPLES) {
    const double seconds = wavSeconds(readFile(DATA_DIR + "/" + s));
    EXPECT_GT(seconds, 0.0) << s;
    EXPECT_LE(seconds, MAX_SAMPLE_SECONDS) << s;
  }
  const ChildResult r = runInChild([] {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    CHILD_CHECK(FSOUND_Init(MIX_RATE_HZ, MIX_CHANNELS, 0));
    for (const char* s : SAMPLES) CHILD_CHECK(FSOUND_Sample_Load(FSOUND_FREE, (DATA_DIR + "/" + s).c_str(), FSOUND_LOOP_OFF, 0) != nullptr);
    FSOUND_Close();
  });
  EXPECT_TRUE(r.exited && r.exitCode == 0) << describe(r);
}

TEST(GameDataTest, AnimationListsHoldWhatEachKindUses) {
  const ChildResult r = inDataDir([](ZEL_GrafboxSDL& box, ZEL_TimerSDL& timer) {
    int gifs = 0;
    for (const Kind& k : KINDS) checkList(k, box, timer, &gifs);
    // The real game goes through the GIF loader too.
    if (gifs == 0) problem("no animation is a GIF");
    checkFeet("player1.dat", box, timer);
    checkFeet("soldier.dat", box, timer);
  });
  EXPECT_TRUE(r.exited && r.exitCode == 0) << describe(r);
  EXPECT_EQ(r.out, "");
}

TEST(GameDataTest, FontHasEveryGlyphInsideItsMargin) {
  const ChildResult r = inDataDir([](ZEL_GrafboxSDL& box, ZEL_TimerSDL&) {
    ZEL_AnimData font("cartoon.spr", &box, nullptr);
    if (font.getNbFrames() != FONT_GLYPHS) problem("%u glyphs", font.getNbFrames());
    const int w = static_cast<int>(font.get_largeur());
    const int h = static_cast<int>(font.get_hauteur());
    const int advance = 2 * w / 5;
    // The caption fits the window on one line.
    const int captionLength = static_cast<int>(strlen(demo::CAPTION));
    if (CAPTION_X + captionLength * advance > SCREEN_WIDTH || CAPTION_Y + h > SCREEN_HEIGHT) problem("the caption leaves the window");
    for (int c = 0; c < static_cast<int>(font.getNbFrames()); ++c) {
      ZEL_Surface* g = font.getFrames()->elementAt(c);
      const bool printable = (c > ' ' && c < 0x7F) || c > 0xA0;
      const bool visible = hasVisiblePixel(g, w, h);
      if (printable != visible && c != 0xAD) problem("glyph %d is %s", c, visible ? "drawn" : "empty");
      if (!visible) continue;
      // Drawn within the cell's left part: the rest is the margin that
      // the next character overlaps.
      const ZEL_Rect* b = font.getBoundBoxes()->elementAt(c);
      if (b->x2 >= w - advance) problem("glyph %d reaches column %d of %d", c, b->x2, w);
    }
  });
  EXPECT_TRUE(r.exited && r.exitCode == 0) << describe(r);
  EXPECT_EQ(r.out, "");
}

TEST(GameDataTest, LevelScrollsHasFloorsAndOpenSky) {
  const ChildResult r = inDataDir([](ZEL_GrafboxSDL& box, ZEL_TimerSDL& timer) {
    ZEL_TileMap map("dirod.tle", &box);
    map.ReadMap("dirod.map");
    if (map.get_largeur() < MIN_WORLD_WIDTH) problem("the world is %d wide", map.get_largeur());
    // The view never shows anything but cells.
    if (map.get_hauteur() < SCREEN_HEIGHT) problem("the world is %d high", map.get_hauteur());

    // Every cell is redrawn over the last frame: no tile may let it through.
    for (int i = 0; i < map.get_nb_tiles(); ++i) {
      ZEL_Tile* t = map.getCorrespondance(i);
      for (int y = 0; y < t->get_hauteur(); ++y)
        for (int x = 0; x < t->get_largeur(); ++x)
          if (!isVisible(t->getSurface(), x, y)) {
            problem("tile %d has a transparent pixel at (%d, %d)", i, x, y);
            y = t->get_hauteur();
            break;
          }
    }

    const int lastColumn = static_cast<int>(map.get_nb_colonnes()) - 1;
    const int rows = static_cast<int>(map.get_nb_lignes());
    if (!map.isSolidInColumn(0, 0, rows) || !map.isSolidInColumn(lastColumn, 0, rows)) problem("no wall at an edge");

    ZEL_ListAnimData player("player1.dat", &box, &timer);
    ZEL_ListAnimData fly("mouche.dat", &box, &timer);
    const int pw = static_cast<int>(player.anims[0]->get_largeur());
    const int ph = static_cast<int>(player.anims[0]->get_hauteur());
    // Falling from its start, the player meets a floor inside the world.
    int y = PLAYER_Y;
    while (y + ph < map.get_hauteur() && map.collisionSouthAt(PLAYER_X, y, pw, ph) == 0) ++y;
    if (y + ph >= map.get_hauteur()) problem("no floor under the player's start");

    // The flies fly straight across the world at their heights.
    const int fh = static_cast<int>(fly.anims[0]->get_hauteur());
    if (static_cast<int>(fly.anims[0]->get_largeur()) + FLY_X_MAX > map.get_largeur()) problem("the flies start outside the world");
    for (int row = map.yworld_to_ytile(FLY_Y_MIN); row <= map.yworld_to_ytile(FLY_Y_MAX + fh - 1); ++row) {
      if (map.isSolidInRow(row, 0, lastColumn)) problem("row %d, where flies fly, has a solid cell", row);
    }
  });
  EXPECT_TRUE(r.exited && r.exitCode == 0) << describe(r);
  EXPECT_EQ(r.out, "");
}

TEST(GameDataTest, ThePlayerLandsOnItsLedgeAndWalksIntoTheLevel) {
  WorldOptions level;
  level.tle = readFile(DATA_DIR + "/dirod.tle");
  level.map = readFile(DATA_DIR + "/dirod.map");
  const ChildResult r = runInWorld(
      [](World& w) {
        ASSERT_EQ(chdir(DATA_DIR.c_str()), 0);
        const demo::Anims anims = demo::loadAnims(w.box, &w.timer);
        ScriptedInput input;
        player1* p = demo::placeActors(*w.space, anims, &input);
        ZEL_TileMap* map = w.tileMap;
        const int cell = map->get_hauteur_tile();
        auto standsOnATile = [&] {
          return map->collision_south(p) == 1 && (p->getYworld() + p->get_hauteur()) % cell == 0;
        };
        // The flies start in the first screen, in open sky above the player.
        for (int i = 0; i < w.space->getActifCount(); ++i) {
          ZEL_Actif* a = w.space->getActif(i);
          if (a->getType() != mouche::TYPE) continue;
          EXPECT_LT(a->getXworld() + a->get_largeur(), SCREEN_WIDTH);
          EXPECT_EQ(map->collisionSouthAt(a->getXworld(), a->getYworld(), a->get_largeur(), a->get_hauteur() - 1), 0);
        }
        const int frames = 100;
        for (int i = 0; i < frames; ++i) w.space->step();
        EXPECT_TRUE(standsOnATile()) << p->getXworld() << ", " << p->getYworld();
        // A short drop to a floor right under its start.
        EXPECT_GE(p->getYworld(), PLAYER_Y);
        EXPECT_LT(p->getYworld(), PLAYER_Y + cell);
        // Walking right leads on into the level, far enough for the view to
        // scroll, to a floor again.
        input.right = true;
        for (int i = 0; i < 4 * frames; ++i) w.space->step();
        input.right = false;
        for (int i = 0; i < frames; ++i) w.space->step();
        EXPECT_TRUE(standsOnATile()) << p->getXworld() << ", " << p->getYworld();
        EXPECT_GT(p->getXworld(), SCREEN_WIDTH / 2);
      },
      level);
  EXPECT_TRUE(r.exited && r.exitCode == 0) << describe(r);
}
