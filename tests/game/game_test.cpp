#include <gtest/gtest.h>
#include <malloc.h>

#include <sstream>
#include <thread>

#include "bullet.h"
#include "demo_level.h"
#include "fly.h"
#include "game_runs.h"
#include "player1.h"
#include "projectile_pool.h"
#include "shit.h"
#include "soldier.h"
#include "sounds.h"
#include "world.h"
#include "zel_anim_data.h"
#include "zel_font.h"
#include "zel_input.h"
#include "zel_view.h"

namespace {

const int FLOOR_Y = 12 * 16;       // top of the floor row of level()
const int STAND_Y = FLOOR_Y - 32;  // a 16 x 32 player or soldier standing on it
const std::string DATA_DIR = GAME_DATA_DIR;
const char BANNER[] = "--- http://www.example.com/zel ---\n";

struct ScriptedInput : ZEL_Input {  // held: the letters of U D L R J F G (fire 2) E held
  std::string held;
  bool has(char c) const { return held.find(c) != std::string::npos; }
  bool go_up() override { return has('U'); }
  bool go_down() override { return has('D'); }
  bool go_left() override { return has('L'); }
  bool go_right() override { return has('R'); }
  bool go_jump() override { return has('J'); }
  bool go_fire1() override { return has('F'); }
  bool go_fire2() override { return has('G'); }
  bool go_escape() override { return has('E'); }
};

template <class T>
bool in(T* actor, void (T::*state)()) {
  return actor->getCurrentAction() == static_cast<ZEL_Actif::Action>(state);
}

// Whether a surface shows any pixel but the transparent black.
bool hasInk(ZEL_Surface* s) {
  unsigned char rgb[3];
  for (int i = 0; i < s->getLargeur() * s->getHauteur(); ++i) {
    s->getPixel(i % s->getLargeur(), i / s->getLargeur(), &rgb[0], &rgb[1], &rgb[2]);
    if (rgb[0] | rgb[1] | rgb[2]) return true;
  }
  return false;
}

// The number a shell command prints first (on either output), or -1.
long numberFrom(const std::string& command) {
  std::unique_ptr<FILE, int (*)(FILE*)> out(popen((command + " 2>&1").c_str(), "r"), pclose);
  long n = -1;
  return out != nullptr && fscanf(out.get(), "%ld", &n) == 1 ? n : -1;
}

bool run(const std::string& command) { return system(command.c_str()) == 0; }

// From (x, y), one action per word of held controls: the state, animation, place and bullets fired.
using P = player1;
const struct {
  int x, y;
  const char* script;
  void (P::*state)();
  std::vector<long> end;
} PLAYER_ROWS[] = {
    {100, STAND_Y, "F F F", &P::shoot_right, {P::SHOOT_RIGHT, 100, STAND_Y, 2}},  // one per action
    {100, STAND_Y, "UR", &P::go_right, {P::WALK_RIGHT, 100, STAND_Y - 10, 0}},    // lifted, Right overrides
    {100, STAND_Y, "UR UR", &P::fall, {P::STAND_RIGHT, 115, STAND_Y - 10, 0}},    // a hop
    {100, STAND_Y - 40, ". . . . . . . . .", &P::stop_right, {P::STAND_RIGHT, 145, STAND_Y, 0}},  // sank 4
    {240, STAND_Y, "R R R R R R R", &P::stop_right, {P::STAND_RIGHT, 315, STAND_Y, 0}},  // wall at 320
    {40, STAND_Y, "L L L L L L", &P::stop_left, {P::STAND_LEFT, 10, STAND_Y, 0}},  // tested before moving
    {40, STAND_Y, "R RF R RL", &P::stop_left, {P::STAND_LEFT, 70, STAND_Y, 0}},  // Fire stops, Left overrides
    {388, STAND_Y, "R R R R", &P::fall, {P::STAND_RIGHT, 433, STAND_Y, 0}},      // off the ledge, moving
};

}  // namespace

