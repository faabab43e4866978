#include "zel_view.h"

#include <gtest/gtest.h>

#include <string>

#include "world.h"
#include "zel_tracker2d.h"

namespace {

// Moves 100 pixels right on each advance; logs every call.
class RecordingTracker : public ZEL_Tracker2D {
 public:
  explicit RecordingTracker(std::string& log) : log(log) {}
  ZEL_Point getPosition() const override {
    log += "get ";
    return position;
  }
  ZEL_Point advance() override {
    log += "advance ";
    position.x += 100;
    return position;
  }
  void setPosition(ZEL_Point p) override {
    log += "set " + std::to_string(static_cast<int>(p.x)) + " ";
    position = p;
  }
  void setTrackable(ZEL_Trackable2D*) override { log += "trackable "; }
  ZEL_Point position = ZEL_Point(0, 0);
  std::string& log;
};

// 2000 x 480 pixels, solid along the bottom row.
WorldOptions level() {
  std::vector<std::string> rows(30, std::string(125, '.'));
  rows.back() = std::string(125, '#');
  return levelFromText(rows, 16);
}

// Follows, scrolls and tracks within the world.
void followChecks(World& w) {
  ZEL_View v(666, w.space, w.box, nullptr, 0, 0, 640, 480);
  const long follows[][2] = {{100, 0}, {1000, 680}, {1900, 1360}};  // centre x, view x
  for (const auto& f : follows) {
    v.follow(f[0], 300);
    EXPECT_EQ(std::make_pair(v.xscreen_to_xworld(7), v.get_yscreen_world()), std::make_pair(f[1] + 7, 0L));
  }
  const int scrolls[][4] = {{1355, 10, 0, 1355}, {1350, 10, 1, 1360}, {3, -5, 0, 3}, {5, -5, 1, 0}};
  for (const auto& s : scrolls) {  // from, by (left when negative), answer, to
    v.set_xscreen_world(s[0]);
    EXPECT_EQ(s[1] > 0 ? v.scroll_right(s[1]) : v.scroll_left(-s[1]), s[2]) << s[0] << " by " << s[1];
    EXPECT_EQ(v.get_xscreen_world(), s[3]);
  }
  EXPECT_EQ(v.scroll_down(1), 0);  // exactly as high as the world
  CountingActif player(0, w.list(8, 8), 1990, 100);
  ZEL_View wide(1, w.space, w.box, &player, 0, 0, 2400, 480);  // never moves
  wide.set_xscreen_world(200);
  EXPECT_EQ(std::make_pair(wide.scroll_right(1), wide.get_xscreen_world()), std::make_pair(0, 0L));
  ZEL_View full(2, w.space, w.box, nullptr, 0, 0, 0, 9);  // a width of 0 takes the whole screen
  EXPECT_EQ(std::make_pair(full.get_largeur(), full.get_hauteur()),
            std::make_pair(+World::SCREEN_WIDTH, +World::SCREEN_HEIGHT));

  std::string log;
  RecordingTracker first(log), second(log);
  ZEL_View t(3, w.space, w.box, nullptr, 0, 0, 100, 100);
  t.follow(250, 300);
  t.setTracker(&first);
  t.follow(10, 20);  // the tracker moves the view, not the point
  EXPECT_EQ(std::make_pair(t.get_xscreen_world(), t.getConsigne().x),
            std::make_pair(250L + 100 - 50, 10.0));
  t.setTracker(&second);  // starts where the first one is
  EXPECT_EQ(log, "set 250 trackable advance get get get set 350 trackable ");
}

// A 100 x 80 viewport at screen (10, 20) on world (32, 400) shows the map, public actors, then its
// client's private ones, fixed on its screen; then an actor probes the floor.
void drawChecks(World& w) {
  const int background = 3, sky = 60, rock = 120, actor = 200;  // red of the tiles and World::list frames
  ZEL_View d(5, w.space, w.box, nullptr, 10, 20, 100, 80);
  d.set_xscreen_world(32);
  d.set_yscreen_world(400);
  CountingActif* pub = new CountingActif(0, w.list(4, 4), 40, 406);
  CountingActif* priv = new CountingActif(0, w.list(4, 4), 70, 10);
  w.space->add(pub);
  w.space->add(&d);
  w.space->add(priv);
  w.space->transvase_public_to_private(priv, 5);
  w.box->set_clipping(0, 0, World::SCREEN_WIDTH, World::SCREEN_HEIGHT);
  w.box->fill_virtual(background, background, background);
  w.space->step();
  const int pixels[][3] = {{9, 30, background}, {10, 30, sky}, {109, 99, rock}, {110, 99, background},
                           {50, 100, background}, {18, 26, actor}, {80, 30, actor}};
  for (const auto& p : pixels) {
    unsigned char rgb[3];
    w.box->get_pix(p[0], p[1], &rgb[0], &rgb[1], &rgb[2]);
    EXPECT_EQ(rgb[0], p[2]) << p[0] << ", " << p[1];
  }
  EXPECT_EQ(priv->getXworld(), 32 + 70);
  w.space->kill(&d);
  w.space->killAndDestroy(pub);

  // An 8 x 24 actor at (16, 440) spans rows 27 to 29: only its floor is solid, from half its height.
  CountingActif a(0, w.list(8, 24), 16, 440);
  ZEL_TileMap& m = *w.tileMap;
  EXPECT_EQ(std::vector<int>({m.collision_south(&a), m.collision_north(&a), m.collision_east(&a),
                              m.collision_west(&a), m.can_walk(&a, 0, 12), m.can_walk(&a, 0, 11)}),
            std::vector<int>({1, 0, 0, 0, 0, 1}));
}

}  // namespace

TEST(ViewTest, FollowsScrollsAndTracksWithinTheWorld) {
  const ChildResult r = runInWorld(followChecks, level());
  EXPECT_WORLD_OK(r);
}

TEST(ViewTest, DrawsLayersAndActorsProbeWithTheirBox) {
  const ChildResult r = runInWorld(drawChecks, level());
  EXPECT_WORLD_OK(r);
}
