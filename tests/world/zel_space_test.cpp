#include "zel_space.h"

#include <gtest/gtest.h>

#include <SDL.h>

#include <string>
#include <vector>

#include "world.h"
#include "zel_collision_detector.h"
#include "zel_event_manager.h"
#include "zel_input_keyboard_sdl.h"
#include "zel_view.h"

namespace {

// Bottom edge = y + 10 for these actors.
const int HEIGHT = 10;

std::vector<ZEL_Actif*> order(ZEL_Space& s) {
  std::vector<ZEL_Actif*> out;
  for (int i = 0; i < s.getActifCount(); ++i) {
    out.push_back(s.getActif(i));
    EXPECT_EQ(s.getActif(i)->getSpaceIndex(), i);
  }
  return out;
}

std::vector<std::string>* journal = nullptr;

class LoggingView : public ZEL_View {
 public:
  LoggingView(long client, World& w) : ZEL_View(client, w.space, w.box, nullptr, 0, 0, 0, 0) {}
  void draw() override { journal->push_back("view"); }
};

class LoggingListener : public ZEL_EventListener {
 public:
  LoggingListener() : ZEL_EventListener(-1, -1, true) {}
  void onEvent(ZEL_Event*) override { journal->push_back("event"); }
};

// Logs its steps; may kill another actor, or read a key, when it steps.
class LoggingActif : public CountingActif {
 public:
  LoggingActif(const std::string& name, ZEL_ListAnimData* l, long y)
      : CountingActif(0, l, 0, y), name(name) {
    setAction(static_cast<Action>(&LoggingActif::log));
  }
  void log() {
    journal->push_back(name);
    if (victim != nullptr) ZEL_Actif::getSpace()->kill(victim);
    if (keyboard != nullptr && keyboard->go_jump()) journal->push_back(name + " sees jump");
  }
  std::string name;
  ZEL_Actif* victim = nullptr;
  ZEL_InputKeyboardSDL* keyboard = nullptr;
};

int destroyed = 0;
class CountedActif : public CountingActif {
 public:
  using CountingActif::CountingActif;
  ~CountedActif() override { ++destroyed; }
};

}  // namespace

TEST(SpaceTest, AddKeepsDrawingOrderAndIndexes) {
  const ChildResult r = runInWorld([](World& w) {
    ZEL_Space& s = *w.space;
    ZEL_ListAnimData* l = w.list(4, HEIGHT);
    CountingActif a(0, l, 0, 40), b(0, l, 0, 20), c(0, l, 0, 30);  // bottoms 50, 30, 40
    s.add(&a);
    s.add(&b);
    s.add(&c);
    EXPECT_EQ(order(s), (std::vector<ZEL_Actif*>{&b, &c, &a}));
    EXPECT_EQ(ZEL_Space::getNbActifs(), 3);
    CountingActif d(0, l, 0, 30);  // equal to c: goes before it
    s.add(&d);
    EXPECT_EQ(order(s), (std::vector<ZEL_Actif*>{&b, &d, &c, &a}));
    s.add(&d);  // already there: refused, never held twice
    EXPECT_EQ(s.getActifCount(), 4);

    EXPECT_TRUE(s.kill(&b));
    EXPECT_EQ(b.getSpaceIndex(), -1);
    EXPECT_EQ(order(s), (std::vector<ZEL_Actif*>{&d, &c, &a}));
    EXPECT_FALSE(s.kill(&b));
    EXPECT_EQ(ZEL_Space::getNbActifs(), 3);
    for (ZEL_Actif* x : {&d, &c, &a}) s.kill(x);
  });
  EXPECT_WORLD_OK(r);
}

TEST(SpaceTest, VerticalMovesReSort) {
  const ChildResult r = runInWorld([](World& w) {
    ZEL_Space& s = *w.space;
    ZEL_ListAnimData* l = w.list(4, HEIGHT);
    CountingActif a(0, l, 0, 0), b(0, l, 0, 10), c(0, l, 0, 20);
    for (ZEL_Actif* x : {&a, &b, &c}) s.add(x);
    a.setYworld(15);  // first moves down past the second
    EXPECT_EQ(order(s), (std::vector<ZEL_Actif*>{&b, &a, &c}));
    c.setYworld(5);  // last moves up past the others
    EXPECT_EQ(order(s), (std::vector<ZEL_Actif*>{&c, &b, &a}));
    b.setYworld(9);  // keeps its place
    EXPECT_EQ(order(s), (std::vector<ZEL_Actif*>{&c, &b, &a}));
    // A private actor's move does not touch the public order.
    CountingActif p(0, l, 0, 100);
    p.setPrivateFlag(true);
    p.setYworld(-100);
    EXPECT_EQ(order(s), (std::vector<ZEL_Actif*>{&c, &b, &a}));
    for (ZEL_Actif* x : {&a, &b, &c}) s.kill(x);
  });
  EXPECT_WORLD_OK(r);
}

TEST(SpaceTest, TheActorLimitHoldsAndRefusedActorsStayTheCallers) {
  const ChildResult r = runInWorld([](World& w) {
    std::vector<CountingActif*> actors;
    for (int i = 0; i < ZEL_Space::MAX_ACTIFS; ++i) {
      actors.push_back(new CountingActif(0, nullptr, 0, ZEL_Space::MAX_ACTIFS - i));
      w.space->add(actors.back());
    }
    EXPECT_EQ(ZEL_Space::getNbActifs(), ZEL_Space::MAX_ACTIFS);
    CountingActif extra(0, nullptr, 0, 0);
    w.space->add(&extra);
    EXPECT_EQ(ZEL_Space::getNbActifs(), ZEL_Space::MAX_ACTIFS);
    EXPECT_EQ(extra.getSpaceIndex(), -1);
    EXPECT_EQ(w.space->getActif(0)->getYworld(), 1);  // in drawing order
    for (CountingActif* a : actors) w.space->killAndDestroy(a);
    EXPECT_EQ(ZEL_Space::getNbActifs(), 0);
  });
  EXPECT_WORLD_OK(r);
  EXPECT_EQ(r.out, "Attention, vous avez d\xe9pass\xe9 le nombre max d'actifs qui vaut 5000\n");
}

