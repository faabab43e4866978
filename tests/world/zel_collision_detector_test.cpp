#include "zel_collision_detector.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "world.h"
#include "zel_view.h"

TEST(CollisionDetectorTest, SlotsVisibilityAndPrivateQueries) {
  const ChildResult r = runInWorld([](World& w) {
    ZEL_Space& s = *w.space;
    ZEL_ListAnimData* l = w.list(10, 10);
    CountingActif* a = new CountingActif(0, l, 0, 0);
    CountingActif* b = new CountingActif(0, l, 5, 5);
    s.add(a);
    s.add(b);
    EXPECT_EQ(ZEL_CollisionDetector::slotOf(a), 0);
    EXPECT_EQ(ZEL_CollisionDetector::slotOf(b), 1);
    EXPECT_TRUE(s.collision(a, b));
    b->unsetVisible();
    EXPECT_FALSE(s.collision(a, b));  // at once, without a refresh
    b->setVisible();

    // Horizontal moves do not reach the table: stale until a re-sort.
    b->setXworld(100);
    EXPECT_TRUE(s.collision(a, b));
    EXPECT_FALSE(a->collisionLowLevel(b));

    // A private actor is compared at query time.
    ZEL_View view(1, w.space, w.box, nullptr, 0, 0, 0, 0);
    s.add(&view);
    s.transvase_public_to_private(b, 1);
    EXPECT_FALSE(s.collision(a, b));
    b->setXworld(0);
    EXPECT_TRUE(s.collision(a, b));
    s.transvase_private_to_public(b, 1);

    s.killAndDestroy(a);  // frees slot 0 for the next newcomer
    CountingActif* c = new CountingActif(0, l, 0, 0);
    s.add(c);
    EXPECT_EQ(ZEL_CollisionDetector::slotOf(c), 0);
    // An actor deleted after a plain kill frees its slot too.
    s.kill(c);
    delete c;
    CountingActif* d = new CountingActif(0, l, 50, 50);
    s.add(d);
    EXPECT_EQ(ZEL_CollisionDetector::slotOf(d), 0);
    EXPECT_FALSE(s.collision(b, d));
    s.killAndDestroy(b);
    s.killAndDestroy(d);
    s.kill(&view);
  }, true);
  EXPECT_WORLD_OK(r);
}

// After every vertical move that re-sorts, every cached answer involving
// the moved actor equals the bound-box test. Heights and bound boxes vary,
// some boxes reaching outside their frames.
TEST(CollisionDetectorTest, TableMatchesBoundBoxesAfterEveryReSort) {
  const ChildResult r = runInWorld([](World& w) {
    ZEL_Space& s = *w.space;
    std::mt19937 random(1234);
    std::vector<ZEL_ListAnimData*> lists = {w.list(8, 8), w.list(16, 64), w.list(40, 4),
                                            w.list(8, 8, -20, -30, 30, 2), w.list(4, 120, 0, 0, 3, 119)};
    const int nbActors = 60;
    const int worldSide = 300;
    std::vector<CountingActif*> actors;
    for (int i = 0; i < nbActors; ++i) {
      actors.push_back(new CountingActif(0, lists[random() % lists.size()], random() % worldSide,
                                         random() % worldSide));
      s.add(actors.back());
    }
    int compared = 0, hits = 0;
    for (int move = 0; move < 1500; ++move) {
      CountingActif* a = actors[random() % actors.size()];
      const int before = a->getSpaceIndex();
      a->setYworld(a->getYworld() + static_cast<int>(random() % 121) - 60);
      if (a->getSpaceIndex() == before) continue;  // no re-sort, nothing refreshed
      for (CountingActif* e : actors) {
        const bool expected = e->collisionLowLevel(a);
        ASSERT_EQ(s.collision(e, a), expected) << "move " << move;
        ASSERT_EQ(s.collision(a, e), a->collisionLowLevel(e)) << "move " << move;
        ++compared;
        hits += expected;
      }
    }
    EXPECT_GT(compared, 10000);
    EXPECT_GT(hits, 500);  // the property was tested on real overlaps
    for (CountingActif* a : actors) s.killAndDestroy(a);
  }, true);
  EXPECT_WORLD_OK(r);
}