TEST(ActorTest, PlayerRowsThenFliesBulletsDroppingsAndSoldiers) {
  // 30 x 15 cells of 16 pixels: edge walls, a floor at row 12 to column 25, column 20 rows 10-11 solid.
  std::vector<std::string> rows(15, "#............................#");
  rows[10][20] = rows[11][20] = '#';
  rows[12] = std::string(26, '#') + "...#";
  const ChildResult r = runInWorld(
      [](World& w) {
        ZEL_ListAnimData *anims = w.listOf(6, 16, 32), *small = w.listOf(2, 8, 8);
        auto add = [&](auto* actor) {
          w.space->add(actor);
          return actor;
        };
        for (const auto& row : PLAYER_ROWS) {
          ScriptedInput input;
          player1* p = add(new player1(row.x, row.y, 0, anims, small, &input));
          const long before = w.space->getActifCount();
          std::istringstream script(row.script);
          while (script >> input.held) p->executeCurrentAction();
          EXPECT_TRUE(in(p, row.state)) << row.script;
          const std::vector<long> end = {p->getCurrentSpriteAnimIndex(), p->getXworld(), p->getYworld(),
                                         w.space->getActifCount() - before};
          EXPECT_EQ(end, row.end) << row.script;
          w.space->killAndDestroy(p);
        }

        mouche* lone = add(new mouche(0, 20, 0, anims, small));  // no player yet: never strikes
        lone->go_left();  // at x = 0 heading left: turns without moving
        EXPECT_TRUE(in(lone, &mouche::go_right) && lone->getXworld() == 0);
        lone->setXworld(w.space->worldWidth - 19);
        lone->executeCurrentAction();  // x + 4 past the right edge: turns without moving
        EXPECT_TRUE(in(lone, &mouche::go_left) && lone->getXworld() == w.space->worldWidth - 19);

        ScriptedInput input;
        player1* p = add(new player1(200, STAND_Y, 0, anims, small, &input));
        mouche* f = add(new mouche(180, 20, 0, anims, small));
        std::vector<int> dropsAt;
        for (int action = 1; action <= 150; ++action) {
          const int before = w.space->getActifCount();
          f->executeCurrentAction();
          if (w.space->getActifCount() > before) dropsAt.push_back(action);
          f->setXworld(180);  // over the player whichever way it turned
        }
        EXPECT_EQ(dropsAt, (std::vector<int>{2, 74, 146}));  // every other action strikes

        mouche* f2 = add(new mouche(180, 20, 0, anims, small));
        bullet* shot = bullet::fire(180, 20, 0.0f, 0.0f, 0, small);
        shot->executeCurrentAction();  // over f, f2 and the drops
        EXPECT_TRUE(in(f, &mouche::death) && in(f2, &mouche::death) && !in(lone, &mouche::death));
        shot->executeCurrentAction();  // a bullet that hit leaves, a hit fly dies
        f->executeCurrentAction();
        EXPECT_TRUE(shot->getSpaceIndex() == -1 && f->getSpaceIndex() == -1);
        bullet* up = bullet::fire(100, 4, 0.0f, -8.0f, 0, small);  // out through the top
        for (int i = 0; i < 200 && up->getSpaceIndex() != -1; ++i) up->executeCurrentAction();
        EXPECT_EQ(up->getSpaceIndex(), -1);
        for (int i = 0; i < w.space->getActifCount(); ++i) {
          shit* d = dynamic_cast<shit*>(w.space->getActif(i));
          EXPECT_TRUE(d == nullptr || d->getHitCount() == 1) << i;
        }

        shit* s = shit::drop(300, FLOOR_Y - 30, 0.0f, 0.0f, 0, small);
        for (int i = 0; i < 100 && !in(s, &shit::hit); ++i) s->executeCurrentAction();
        for (int hits = 1; hits <= 3; ++hits) s->executeCurrentAction();  // splashed: leaves at the 4th hit
        EXPECT_NE(s->getSpaceIndex(), -1);
        s->executeCurrentAction();
        EXPECT_EQ(s->getSpaceIndex(), -1);

        p->setXworld(300);  // a soldier walks to the player, shoots once a volley, walks on and falls
        soldier* so = add(new soldier(100, STAND_Y, 0, anims, small));
        for (int i = 0; i < 100 && !in(so, &soldier::shoot_right); ++i) so->executeCurrentAction();
        EXPECT_EQ(so->getXworld(), 255);  // within 50 pixels: shoots, the step still taken
        const int before = w.space->getActifCount();
        for (int i = 0; i < 4; ++i) so->executeCurrentAction();
        EXPECT_TRUE(w.space->getActifCount() == before + 1 && in(so, &soldier::go_right));
        p->setXworld(400);
        so->setYworld(40);
        so->executeCurrentAction();
        EXPECT_TRUE(in(so, &soldier::fall));
        for (int i = 0; i < 30 && in(so, &soldier::fall); ++i) so->executeCurrentAction();
        EXPECT_EQ(so->getYworld(), STAND_Y);
        const long landed = so->getXworld();
        p->setXworld(40);  // now behind it: it turns and walks left
        for (int i = 0; i < 3; ++i) so->executeCurrentAction();
        EXPECT_TRUE(in(so, &soldier::go_left) && so->getXworld() < landed);
        w.space->killAndDestroy(so);
      },
      levelFromText(rows, 16));
  EXPECT_WORLD_OK(r);
}

