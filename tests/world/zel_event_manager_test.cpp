#include "zel_event_manager.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "child_process.h"

namespace {

const char SECOND_MANAGER_MESSAGE[] =
    "Attention, il n'est pas permis d'instancier plusieurs ZEL_EventManager!\n";
const int ANY = -1;
const int NEVER = 0;  // lifetime of an event that never becomes obsolete
// Every scenario takes milliseconds; a runaway dispatch loop fails fast.
const int CHILD_TIMEOUT_MS = 5000;

// What listeners saw, as "<tag><event id> " entries in notification order.
std::string seen;
int eventsDestroyed = 0;

class CountedEvent : public ZEL_Event {
 public:
  CountedEvent(int id, int type, int lifetime) : ZEL_Event(id, type, lifetime) {}
  ~CountedEvent() override { ++eventsDestroyed; }
  void setAge(int32_t a) { age = a; }
};

class Recorder : public ZEL_EventListener {
 public:
  Recorder(const char* tag, int type, int id, bool consumes)
      : ZEL_EventListener(type, id, consumes), tag(tag) {}
  void onEvent(ZEL_Event* e) override { seen += tag + std::to_string(e->getID()) + " "; }
  void setConsumes(bool c) { consumes = c; }

 private:
  std::string tag;
};

// Posts a follow-up event (id + 1) on each event it hears.
class Relay : public Recorder {
 public:
  explicit Relay(int id) : Recorder("R", 0, id, false) {}
  void onEvent(ZEL_Event* e) override {
    Recorder::onEvent(e);
    ZEL_EventManager::generateEvent(new CountedEvent(e->getID() + 1, 0, 1));
  }
};

// Runs a scenario that builds a manager in a child of its own, since only one
// manager may ever be built in a process; CHILD_CHECK reports failures.
void expectInChild(const std::function<void()>& scenario) {
  const ChildResult r = runInChild(
      [&] {
        seen.clear();
        eventsDestroyed = 0;
        scenario();
      },
      CHILD_TIMEOUT_MS);
  EXPECT_TRUE(r.exited && r.exitCode == 0) << describe(r);
}

}  // namespace

TEST(EventListenerTest, NotifyReadsConsumesBeforeTheReaction) {
  CountedEvent e7(7, 5, 1);
  Recorder byId("I", 3, 7, false);  // the id alone decides
  Recorder byType("T", 5, ANY, true);
  Recorder other("O", 5, 8, true);
  EXPECT_FALSE(byId.notifyEvent(&e7));
  EXPECT_TRUE(byType.notifyEvent(&e7));
  EXPECT_FALSE(other.notifyEvent(&e7));  // not listening: no call, not consumed
  EXPECT_EQ(seen, "I7 T7 ");
  class Flipper : public Recorder {
   public:
    Flipper() : Recorder("F", ANY, ANY, false) {}
    void onEvent(ZEL_Event* e) override {
      Recorder::onEvent(e);
      setConsumes(true);
    }
  } flipper;
  EXPECT_FALSE(flipper.notifyEvent(&e7));
  EXPECT_TRUE(flipper.notifyEvent(&e7));
  seen.clear();
}

