#include <gtest/gtest.h>

#include <malloc.h>

#include <string>
#include <vector>

#include "bullet.h"
#include "fly.h"
#include "player1.h"
#include "scripted_input.h"
#include "shit.h"
#include "soldier.h"
#include "world.h"
#include "zel_view.h"

namespace {

const int CELL = 16;
const int FLY = 16;

// 30 x 15 cells of open sky over a floor at row 12, walls at both edges.
WorldOptions openLevel() {
  std::vector<std::string> rows(15, "#............................#");
  rows[12] = std::string(30, '#');
  rows[13] = rows[14] = std::string(30, '#');
  return levelFromText(rows, CELL);
}

template <class T>
bool in(T* actor, void (T::*state)()) {
  return actor->getCurrentAction() == static_cast<ZEL_Actif::Action>(state);
}

int countType(ZEL_Space* s, int type) {
  int n = 0;
  for (int i = 0; i < s->getActifCount(); ++i) n += s->getActif(i)->getType() == type;
  return n;
}

}  // namespace

TEST(FlyTest, PatrolTurnsAtTheWorldEdgesWithoutMoving) {
  const ChildResult r = runInWorld(
      [](World& w) {
        ZEL_ListAnimData* anims = w.listOf(2, FLY, FLY);
        mouche* f = new mouche(0, 20, 0, anims, anims);  // no player: never strikes
        w.space->add(f);
        EXPECT_EQ(f->getTarget(), nullptr);
        f->executeCurrentAction();
        EXPECT_EQ(f->getXworld(), 4);
        f->setXworld(0);
        f->go_left();  // at x = 0 heading left: turns, no move
        EXPECT_EQ(f->getXworld(), 0);
        EXPECT_EQ(f->getDirection(), 1);
        EXPECT_TRUE(in(f, &mouche::go_right));
        EXPECT_EQ(f->getCurrentSpriteAnimIndex(), 0);
        const int right = w.space->worldWidth - FLY - 3;
        f->setXworld(right);
        f->executeCurrentAction();  // x + 4 > W - w: turns, no move
        EXPECT_EQ(f->getXworld(), right);
        EXPECT_EQ(f->getDirection(), -1);
        EXPECT_TRUE(in(f, &mouche::go_left));
        EXPECT_EQ(f->getCurrentSpriteAnimIndex(), 1);
        f->executeCurrentAction();
        EXPECT_EQ(f->getXworld(), right - 4);
        w.space->killAndDestroy(f);
      },
      openLevel());
  EXPECT_WORLD_OK(r);
}

TEST(FlyTest, DropsOnTheFirstStrikeThenEveryThirtySixth) {
  const ChildResult r = runInWorld(
      [](World& w) {
        ScriptedInput input;
        ZEL_ListAnimData* anims = w.listOf(2, FLY, FLY);
        player1* p = new player1(200, 12 * CELL - 32, 0, w.listOf(6, 16, 32), anims, &input);
        w.space->add(p);
        mouche* f = new mouche(180, 20, 0, anims, w.listOf(2, 4, 4));
        w.space->add(f);
        EXPECT_EQ(f->getTarget(), p);
        std::vector<int> dropsAt;
        for (int action = 1; action <= 150; ++action) {
          const int before = countType(w.space, shit::TYPE);
          f->executeCurrentAction();
          if (countType(w.space, shit::TYPE) > before) dropsAt.push_back(action);
          // Keep the fly over the player whichever way it turned.
          f->setXworld(180);
        }
        // Move, strike, move, strike...: the first strike drops, then one in 36.
        EXPECT_EQ(dropsAt, (std::vector<int>{2, 74, 146}));
        f->hit();
        EXPECT_TRUE(in(f, &mouche::death));
        f->executeCurrentAction();
        EXPECT_EQ(f->getSpaceIndex(), -1);  // left the space, not destroyed
        delete f;
      },
      openLevel());
  EXPECT_WORLD_OK(r);
}

TEST(ProjectileTest, ABulletHitsEveryFlyAndDroppingItOverlaps) {
  const ChildResult r = runInWorld(
      [](World& w) {
        ZEL_ListAnimData* flies = w.listOf(2, FLY, FLY);
        ZEL_ListAnimData* drops = w.listOf(2, 8, 8);
        std::vector<mouche*> hitFlies;
        for (int i = 0; i < 2; ++i) {
          hitFlies.push_back(new mouche(100, 100, 0, flies, drops));
          w.space->add(hitFlies.back());
        }
        mouche* far = new mouche(300, 20, 0, flies, drops);
        w.space->add(far);
        std::vector<shit*> droppings;
        for (int i = 0; i < 3; ++i) droppings.push_back(shit::drop(100, 100 + i, 0.0f, 0.0f, 0, drops));
        // Fired so that its first real move lands on them.
        bullet* b = bullet::fire(100, 100, 0.0f, 0.0f, 0, w.listOf(2, 8, 8));
        ASSERT_NE(b, nullptr);
        b->executeCurrentAction();  // first point: its start, overlapping all
        for (mouche* f : hitFlies) EXPECT_TRUE(in(f, &mouche::death));
        EXPECT_FALSE(in(far, &mouche::death));
        for (shit* s : droppings) EXPECT_EQ(s->getHitCount(), 1);
        EXPECT_TRUE(in(b, &bullet::hit));
        b->executeCurrentAction();
        EXPECT_EQ(b->getSpaceIndex(), -1);
      },
      openLevel());
  EXPECT_WORLD_OK(r);
}

