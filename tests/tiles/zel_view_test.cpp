#include "zel_view.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "world.h"
#include "zel_tracker2d.h"

namespace {

const int CELL = 16;

// A world of columns x rows cells, solid along the bottom row.
WorldOptions level(int columns, int rows) {
  std::vector<std::string> text(static_cast<size_t>(rows), std::string(static_cast<size_t>(columns), '.'));
  text.back() = std::string(static_cast<size_t>(columns), '#');
  return levelFromText(text, CELL);
}

struct Rgb {
  unsigned char r, g, b;
  bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

Rgb screenAt(ZEL_Grafbox* box, int x, int y) {
  Rgb c;
  box->get_pix(x, y, &c.r, &c.g, &c.b);
  return c;
}

const Rgb SKY = {60, 120, 200};
const Rgb ROCK = {120, 80, 40};
const Rgb ACTOR = {200, 100, 50};  // the colour of World::list frames

class RecordingTracker : public ZEL_Tracker2D {
 public:
  ZEL_Point getPosition() const override {
    log->push_back("getPosition");
    return position;
  }
  ZEL_Point advance() override {
    log->push_back("advance");
    position.x += 100;
    return position;
  }
  void setPosition(ZEL_Point p) override {
    log->push_back("setPosition " + std::to_string(static_cast<int>(p.x)));
    position = p;
  }
  void setTrackable(ZEL_Trackable2D* t) override {
    log->push_back("setTrackable");
    trackable = t;
  }
  ZEL_Point position = ZEL_Point(0, 0);
  ZEL_Trackable2D* trackable = nullptr;
  std::vector<std::string>* log = nullptr;
};

}  // namespace

TEST(ViewTest, FollowingClampsToTheWorld) {
  const ChildResult r = runInWorld(
      [](World& w) {
        ZEL_View v(666, w.space, w.box, nullptr, 0, 0, 640, 480);
        ASSERT_EQ(w.tileMap->get_largeur(), 2000);
        v.follow(100, 200);
        EXPECT_EQ(v.get_xscreen_world(), 0);
        EXPECT_EQ(v.get_yscreen_world(), 0);
        v.follow(1000, 300);
        EXPECT_EQ(v.get_xscreen_world(), 680);
        EXPECT_EQ(v.get_yscreen_world(), 0);
        v.follow(1900, 0);
        EXPECT_EQ(v.get_xscreen_world(), 1360);
        EXPECT_EQ(v.getConsigne().x, 1900);

        v.set_xscreen_world(1355);
        EXPECT_EQ(v.scroll_right(10), 0);
        EXPECT_EQ(v.get_xscreen_world(), 1355);
        v.set_xscreen_world(1350);
        EXPECT_EQ(v.scroll_right(10), 1);
        EXPECT_EQ(v.get_xscreen_world(), 1360);
        v.set_xscreen_world(3);
        EXPECT_EQ(v.scroll_left(5), 0);
        v.set_xscreen_world(5);
        EXPECT_EQ(v.scroll_left(5), 1);
        EXPECT_EQ(v.get_xscreen_world(), 0);
        EXPECT_EQ(v.scroll_down(1), 0);  // exactly as high as the world
        EXPECT_EQ(v.xscreen_to_xworld(7), 7);

        // Width or height 0: the whole screen for both.
        ZEL_View full(1, w.space, w.box, nullptr, 0, 0, 0, 100);
        EXPECT_EQ(full.get_largeur(), World::SCREEN_WIDTH);
        EXPECT_EQ(full.get_hauteur(), World::SCREEN_HEIGHT);
      },
      level(125, 30));
  EXPECT_WORLD_OK(r);
}

TEST(ViewTest, AWorldNarrowerThanTheViewNeverMovesIt) {
  const ChildResult r = runInWorld(
      [](World& w) {
        CountingActif player(0, w.list(8, 8), 390, 100);
        ZEL_View v(666, w.space, w.box, &player, 0, 0, 640, 480);  // world 400 x 480
        EXPECT_EQ(v.get_xscreen_world(), 0);
        v.set_xscreen_world(200);
        EXPECT_EQ(v.get_xscreen_world(), 0);
        EXPECT_EQ(v.scroll_right(1), 0);
        EXPECT_EQ(v.scroll_left(1), 0);
      },
      level(25, 30));
  EXPECT_WORLD_OK(r);
}

TEST(ViewTest, TrackerReceivesItsCallsInOrder) {
  const ChildResult r = runInWorld(
      [](World& w) {
        std::vector<std::string> log;
        ZEL_View v(666, w.space, w.box, nullptr, 0, 0, 100, 100);
        v.follow(250, 300);
        RecordingTracker first, second;
        first.log = second.log = &log;
        v.setTracker(&first);
        EXPECT_EQ(first.trackable, &v);
        v.follow(10, 20);  // the tracker moves the view, not the point
        EXPECT_EQ(v.get_xscreen_world(), 250 + 100 - 50);
        EXPECT_EQ(v.getConsigne().x, 10);
        v.setTracker(&second);  // starts where the first one is
        EXPECT_EQ(log, (std::vector<std::string>{"setPosition 250", "setTrackable", "advance",
                                                 "getPosition", "getPosition", "getPosition",
                                                 "setPosition 350", "setTrackable"}));
        v.setTracker(nullptr);
        v.follow(150, 150);
        EXPECT_EQ(v.get_xscreen_world(), 100);
      },
      level(40, 30));
  EXPECT_WORLD_OK(r);
}

TEST(ViewTest, DrawClipsAndLayersMapPublicAndPrivateActors) {
  const ChildResult r = runInWorld(
      [](World& w) {
        const Rgb background = {1, 2, 3};
        w.box->set_clipping(0, 0, World::SCREEN_WIDTH, World::SCREEN_HEIGHT);
        w.box->fill_virtual(background.r, background.g, background.b);
        // A 100 x 80 viewport at screen (10, 20), looking at world (32, 64).
        ZEL_View v(5, w.space, w.box, nullptr, 10, 20, 100, 80);
        v.set_xscreen_world(32);
        v.set_yscreen_world(64);
        CountingActif* pub = new CountingActif(0, w.list(4, 4), 40, 70);
        w.space->add(pub);
        v.draw();
        EXPECT_EQ(screenAt(w.box, 9, 30), background);   // left of the viewport
        EXPECT_EQ(screenAt(w.box, 10, 30), SKY);          // world (32, 74)
        EXPECT_EQ(screenAt(w.box, 109, 99), ROCK);        // world (131, 143): bottom row
        EXPECT_EQ(screenAt(w.box, 110, 99), background);  // right of the viewport
        EXPECT_EQ(screenAt(w.box, 50, 100), background);  // below it
        EXPECT_EQ(screenAt(w.box, 10 + 8, 20 + 6), ACTOR);  // world (40, 70)

        // A view added to the space is drawn by the space's step, with its
        // client's private actors fixed on its screen.
        w.space->add(&v);
        CountingActif* priv = new CountingActif(0, w.list(4, 4), 70, 10);
        w.space->add(priv);
        w.space->transvase_public_to_private(priv, 5);
        w.box->fill_virtual(background.r, background.g, background.b);
        w.space->step();
        EXPECT_EQ(screenAt(w.box, 10 + 8, 20 + 6), ACTOR);
        // Its first draw fixed it at (70, 10) from the view's origin.
        EXPECT_EQ(screenAt(w.box, 10 + 70, 20 + 10), ACTOR);
        EXPECT_EQ(priv->getXworld(), 32 + 70);
        w.space->kill(&v);
        w.space->killAndDestroy(pub);
      },
      level(20, 9));
  EXPECT_WORLD_OK(r);
}