TEST(SpaceTest, StepRunsInputActorsGroupsViewsThenEvents) {
  const ChildResult r = runInWorld([](World& w) {
    std::vector<std::string> log;
    journal = &log;
    ZEL_Space& s = *w.space;
    ZEL_ListAnimData* l = w.list(4, HEIGHT);
    ZEL_InputKeyboardSDL keyboard(SDLK_UP, SDLK_DOWN, SDLK_RIGHT, SDLK_LEFT, SDLK_v, SDLK_SPACE,
                                  SDLK_n, SDLK_ESCAPE);
    LoggingActif* a = new LoggingActif("a", l, 0);
    LoggingActif* b = new LoggingActif("b", l, 10);
    LoggingActif* c = new LoggingActif("c", l, 20);
    LoggingActif* p = new LoggingActif("private", l, 0);
    for (ZEL_Actif* x : {a, b, c, p}) s.add(x);
    LoggingView view(7, w);
    s.add(&view);
    s.transvase_public_to_private(p, 7);
    EXPECT_TRUE(p->isPrivate());
    EXPECT_EQ(p->getIdClient(), 7);
    LoggingListener listener;
    ZEL_EventManager::addListener(&listener);
    ZEL_EventManager::generateEvent(new ZEL_Event(1, 1, 0));

    // A key pressed before the step is seen by the actors of that step.
    a->keyboard = &keyboard;
    SDL_Event key = {};
    key.type = SDL_KEYDOWN;
    key.key.keysym.sym = SDLK_v;
    SDL_PushEvent(&key);
    // a kills b during its step: b is not stepped, c still is.
    a->victim = b;
    s.step();
    EXPECT_EQ(log, (std::vector<std::string>{"a", "a sees jump", "c", "private", "view", "event"}));
    EXPECT_EQ(b->getSpaceIndex(), -1);
    delete b;

    s.kill(&view);  // its group goes, and the private actor with it
    EXPECT_EQ(s.getAssociation(0), nullptr);
    s.killAndDestroy(a);
    s.killAndDestroy(c);
    journal = nullptr;
  });
  EXPECT_WORLD_OK(r);
}

TEST(SpaceTest, GroupsOrderByPriorityThenBottomEdge) {
  const ChildResult r = runInWorld([](World& w) {
    ZEL_Space& s = *w.space;
    ZEL_ListAnimData* l = w.list(4, HEIGHT);
    ZEL_View view(3, w.space, w.box, nullptr, 0, 0, 0, 0), other(4, w.space, w.box, nullptr, 0, 0, 0, 0);
    s.add(&view);
    s.add(&other);
    association* group = s.getAssociation(0);
    ASSERT_NE(group, nullptr);
    CountingActif* low = new CountingActif(0, l, 0, 100);
    CountingActif* high = new CountingActif(0, l, 0, 0);
    CountingActif* minus = new CountingActif(0, l, 0, 50);
    for (CountingActif* a : {low, high, minus}) {
      s.add(a);
      s.transvase_public_to_private(a, 3);
    }
    low->setPriority(0);
    high->setPriority(1);
    minus->setPriority(-1);  // priorities compare signed
    EXPECT_EQ(minus->getSpaceIndex(), 0);
    EXPECT_EQ(low->getSpaceIndex(), 1);
    EXPECT_EQ(high->getSpaceIndex(), 2);
    EXPECT_EQ(ZEL_Space::getNbActifs(), 0);

    // A client without a group: nothing moves.
    s.transvase_private_to_public(low, 99);
    EXPECT_TRUE(low->isPrivate());
    s.transvase_private_to_public(low, 3);
    EXPECT_TRUE(low->isPublic());
    EXPECT_EQ(ZEL_Space::getNbActifs(), 1);
    CountedActif* counted = new CountedActif(0, l, 0, 0);
    s.add(counted);
    s.transvase_public_to_private(counted, 99);
    EXPECT_TRUE(counted->isPublic());
    s.transvase_public_to_private(counted, 3);
    destroyed = 0;
    s.kill(&view);  // deletes high, minus and counted
    EXPECT_EQ(destroyed, 1);
    EXPECT_NE(s.getAssociation(1), nullptr);  // the other client's group stays
    s.add(&view);  // the freed slot is reused
    EXPECT_NE(s.getAssociation(0), nullptr);
    s.killAndDestroy(low);
  });
  EXPECT_WORLD_OK(r);
}

TEST(SpaceExitTest, OnlyOneSpaceAndOneDetector) {
  ChildResult r = runInWorld([](World& w) { ZEL_Space second(w.box, &w.timer, false); });
  EXPECT_EQ(r.exitCode, 255) << describe(r);
  EXPECT_EQ(r.out, "Attention, il n'est pas permis d'instancier plusieurs ZEL_EventManager!\n");

  r = runInWorld([](World&) {
    ZEL_CollisionDetector second;  // the world's space made the first
  }, true);
  EXPECT_EQ(r.exitCode, 255) << describe(r);
  EXPECT_EQ(r.out, "Attention, il n'est pas permis d'instancier plusieurs ZEL_CollisionDetector!\n");
}
