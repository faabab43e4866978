#include <SDL.h>
#include <gtest/gtest.h>

#include <random>

#include "world.h"
#include "zel_collision_detector.h"
#include "zel_event_manager.h"
#include "zel_input_keyboard_sdl.h"
#include "zel_view.h"

const int ANY = -1;
const int NEVER = 0;  // lifetime of an event that never becomes obsolete
const WorldOptions WITH_DETECTOR = {true, {}, {}};
std::string journal;  // what the actors, views and listeners below did, in order
int eventsDestroyed = 0;
ZEL_InputKeyboardSDL* keyboard = nullptr;

struct CountedEvent : ZEL_Event {
  using ZEL_Event::ZEL_Event;
  ~CountedEvent() override { ++eventsDestroyed; }
  void setAge(int32_t a) { age = a; }
};

// Logs "<tag><event id> "; a relay posts event id + 1, then turns consuming (too late for this event).
struct Recorder : ZEL_EventListener {
  Recorder(const char* tag, int type, int id, bool consumes, bool relays = false)
      : ZEL_EventListener(type, id, consumes), tag(tag), relays(relays) {}
  void onEvent(ZEL_Event* e) override {
    journal += tag + std::to_string(e->getID()) + " ";
    if (relays) ZEL_EventManager::generateEvent(new CountedEvent(e->getID() + 1, 0, 1));
    consumes = consumes || relays;
  }
  std::string tag;
  bool relays;
};

// Logs its steps, and whether the keyboard reads a jump, and its draws as "<name>= ".
struct LoggingActif : CountingActif {
  LoggingActif(const char* name, ZEL_ListAnimData* l, long y) : CountingActif(0, l, 0, y), name(name) {}
  void step() override { journal += name + (keyboard && keyboard->go_jump() ? "+jump " : " "); }
  void draw(long, long, int, int, int, int) override { journal += name + "= "; }
  std::string name;
};