TEST(EventManagerTest, DispatchGoesByIdThenTypeThenAllAndStopsAtConsumption) {
  expectInChild([] {
    ZEL_EventManager manager;
    Recorder all("X", ANY, ANY, false), byType("T", 5, ANY, false);
    Recorder a("A", 9, 7, false), b("B", 5, 7, false);
    ZEL_EventManager::addListener(&all);  // registered first, heard last
    ZEL_EventManager::addListener(&byType);
    ZEL_EventManager::addListener(&a);
    ZEL_EventManager::addListener(&b);
    ZEL_EventManager::generateEvent(new CountedEvent(7, 5, 1));
    manager.step();
    CHILD_CHECK(seen == "A7 B7 T7 X7 ");
    CHILD_CHECK(eventsDestroyed == 1);

    // A consuming type listener is the last to see the event.
    seen.clear();
    Recorder eater("E", 3, ANY, true), after("L", 3, ANY, false);
    ZEL_EventManager::addListener(&eater);
    ZEL_EventManager::addListener(&after);
    ZEL_EventManager::generateEvent(new CountedEvent(8, 3, NEVER));
    manager.step();
    CHILD_CHECK(seen == "E8 ");
    CHILD_CHECK(eventsDestroyed == 2);
    manager.step();
    CHILD_CHECK(seen == "E8 ");

    // Consumed within the id vector: neither the type nor the all listeners see it.
    seen.clear();
    Recorder idEater("C", 0, 7, true), late("D", 0, 7, false);
    ZEL_EventManager::addListener(&idEater);
    ZEL_EventManager::addListener(&late);
    ZEL_EventManager::generateEvent(new CountedEvent(7, 5, NEVER));
    manager.step();
    CHILD_CHECK(seen == "A7 B7 C7 ");
    CHILD_CHECK(eventsDestroyed == 3);
  });
}

TEST(EventManagerTest, ConsecutiveEventsAreConsumedInOneStep) {
  expectInChild([] {
    ZEL_EventManager manager;
    Recorder eater("E", 2, ANY, true), all("X", ANY, ANY, false);
    ZEL_EventManager::addListener(&eater);
    ZEL_EventManager::addListener(&all);
    ZEL_EventManager::generateEvent(new CountedEvent(1, 2, NEVER));
    ZEL_EventManager::generateEvent(new CountedEvent(2, 2, NEVER));
    ZEL_EventManager::generateEvent(new CountedEvent(3, 4, NEVER));
    ZEL_EventManager::generateEvent(new CountedEvent(4, 2, NEVER));
    manager.step();
    CHILD_CHECK(seen == "E1 E2 X3 E4 ");
    CHILD_CHECK(eventsDestroyed == 3);
    manager.step();
    CHILD_CHECK(seen == "E1 E2 X3 E4 X3 ");
  });
}

TEST(EventManagerTest, LifetimeCountsSteps) {
  expectInChild([] {
    Recorder all("X", ANY, ANY, false);
    {
      ZEL_EventManager manager;
      ZEL_EventManager::addListener(&all);
      ZEL_EventManager::generateEvent(new CountedEvent(2, 0, 2));
      manager.step();
      CHILD_CHECK(seen == "X2 " && eventsDestroyed == 0);
      manager.step();
      CHILD_CHECK(seen == "X2 X2 " && eventsDestroyed == 1);
      manager.step();
      CHILD_CHECK(seen == "X2 X2 ");

      // Lifetime 0 stays until the manager goes, which deletes it.
      seen.clear();
      ZEL_EventManager::generateEvent(new CountedEvent(0, 0, NEVER));
      const int steps = 1000;
      for (int i = 0; i < steps; ++i) manager.step();
      CHILD_CHECK(seen.size() == steps * std::string("X0 ").size());
      CHILD_CHECK(eventsDestroyed == 1);
    }
    CHILD_CHECK(eventsDestroyed == 2);
  });
  // The age of an endless event stops at its maximum.
  CountedEvent endless(0, 0, NEVER), last(0, 0, INT32_MAX);
  endless.setAge(INT32_MAX);
  endless.updateLife();
  EXPECT_FALSE(endless.isObsolete());
  last.setAge(INT32_MAX - 1);
  EXPECT_FALSE(last.isObsolete());
  last.updateLife();
  EXPECT_TRUE(last.isObsolete());
  last.updateLife();  // at the maximum already: no wrap back to young
  EXPECT_TRUE(last.isObsolete());
}

