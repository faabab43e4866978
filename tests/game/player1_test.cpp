#include "player1.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bullet.h"
#include "scripted_input.h"
#include "world.h"
#include "zel_path.h"

namespace {

const int CELL = 16;
const int W = 16;  // player frame
const int H = 32;
const int FLOOR_Y = 10 * CELL;  // top of the floor row

// 40 x 15 cells: a floor at row 10 from column 0 to 29 (a ledge at its
// right end), a wall at column 20 rows 8-9, walls at both world edges.
WorldOptions level() {
  std::vector<std::string> rows(15, "#......................................#");
  rows[8][20] = '#';
  rows[9][20] = '#';
  rows[10] = "##############################.........#";
  rows[14] = std::string(40, '#');
  return levelFromText(rows, CELL);
}

typedef void (player1::*State)();

struct Fixture {
  World& w;
  ScriptedInput input;
  player1* p;
  explicit Fixture(World& world, int x = 100, int y = FLOOR_Y - H) : w(world) {
    p = new player1(x, y, 0, w.listOf(6, W, H), w.listOf(2, 4, 4), &input);
    w.space->add(p);
  }
  ~Fixture() { w.space->killAndDestroy(p); }
  void act() { p->executeCurrentAction(); }
  bool in(State s) { return p->getCurrentAction() == static_cast<ZEL_Actif::Action>(s); }
  int anim() { return p->getCurrentSpriteAnimIndex(); }
};

}  // namespace

TEST(PlayerTest, StandingRightRows) {
  const ChildResult r = runInWorld(
      [](World& w) {
        {
          Fixture f(w);
          EXPECT_TRUE(f.in(&player1::stop_right));
          EXPECT_EQ(f.anim(), player1::STAND_RIGHT);
          EXPECT_EQ(f.p->getXspeed(), 15);
          f.act();  // nothing held: stays
          EXPECT_TRUE(f.in(&player1::stop_right));
          f.input.fire1 = true;
          f.act();
          EXPECT_TRUE(f.in(&player1::shoot_right));
          EXPECT_EQ(f.anim(), player1::SHOOT_RIGHT);
        }
        {
          Fixture f(w);
          f.input.left = true;
          f.act();
          EXPECT_TRUE(f.in(&player1::go_left));
          EXPECT_EQ(f.anim(), player1::WALK_LEFT);
          EXPECT_EQ(f.p->getXspeed(), -15);
        }
        {
          Fixture f(w);
          f.input.up = true;
          f.act();
          EXPECT_TRUE(f.in(&player1::jump));
          EXPECT_EQ(f.p->getYworld(), FLOOR_Y - H - 10);  // the lift
          EXPECT_EQ(f.anim(), player1::STAND_RIGHT);
          ASSERT_NE(f.p->getPath(), nullptr);
        }
        {
          Fixture f(w, 100, FLOOR_Y - H - 20);  // in the air
          f.act();
          EXPECT_TRUE(f.in(&player1::fall));
          EXPECT_NE(f.p->getPath(), nullptr);
        }
      },
      level());
  EXPECT_WORLD_OK(r);
}

TEST(PlayerTest, UpAndRightTogetherMakeAHop) {
  const ChildResult r = runInWorld(
      [](World& w) {
        Fixture f(w);
        f.input.up = f.input.right = true;
        f.act();  // the jump starts, then right overrides it
        EXPECT_TRUE(f.in(&player1::go_right));
        EXPECT_EQ(f.anim(), player1::WALK_RIGHT);
        EXPECT_EQ(f.p->getYworld(), FLOOR_Y - H - 10);
        ZEL_Path* jumpPath = f.p->getPath();
        ASSERT_NE(jumpPath, nullptr);
        f.act();  // off the ground: a fall with a new path, still moving right
        EXPECT_TRUE(f.in(&player1::fall));
        EXPECT_EQ(f.p->getXworld(), 115);
        // Fall back down to the floor and land.
        f.input.releaseAll();
        for (int i = 0; i < 20 && !f.in(&player1::stop_right) && !f.in(&player1::stop_left); ++i) f.act();
        EXPECT_EQ(f.p->getYworld() + H, FLOOR_Y);  // resting on the floor
        EXPECT_EQ(f.p->getPath(), nullptr);
        EXPECT_EQ(f.p->getXspeed(), 0);
      },
      level());
  EXPECT_WORLD_OK(r);
}