// Actors (periods, sleep, text cut at 255, distance), unsigned bound boxes, step order, groups, the limit.
TEST(SpaceTest, ActorsBoundBoxesStepOrderGroupsAndTheActorLimit) {
  const ChildResult r = runInWorld([](World& w) {
    const std::pair<int, std::vector<int>> periodRuns[] = {{0, {1, 2, 3, 4, 5, 6}}, {1, {1, 1, 2, 2, 3, 3}},
        {2, {0, 1, 1, 1, 2, 2}}, {3, {0, 0, 1, 1, 1, 1}}, {-1, {0, 0, 0, 0, 0, 0}}};
    for (const auto& c : periodRuns) {  // runs after each step: one every period + 1 steps
      CountingActif actor(c.first, nullptr, 0, 0);
      for (int expected : c.second) {
        actor.step();
        EXPECT_EQ(actor.runs, expected) << "period " << c.first;
      }
    }
    CountingActif sleeper(0, nullptr, 0, 0), never(0, nullptr, 0, 0);
    const ZEL_Actif::Action sleepTwiceWakeOnce[] = {&ZEL_Actif::sleep, &ZEL_Actif::sleep, &ZEL_Actif::step,
                                                    &ZEL_Actif::wakeUp, &ZEL_Actif::step};
    for (ZEL_Actif::Action call : sleepTwiceWakeOnce) (sleeper.*call)();  // the first action kept aside
    never.wakeUp();  // never put to sleep: wakes into sleep
    EXPECT_EQ(std::make_pair(sleeper.runs, never.getCurrentAction()), std::make_pair(1, &ZEL_Actif::sleep));
    sleeper.setContextualText(std::string(2 * ZEL_Actif::CONTEXTUAL_TEXT_SIZE, 'x').c_str());
    EXPECT_EQ(sleeper.getContextualText(), std::string(ZEL_Actif::CONTEXTUAL_TEXT_SIZE - 1, 'x'));
    sleeper.setXworld(46341);
    EXPECT_EQ(sleeper.getDistance(&never), -2147479015);  // 46341^2 - 2^32

    ZEL_Space& s = *w.space;
    ZEL_ListAnimData *l = w.list(10, 10), *inner = w.list(10, 10, 3, 3, 6, 6);
    const struct { ZEL_ListAnimData* list; int x, y, otherX, otherY; bool meet; } pairs[] = {
        {l, 0, 0, 9, 9, true}, {l, 9, 9, 0, 0, true}, {l, 0, 0, 10, 0, false}, {l, -5, 0, 0, 0, false},
        {inner, 0, 0, 6, 6, true}, {inner, 0, 0, 7, 6, false}, {inner, 0, 0, 6, 7, false}};
    for (const auto& p : pairs) {
      CountingActif a(0, p.list, p.x, p.y), other(0, l, p.otherX, p.otherY);
      EXPECT_EQ(a.collisionLowLevel(&other), p.meet) << "pair " << &p - pairs;
    }
    CountingActif box(0, l, 9, 9), none(0, nullptr, 9, 9);  // box: [9, 18] both ways
    EXPECT_TRUE(box.collision(18, 18) && box.collision(4, 4, 5, 5));
    EXPECT_FALSE(box.collision(19, 18) || box.collision(4, 4, 4, 4) || box.collision(-5, -5, 30, 30));
    EXPECT_FALSE(none.collisionLowLevel(&box) || box.collisionLowLevel(&none) || none.get_largeur() != 0);
    box.setPrivateFlag(true);  // follows the view it is drawn in, fixed on screen
    box.draw(100, 0, 0, 0, 0, 0);
    box.draw(130, 7, 0, 0, 0, 0);
    EXPECT_EQ(std::make_pair(box.getXworld(), box.getYworld()), std::make_pair(139L, 16L));

    LoggingActif a("a", l, 40), b("b", l, 20), c("c", l, 30), d("d", l, 30);  // bottoms 50, 30, 40, 40
    for (ZEL_Actif* x : {&a, &b, &c, &d, &d}) s.add(x);  // d again: refused, never held twice
    s.step();
    a.setYworld(5);   // the last moves up past all
    b.setYworld(35);  // the first moves down past all
    ZEL_View view(7, w.space, w.box, nullptr, 0, 0, 0, 0);  // the whole screen
    s.add(&view);
    Recorder all("event", ANY, ANY, true);
    ZEL_EventManager::addListener(&all);
    ZEL_EventManager::generateEvent(new ZEL_Event(1, 1, 0));
    LoggingActif *low = new LoggingActif("low", l, 100), *mid = new LoggingActif("mid", l, 0);
    LoggingActif* high = new LoggingActif("high", l, 20);
    for (ZEL_Actif* x : {low, mid, high}) {
      s.add(x);
      s.transvase_public_to_private(x, 7);
      x->setPriority(x == low ? -1 : 1);  // re-sorts the group
    }
    keyboard = new ZEL_InputKeyboardSDL(SDLK_UP, SDLK_DOWN, SDLK_RIGHT, SDLK_LEFT, SDLK_v, SDLK_SPACE, SDLK_n,
                                        SDLK_ESCAPE);  // v jumps
    SDL_Event key = {SDL_KEYDOWN};  // pressed before the step: seen by the actors of that step
    key.key.keysym.sym = SDLK_v;
    SDL_PushEvent(&key);
    s.step();
    EXPECT_EQ(journal, "b d c a a+jump d+jump c+jump b+jump low+jump mid+jump high+jump "
                       "a= d= c= b= low= mid= high= event1 ");
    s.transvase_public_to_private(&box, 7);  // not public
    s.transvase_private_to_public(&box, 7);  // not in the group
    s.transvase_public_to_private(&c, 99);   // no such group
    s.transvase_private_to_public(low, 99);
    ZEL_View other(8, w.space, w.box, nullptr, 0, 0, 0, 0);
    s.add(&other);
    s.transvase_private_to_public(mid, 8);  // held by group 7, not 8: stays there
    s.add(mid);                             // so never held twice
    EXPECT_TRUE(box.getSpaceIndex() == -1 && c.isPublic() && low->isPrivate() && mid->getIdClient() == 7);
    EXPECT_EQ(s.getAssociation(0)->getSize(), 3);
    s.killAndDestroy(low);  // leaves its group first
    EXPECT_EQ(s.getAssociation(0)->getSize(), 2);
    s.kill(&view);  // its group goes, with its actors

    std::vector<CountingActif*> more;  // the last one refused, and still the caller's
    for (int i = ZEL_Space::getNbActifs(); i <= ZEL_Space::MAX_ACTIFS; ++i)
      s.add(more.emplace_back(new CountingActif(0, nullptr, 0, 0)));
    EXPECT_TRUE(more.back()->getSpaceIndex() == -1 && ZEL_Space::getNbActifs() == ZEL_Space::MAX_ACTIFS);
  });
  EXPECT_WORLD_OK(r);
  EXPECT_EQ(r.out, "Attention, vous avez d\xe9pass\xe9 le nombre max d'actifs qui vaut 5000\n");
}

