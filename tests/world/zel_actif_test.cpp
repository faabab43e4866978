#include "zel_actif.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "world.h"
#include "zel_sprite_anim.h"

namespace {

// Records the calls of step() on which the action ran.
class RecordingActif : public ZEL_Actif {
 public:
  explicit RecordingActif(int period) : ZEL_Actif(period, nullptr, 0, 0, 2) {
    currentAction = static_cast<Action>(&RecordingActif::record);
  }
  void record() { runs.push_back(calls); }
  void other() { others.push_back(calls); }
  void switchToOther() {
    record();
    currentAction = static_cast<Action>(&RecordingActif::other);
  }
  void stepOnce() {
    ++calls;
    step();
  }
  void useSwitch() { currentAction = static_cast<Action>(&RecordingActif::switchToOther); }
  bool isSleeping() { return currentAction == &ZEL_Actif::sleep; }
  int calls = 0;
  std::vector<int> runs, others;
};

}  // namespace

TEST(ActifTest, ActionRunsOnceEveryPeriodPlusOneSteps) {
  for (const auto& c : std::vector<std::pair<int, std::vector<int>>>{
           {0, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}},
           {1, {1, 3, 5, 7, 9, 11}},
           {2, {2, 5, 8, 11}},
           {3, {3, 7, 11}},
           {-1, {}}}) {
    RecordingActif a(c.first);
    for (int i = 0; i < 12; ++i) a.stepOnce();
    EXPECT_EQ(a.runs, c.second) << "period " << c.first;
  }
  // A switched action first runs at the next due step.
  RecordingActif a(1);
  a.useSwitch();
  for (int i = 0; i < 6; ++i) a.stepOnce();
  EXPECT_EQ(a.runs, std::vector<int>{1});
  EXPECT_EQ(a.others, (std::vector<int>{3, 5}));
}

TEST(ActifTest, SleepKeepsTheFirstActionAside) {
  RecordingActif a(0);
  a.sleep();
  a.sleep();  // the second sleep must not save sleep itself
  a.stepOnce();
  EXPECT_TRUE(a.runs.empty());
  a.wakeUp();
  a.stepOnce();
  EXPECT_EQ(a.runs, std::vector<int>{2});

  RecordingActif never(0);
  never.wakeUp();  // never put to sleep: wakes into sleep
  EXPECT_TRUE(never.isSleeping());
}

TEST(ActifTest, WithoutAnimationsAndTextAndDistance) {
  RecordingActif a(0), b(0);
  EXPECT_FALSE(a.isVisible());
  EXPECT_EQ(a.get_largeur(), 0);
  EXPECT_EQ(a.get_hauteur(), 0);
  EXPECT_FALSE(a.collisionLowLevel(&b));
  EXPECT_FALSE(a.collision(0, 0));
  EXPECT_FALSE(a.collision(-5, -5, 10, 10));
  EXPECT_EQ(a.getSpaceIndex(), -1);
  EXPECT_EQ(a.getPriority(), 50);
  EXPECT_EQ(a.getIdClient(), -1);

  EXPECT_STREQ(a.getContextualText(), "");
  const std::string longText(300, 'x');
  a.setContextualText(longText.c_str());
  EXPECT_EQ(std::string(a.getContextualText()), longText.substr(0, 255));

  a.setXworld(3);
  b.setXworld(0);
  EXPECT_EQ(a.getDistance(&b), 9);
  // 65536^2 wraps to 0 in 32 bits, on purpose.
  a.setXworld(65536);
  EXPECT_EQ(a.getDistance(&b), 0);
  a.setXworld(46341);  // 46341^2 passes 2^31: negative
  EXPECT_LT(a.getDistance(&b), 0);
}

TEST(ActifWorldTest, BoundBoxCollisionsIncludeEdgesAndCompareUnsigned) {
  const ChildResult r = runInWorld([](World& w) {
    ZEL_ListAnimData* box10 = w.list(10, 10);
    CountingActif a(0, box10, 0, 0), b(0, box10, 9, 9), c(0, box10, 10, 0);
    EXPECT_TRUE(a.collisionLowLevel(&b));  // corners share a pixel
    EXPECT_TRUE(b.collisionLowLevel(&a));
    EXPECT_FALSE(a.collisionLowLevel(&c));  // side by side, no shared column
    EXPECT_TRUE(a.collision(9, 9));
    EXPECT_FALSE(a.collision(10, 9));
    EXPECT_TRUE(b.collision(4, 4, 5, 5));  // touches b's corner (9, 9)
    EXPECT_FALSE(b.collision(4, 4, 4, 4));
    EXPECT_TRUE(a.collision(9, 0, 100, 0));
    EXPECT_FALSE(a.collision(-5, -5, 10, 10));  // x = -5 reads as a huge value

    // Straddling x = 0: the left edge reads as a huge unsigned value, so
    // this actor does not meet one at [0, 9], on purpose.
    CountingActif straddling(0, box10, -5, 0);
    EXPECT_FALSE(straddling.collisionLowLevel(&a));

    // A bound box narrower than the frame.
    ZEL_ListAnimData* inner = w.list(10, 10, 3, 3, 6, 6);
    CountingActif d(0, inner, 0, 0), e(0, box10, 7, 7);
    EXPECT_FALSE(d.collisionLowLevel(&e));
    e.setXworld(6);
    EXPECT_FALSE(d.collisionLowLevel(&e));  // y still apart: 7 > 6
    EXPECT_EQ(d.get_hauteur(), 10);
    EXPECT_TRUE(d.isVisible());
  });
  EXPECT_WORLD_OK(r);
}

TEST(ActifWorldTest, PrivateActorsStayFixedOnScreen) {
  const ChildResult r = runInWorld([](World& w) {
    ZEL_ListAnimData* l = w.list(4, 4);
    CountingActif* a = new CountingActif(0, l, 20, 30);
    w.space->add(a);
    a->setPrivateFlag(true);  // as an association would
    a->draw(100, 0, 0, 0, 0, 0);
    EXPECT_EQ(a->getXworld(), 120);
    a->draw(130, 0, 0, 0, 0, 0);
    EXPECT_EQ(a->getXworld(), 150);
    EXPECT_EQ(a->getYworld(), 30);
    a->setPrivateFlag(false);
    w.space->killAndDestroy(a);
  });
  EXPECT_WORLD_OK(r);
}