// The real data: shooting without end holds its memory, and the data fits the rules of the game.
TEST(RealDataTest, EndlessShootingHoldsItsMemoryAndTheDataFitsTheGame) {
  const ChildResult r = runInChild([] {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    CHILD_CHECK(chdir(DATA_DIR.c_str()) == 0);
    ZEL_TimerSDL timer;
    timer.setRate(demo::RATE);
    ZEL_GrafboxSDL box(demo::SCREEN_WIDTH, demo::SCREEN_HEIGHT, demo::SCREEN_DEPTH, false);
    box.setVideoMode(demo::SCREEN_WIDTH, demo::SCREEN_HEIGHT, demo::SCREEN_DEPTH, false);
    ZEL_TileMap map("dirod.tle", &box);
    map.ReadMap("dirod.map");
    ZEL_Space space(&box, &timer, &map, false);  // silent: no sound box
    ScriptedInput input;
    ZEL_Actif::setSpace(&space);
    const demo::Anims a = demo::loadAnims(&box, &timer);
    player1* player = demo::placeActors(space, a, &input);
#if !defined(__SANITIZE_ADDRESS__)
    // Shooting on: firing deletes retired bullets, so pool and memory stay (ASan would hold freed memory).
    input.held = "F";
    const size_t inUse = mallinfo2().uordblks, allowedGrowth = 64 * 1024;
    const int fewRetired = 4;
    int mostRetired = 0;
    for (int frame = 0; frame < 100000; ++frame) {
      space.step();
      mostRetired = std::max(mostRetired, ProjectilePool<bullet>::retiredCount());
    }
    EXPECT_LE(mostRetired, fewRetired);
    EXPECT_LE(mallinfo2().uordblks, inUse + allowedGrowth);
#endif

    const std::pair<ZEL_ListAnimData*, int> kinds[] = {
        {a.fly, 2}, {a.player, 6}, {a.bullet, 2}, {a.shit, 2}, {a.soldier, 4}};
    for (const auto& k : kinds) EXPECT_GE(k.first->nbAnims, k.second) << k.second;  // the animations it uses
    ZEL_AnimData glyphs("cartoon.spr", &box, nullptr);
    const int width = static_cast<int>(glyphs.get_largeur()), advance = 2 * width / 5;  // the rest overlapped
    for (int c = 0; c < 256; ++c) {
      const bool ink = hasInk(glyphs.getFrames()->elementAt(c));
      EXPECT_TRUE(c == 0xAD || ink == ((c > ' ' && c < 0x7F) || c > 0xA0)) << c;  // the soft hyphen may be
      EXPECT_TRUE(!ink || glyphs.getBoundBoxes()->elementAt(c)->x2 < width - advance) << c;
    }
    const int lastColumn = static_cast<int>(map.get_nb_colonnes()) - 1;
    const int rows = static_cast<int>(map.get_nb_lignes());
    EXPECT_TRUE(map.get_largeur() >= 3 * demo::SCREEN_WIDTH && map.isSolidInColumn(0, 0, rows));
    EXPECT_TRUE(map.isSolidInColumn(lastColumn, 0, rows));
    const int column = map.xworld_to_xtile(210), feet = map.yworld_to_ytile(120 + player->get_hauteur());
    EXPECT_TRUE(map.isSolidInColumn(column, feet, rows));  // a floor under the player's start
    for (int flyRow = map.yworld_to_ytile(20); flyRow <= map.yworld_to_ytile(156); ++flyRow)
      EXPECT_FALSE(map.isSolidInRow(flyRow, 0, lastColumn)) << flyRow;
  });
  EXPECT_TRUE(r.exited && r.exitCode == 0 && r.out.empty()) << describe(r);
}