TEST(EventManagerTest, EventsPostedDuringDispatchAreOfferedInTheSameStep) {
  expectInChild([] {
    ZEL_EventManager manager;
    Relay relay(1);
    Recorder next("N", 0, 2, true);
    ZEL_EventManager::addListener(&relay);
    ZEL_EventManager::addListener(&next);
    ZEL_EventManager::generateEvent(new CountedEvent(1, 0, 1));
    manager.step();
    CHILD_CHECK(seen == "R1 N2 ");
    CHILD_CHECK(eventsDestroyed == 2);

    // Listeners registered during a notification: the vector grows under the scan.
    class Spawner : public Recorder {
     public:
      Spawner() : Recorder("S", ANY, ANY, false) {}
      void onEvent(ZEL_Event* e) override {
        Recorder::onEvent(e);
        for (Recorder& r : spawned) ZEL_EventManager::addListener(&r);
      }
      std::vector<Recorder> spawned = std::vector<Recorder>(20, Recorder("", ANY, ANY, false));
    } spawner;
    ZEL_EventManager::addListener(&spawner);
    seen.clear();
    ZEL_EventManager::generateEvent(new CountedEvent(5, 0, 1));
    manager.step();
    std::string expected = "S5 ";
    for (size_t i = 0; i < spawner.spawned.size(); ++i) expected += "5 ";
    CHILD_CHECK(seen == expected);
  });
}

TEST(EventManagerTest, IdsAndTypesOutsideTheTablesAreSafe) {
  expectInChild([] {
    ZEL_EventManager manager;
    Recorder badIds[] = {{"i", 0, 65535, true}, {"i", 0, -2, true}, {"i", 0, INT_MIN, true}};
    Recorder badTypes[] = {{"t", 100, ANY, true}, {"t", -5, ANY, true}, {"t", INT_MAX, ANY, true}};
    Recorder edgeId("I", 200, 65534, false), edgeType("T", 99, ANY, false);
    Recorder all("X", ANY, ANY, true);
    for (Recorder& r : badIds) ZEL_EventManager::addListener(&r);
    for (Recorder& r : badTypes) ZEL_EventManager::addListener(&r);
    ZEL_EventManager::addListener(&edgeId);
    ZEL_EventManager::addListener(&edgeType);
    ZEL_EventManager::addListener(&all);
    const int events[][2] = {{65535, 0},  {-1, 100},    {INT_MIN, INT_MIN},
                             {70000, -1}, {65534, 100}, {-2, 99}};
    for (const auto& ev : events) {
      ZEL_EventManager::generateEvent(new CountedEvent(ev[0], ev[1], NEVER));
    }
    manager.step();
    CHILD_CHECK(seen == "X65535 X-1 X-2147483648 X70000 I65534 X65534 T-2 X-2 ");
    CHILD_CHECK(eventsDestroyed == 6);
  });
}

TEST(EventManagerTest, TablesAreSafeBeforeTheManagerExists) {
  expectInChild([] {
    Recorder byId("I", 0, 3, false), all("X", ANY, ANY, false);
    ZEL_EventManager::addListener(&byId);
    ZEL_EventManager::addListener(&all);
    ZEL_EventManager::generateEvent(new CountedEvent(3, 0, 1));
    ZEL_EventManager manager;  // starts the per-id table afresh
    manager.step();
    CHILD_CHECK(seen == "X3 ");
    CHILD_CHECK(eventsDestroyed == 1);
  });
}

TEST(EventManagerTest, OnlyOneManagerPerProcess) {
  const ChildResult whileAlive = runInChild([] {
    ZEL_EventManager first;
    ZEL_EventManager second;
  });
  EXPECT_TRUE(whileAlive.exited) << describe(whileAlive);
  EXPECT_EQ(whileAlive.exitCode, 255);
  EXPECT_EQ(whileAlive.out, SECOND_MANAGER_MESSAGE);
  EXPECT_EQ(whileAlive.err, "");
  const ChildResult afterDestruction = runInChild([] {
    { ZEL_EventManager first; }
    ZEL_EventManager second;
  });
  EXPECT_TRUE(afterDestruction.exited) << describe(afterDestruction);
  EXPECT_EQ(afterDestruction.exitCode, 255);
  EXPECT_EQ(afterDestruction.out, SECOND_MANAGER_MESSAGE);
  EXPECT_EQ(afterDestruction.err, "");
}