TEST(ProjectileTest, DroppingsSplashAndLeaveAfterFourHits) {
  const ChildResult r = runInWorld(
      [](World& w) {
        shit* s = shit::drop(100, 12 * CELL - 30, 0.0f, 0.0f, 0, w.listOf(2, 8, 8));
        int actions = 0;
        while (!in(s, &shit::hit) && actions < 100) {
          s->executeCurrentAction();
          ++actions;
        }
        ASSERT_TRUE(in(s, &shit::hit));
        EXPECT_EQ(s->getCurrentSpriteAnimIndex(), 1);  // the splash
        for (int i = 0; i < 3; ++i) {
          s->executeCurrentAction();
          EXPECT_NE(s->getSpaceIndex(), -1);
        }
        s->executeCurrentAction();  // the fourth hit
        EXPECT_EQ(s->getSpaceIndex(), -1);
        // A dropping made inside a solid tile splashes at its first action.
        shit* buried = shit::drop(100, 12 * CELL + 4, 0.0f, 0.0f, 0, w.listOf(2, 8, 8));
        buried->executeCurrentAction();
        EXPECT_TRUE(in(buried, &shit::hit));
        // The next drop deletes the ones that left the space.
        shit::reclaim();
      },
      openLevel());
  EXPECT_WORLD_OK(r);
}

TEST(SoldierTest, ChasesShootsAVolleyAndFalls) {
  const ChildResult r = runInWorld(
      [](World& w) {
        ZEL_ListAnimData* anims = w.listOf(4, 16, 32);
        ZEL_ListAnimData* bullets = w.listOf(2, 8, 8);
        // Without a target it turns at every action and never moves.
        soldier* lonely = new soldier(100, 12 * CELL - 32, 0, anims, bullets);
        w.space->add(lonely);
        for (int i = 0; i < 4; ++i) lonely->executeCurrentAction();
        EXPECT_EQ(lonely->getXworld(), 100);
        w.space->killAndDestroy(lonely);

        ScriptedInput input;
        player1* p = new player1(300, 12 * CELL - 32, 0, w.listOf(6, 16, 32), bullets, &input);
        w.space->add(p);
        soldier* s = new soldier(100, 12 * CELL - 32, 0, anims, bullets);
        w.space->add(s);
        s->executeCurrentAction();
        EXPECT_EQ(s->getXworld(), 105);
        long before = 0;
        for (int i = 0; i < 100 && !in(s, &soldier::shoot_right); ++i) {
          before = s->getXworld();
          s->executeCurrentAction();
        }
        // Within 50 pixels: shooting chosen, and the step still taken.
        ASSERT_TRUE(in(s, &soldier::shoot_right));
        EXPECT_EQ(before, 250);
        EXPECT_EQ(s->getXworld(), 255);
        const int bulletsBefore = countType(w.space, bullet::TYPE);
        s->executeCurrentAction();
        EXPECT_EQ(countType(w.space, bullet::TYPE), bulletsBefore + 1);
        for (int i = 0; i < 3; ++i) s->executeCurrentAction();
        EXPECT_EQ(countType(w.space, bullet::TYPE), bulletsBefore + 1);  // one per volley
        EXPECT_TRUE(in(s, &soldier::go_right));
        EXPECT_EQ(s->getShotCount(), 0);

        // Off the ground it falls and lands on the floor.
        p->setXworld(460);
        s->setYworld(40);
        s->executeCurrentAction();
        EXPECT_TRUE(in(s, &soldier::fall));
        for (int i = 0; i < 30 && in(s, &soldier::fall); ++i) s->executeCurrentAction();
        EXPECT_EQ(s->getYworld() + 32, 12 * CELL);
        EXPECT_EQ(s->getPath(), nullptr);
      },
      openLevel());
  EXPECT_WORLD_OK(r);
}

#if !defined(__SANITIZE_ADDRESS__)
// Continuous shooting for 100,000 frames of step and draw: the memory in
// use stays where it was after 1,000. (The sanitizer's quarantine holds
// freed memory, so this runs in the plain build only.)
TEST(ProjectileTest, ContinuousShootingDoesNotGrowMemory) {
  const ChildResult r = runInWorld(
      [](World& w) {
        ScriptedInput input;
        input.fire1 = true;
        // Period 1, as in the game: a bullet sorted in before the player
        // makes the space step it again in the same frame, and with period
        // 0 it would fire again at once.
        player1* p = new player1(100, 12 * CELL - 32, 1, w.listOf(6, 16, 32), w.listOf(2, 8, 8), &input);
        w.space->add(p);
        ZEL_View view(666, w.space, w.box, p, 0, 0, 64, 64);
        size_t after1000 = 0;
        for (int frame = 1; frame <= 100000; ++frame) {
          w.space->step();
          view.draw();
          if (frame == 1000) after1000 = mallinfo2().uordblks;
        }
        const size_t after100000 = mallinfo2().uordblks;
        printf("in use: %zu bytes after 1000 frames, %zu after 100000\n", after1000, after100000);
        EXPECT_LE(after100000, after1000 + 64 * 1024);
        EXPECT_GE(countType(w.space, bullet::TYPE), 1);
        bullet::reclaim();
      },
      openLevel());
  EXPECT_WORLD_OK(r);
  printf("%s", r.out.c_str());
}
#endif