TEST(PlateformeTest, DrawsTheLevelScrollsWithTheViewQuitsOnEscapeAndReplaysWhatWasPlayed) {
  const std::string wmClass = "zel_game_" + std::to_string(getpid());
  ChildResult game;
  TempDir dir;
  const std::string stream = dir.file("played.stream");
  std::thread running([&] {
    game = runGame(DATA_DIR, {"--record", stream}, {{"SDL_VIDEO_X11_WMCLASS", wmClass}});
  });
  [&] {
    const long id = numberFrom("timeout 15 xdotool search --sync --onlyvisible --classname " + wmClass);
    ASSERT_GT(id, 0) << "no window";
    const std::string window = std::to_string(id), shot = "import -window " + window;
    // Colours in a part of the window: the level drawn (not a blank), the caption over the bottom band.
    auto colours = [&](const char* box) { return numberFrom(shot + " -crop " + box + " -format %k info:"); };
    ASSERT_TRUE(waitUntil([&] { return colours("640x430+0+0") > 8 && colours("640x50+0+430") > 8; }, 10000));
    ASSERT_TRUE(run(shot + " " + dir.file("start.png")));
    // Right held until the view has moved (a twentieth of the pixels differ), however slow the machine.
    const std::string compare = " png:- | compare -metric AE " + dir.file("start.png") + " - null:";
    ASSERT_TRUE(run("xdotool windowfocus --sync " + window + " keydown Right"));
    const bool moved = waitUntil(
        [&] { return numberFrom(shot + compare) > demo::SCREEN_WIDTH * demo::SCREEN_HEIGHT / 20; }, 10000);
    run("xdotool keyup Right");
    EXPECT_TRUE(moved);
  }();
  // Quit while shooting, bullets in flight; held a few frames, and sent whatever failed above.
  run("xdotool keydown space sleep 0.3 keydown Escape sleep 0.3 keyup Escape keyup space");
  running.join();
  EXPECT_EQ(game.exitCode, 0) << describe(game);
  EXPECT_EQ(game.out.rfind(BANNER, 0), 0u) << game.out;
  // What was played replays the same, step for step.
  const ChildResult replay = runGame(DATA_DIR, {"--replay", stream, "--fast"}, NO_WINDOW);
  EXPECT_TRUE(replay.exitCode == 0 && replay.out.find(" steps, identical\n") != std::string::npos)
      << describe(replay);
}

// The sound maker on a source: what it wrote, or the message it stops with.
const struct {
  const char* source;
  const char* result;
} MAKER_ROWS[] = {
    {"rate 8000\nsound t.wav\nsine 0 0.5 400 400 0.5 flat\nsquare 0.25 0.5 200 800 0.25 fade\n"
     "noise 0.1 0.1 2000 500 1 pluck\n",
     "12044 bytes, peak over 10000, ramps under 200\n"},  // 0.75 s at 8000 Hz after a 44-byte header
    {"rate 8000\nsound t.wav\nhum 0 0.5 400 400 0.5 flat\n", ":3: unknown wave hum\n"},
    {"rate 8000\nsine 0 0.5 400 400 0.5 flat\n", ":2: a voice before its sound\n"},
};

TEST(MakedataTest, SoundSourcesMakeTheirWavOrStopWithTheirLine) {
  for (const auto& row : MAKER_ROWS) {
    TempDir dir;
    const std::string source = dir.file("source.txt");
    writeFile(source, std::vector<uint8_t>(row.source, row.source + strlen(row.source)));
    const ChildResult r = runInChild([&] {
      makeSounds(source, dir.path());
      const std::vector<uint8_t> wav = readFile(dir.file("t.wav"));
      auto at = [&](size_t i) { return std::abs(static_cast<int16_t>(wav[i] | wav[i + 1] << 8)); };
      int peak = 0;
      for (size_t i = 44; i + 1 < wav.size(); i += 2) peak = std::max(peak, at(i));
      printf("%zu bytes, peak over %d, ramps under %d\n", wav.size(), peak > 10000 ? 10000 : 0,
             at(44) < 200 && at(wav.size() - 2) < 200 ? 200 : 32768);
    });
    const bool bad = row.result[0] == ':';
    EXPECT_EQ(r.exitCode, bad ? 1 : 0) << describe(r);
    EXPECT_EQ(r.out + r.err, bad ? "makedata: " + source + row.result : row.result);
  }
}