// After every re-sort the detector agrees with the bound boxes; a destructor frees the slot for a newcomer.
TEST(SpaceTest, DetectorTableMatchesBoundBoxesAndSlotsAreReused) {
  const ChildResult r = runInWorld([](World& w) {
    const int actors = 60, side = 300, moves = 1500, reach = 60, seed = 1234;
    std::mt19937 rng(seed);
    ZEL_ListAnimData* lists[] = {w.list(8, 8), w.list(16, 64), w.list(40, 4), w.list(8, 8, -20, -30, 30, 2),
                                 w.list(4, 120)};
    std::vector<CountingActif*> all;
    for (int i = 0; i < actors; ++i)
      w.space->add(all.emplace_back(new CountingActif(0, lists[rng() % 5], rng() % side, rng() % side)));
    int hits = 0;
    for (int move = 0; move < moves; ++move) {
      CountingActif* a = all[rng() % actors];
      const int before = a->getSpaceIndex();
      a->setYworld(a->getYworld() + static_cast<int>(rng() % (2 * reach + 1)) - reach);
      for (size_t i = 0; a->getSpaceIndex() != before && i < all.size(); ++i) {  // refreshed by a re-sort
        ASSERT_EQ(w.space->collision(all[i], a), all[i]->collisionLowLevel(a)) << "move " << move;
        ASSERT_EQ(w.space->collision(a, all[i]), a->collisionLowLevel(all[i])) << "move " << move;
        hits += all[i]->collisionLowLevel(a);
      }
    }
    EXPECT_GT(hits, 500);  // the property met real overlaps
    all[1]->unsetVisible();        // not colliding at once, without a refresh
    all[2]->setPrivateFlag(true);  // compared at query time: its row is not kept up to date
    EXPECT_TRUE(!w.space->collision(all[1], all[1]) && w.space->collision(all[2], all[2]));
    w.space->killAndDestroy(all[0]);
    CountingActif next(0, lists[0], 0, 0);
    w.space->add(&next);
    w.space->kill(&next);
    EXPECT_EQ(ZEL_CollisionDetector::slotOf(&next), 0);  // all[0]'s, kept until the destructor
  }, WITH_DETECTOR);
  EXPECT_WORLD_OK(r);
}

// Listeners of the id, then type, then all, until consumed; ids and types outside the tables reach only all.
TEST(EventManagerTest, DispatchConsumptionLifetimeAndAge) {
  const ChildResult r = runInChild([] {
    ZEL_EventManager* manager = new ZEL_EventManager();
    Recorder listeners[] = {{"X", ANY, ANY, false},  // registered first, heard last
        {"T", 5, ANY, false}, {"E", 3, ANY, true}, {"L", 3, ANY, false}, {"A", 9, 7, false},
        {"B", 5, 7, false}, {"C", 0, 6, true}, {"D", 0, 6, false}, {"R", 0, 1, false, true},
        {"N", 0, 2, true}, {"i", 0, 65535, true}, {"i", 0, -2, true}, {"t", 100, ANY, true},
        {"t", -5, ANY, true}, {"I", 200, 65534, false}, {"Y", 99, ANY, false}};
    for (Recorder& l : listeners) ZEL_EventManager::addListener(&l);
    const int events[][3] = {{7, 5, 1}, {8, 3, NEVER}, {6, 5, NEVER}, {1, 0, 1}, {20, 0, 2}, {21, 0, NEVER},
                             {65535, 0, 1}, {-1, 100, 1}, {INT32_MIN, INT32_MIN, 1}, {70000, -1, 1},
                             {65534, 100, 1}, {-2, 99, 1}};
    for (const auto& e : events) ZEL_EventManager::generateEvent(new CountedEvent(e[0], e[1], e[2]));
    for (int step = 0; step < 3; ++step) manager->step();
    CHILD_CHECK(journal == "A7 B7 T7 X7 E8 C6 R1 X1 X20 X21 X65535 X-1 X-2147483648 X70000 I65534 X65534 Y-2 "
                           "X-2 N2 X20 X21 X21 ");  // three steps: lifetimes 1, 2 and never
    delete manager;
    CHILD_CHECK(eventsDestroyed == 13);  // consumed, obsolete, or left to the manager
    CountedEvent last(0, 0, INT32_MAX);
    last.setAge(INT32_MAX - 1);
    for (int i = 0; i < 2; ++i) last.updateLife();  // the second at the maximum: must not wrap to young
    CHILD_CHECK(last.isObsolete());
  });
  EXPECT_WORLD_OK(r);
}

// Only one space (so one event manager) may be built in a process, ever, and one detector at a time.
TEST(SpaceExitTest, OnlyOneSpaceDetectorAndEventManager) {
  const std::pair<ChildResult, std::string> cases[] = {
      {runInWorld([](World& w) {
         delete w.space;  // its event manager goes with it
         ZEL_Space second(w.box, &w.timer, false);
       }), "Attention, il n'est pas permis d'instancier plusieurs ZEL_EventManager!\n"},
      {runInWorld([](World&) { ZEL_CollisionDetector second; }, WITH_DETECTOR),
       "Attention, il n'est pas permis d'instancier plusieurs ZEL_CollisionDetector!\n"}};
  for (const auto& c : cases) {
    EXPECT_EQ(c.first.exitCode, 255) << describe(c.first);
    EXPECT_EQ(std::make_pair(c.first.out, c.first.err), std::make_pair(c.second, std::string()));
  }
}