TEST(PlayerTest, WalkingRightRowsAndWalls) {
  const ChildResult r = runInWorld(
      [](World& w) {
       {
        Fixture f(w, 240);
        f.input.right = true;
        f.act();
        EXPECT_TRUE(f.in(&player1::go_right));
        f.act();
        EXPECT_EQ(f.p->getXworld(), 255);
        for (int i = 0; i < 4; ++i) f.act();
        EXPECT_EQ(f.p->getXworld(), 315);  // right edge 316 was still in column 19
        EXPECT_TRUE(f.in(&player1::go_right));
        f.act();  // right edge 331: the wall's column, tested before moving
        EXPECT_TRUE(f.in(&player1::stop_right));
        EXPECT_EQ(f.p->getXworld(), 315);
        EXPECT_EQ(f.p->getXspeed(), 0);

        f.input.releaseAll();
        f.input.right = true;
        f.act();  // xspeed back to 15
        EXPECT_EQ(f.p->getXspeed(), 15);
      }
      {
        Fixture f(w, 40);
        f.input.right = true;
        f.act();
        f.input.fire1 = true;  // fire stops the walk
        f.act();
        EXPECT_TRUE(f.in(&player1::stop_right));
        EXPECT_EQ(f.p->getXworld(), 55);  // the move of step 5 still happens
        f.input.releaseAll();
        f.input.right = true;
        f.act();
        f.input.left = true;  // left overrides right; right still moves
        f.act();
        EXPECT_TRUE(f.in(&player1::stop_left));
        EXPECT_EQ(f.anim(), player1::STAND_LEFT);
        f.input.releaseAll();
        f.act();
        EXPECT_TRUE(f.in(&player1::stop_left));
        // Walking left stops at the world's left edge.
        f.input.left = true;
        for (int i = 0; i < 10; ++i) f.act();
        EXPECT_GE(f.p->getXworld(), 0);
        EXPECT_TRUE(f.in(&player1::stop_left) || f.in(&player1::go_left));
      }
      },
      level());
  EXPECT_WORLD_OK(r);
}

TEST(PlayerTest, WalkingOffALedgeFallsWhileMoving) {
  const ChildResult r = runInWorld(
      [](World& w) {
        Fixture f(w, 29 * CELL + 4 - W);  // near the floor's end
        f.input.right = true;
        long before = 0;
        for (int i = 0; i < 10 && !f.in(&player1::fall); ++i) {
          before = f.p->getXworld();
          f.act();
        }
        ASSERT_TRUE(f.in(&player1::fall));
        EXPECT_EQ(f.p->getXworld(), before + 15);  // fell and moved in one action
        EXPECT_GE(f.p->getXworld(), 30 * CELL);     // left edge past the last floor column
      },
      level());
  EXPECT_WORLD_OK(r);
}

TEST(PlayerTest, ShootingFiresOneBulletPerAction) {
  const ChildResult r = runInWorld(
      [](World& w) {
        Fixture f(w);
        f.input.fire1 = true;
        f.act();  // to shoot_right
        const int before = w.space->getActifCount();
        f.act();
        f.act();
        EXPECT_EQ(w.space->getActifCount(), before + 2);
        ZEL_Actif* b = nullptr;
        for (int i = 0; i < w.space->getActifCount(); ++i)
          if (w.space->getActif(i)->getType() == bullet::TYPE) b = w.space->getActif(i);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->getXworld(), 100 + W);
        EXPECT_EQ(b->getYworld(), FLOOR_Y - H + H / 2);
        EXPECT_EQ(b->getCurrentSpriteAnimIndex(), 1);  // the path has not turned yet
        f.input.fire1 = false;
        f.act();
        EXPECT_TRUE(f.in(&player1::stop_right));
        EXPECT_EQ(f.p->getXspeed(), 0);
        for (int i = w.space->getActifCount() - 1; i >= 0; --i) {
          ZEL_Actif* a = w.space->getActif(i);
          if (a->getType() == bullet::TYPE) w.space->killAndDestroy(a);
        }
      },
      level());
  EXPECT_WORLD_OK(r);
}

TEST(PlayerTest, LandingLiftsOutOfTheFloor) {
  const ChildResult r = runInWorld(
      [](World& w) {
        Fixture f(w, 100, FLOOR_Y - H - 40);
        f.act();  // not on the ground: fall
        ASSERT_TRUE(f.in(&player1::fall));
        f.p->setYworld(FLOOR_Y - H + 5);  // sunk 5 pixels into the floor
        f.act();
        EXPECT_EQ(f.p->getYworld(), FLOOR_Y - H);
        // The path has not moved yet: it keeps its initial heading, west.
        EXPECT_TRUE(f.in(&player1::stop_left));
        EXPECT_EQ(f.anim(), player1::STAND_LEFT);
        EXPECT_EQ(f.p->getPath(), nullptr);
      },
      level());
  EXPECT_WORLD_OK(r);
}
