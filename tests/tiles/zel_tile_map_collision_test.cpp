#include <gtest/gtest.h>

#include "world.h"

namespace {

const int CELL = 16;

// A 10 x 8 grid with a solid cell placed to catch an off-by-one on one side
// of an actor at (16, 16) of 16 x 16 pixels.
WorldOptions gridWithSolid(int column, int row) {
  std::vector<std::string> rows(8, std::string(10, '.'));
  rows[static_cast<size_t>(row)][static_cast<size_t>(column)] = '#';
  return levelFromText(rows, CELL);
}

struct Probe {
  int column, row;
  int south, north, east, west;
};

}  // namespace

TEST(TileCollisionTest, ActorSidesProbeTheirRowsAndColumns) {
  // South: row 2, columns 1 and 2. North: row 1, columns 1 and 2. East:
  // column 2, row 1 only. West: column 1, row 1.
  const Probe probes[] = {
      {1, 2, 1, 0, 0, 0}, {2, 2, 1, 0, 0, 0}, {3, 2, 0, 0, 0, 0}, {0, 2, 0, 0, 0, 0},
      {2, 1, 0, 1, 1, 0}, {1, 1, 0, 1, 0, 1}, {1, 0, 0, 0, 0, 0}, {3, 1, 0, 0, 0, 0},
      {0, 1, 0, 0, 0, 0}, {2, 3, 0, 0, 0, 0},
  };
  for (const Probe& p : probes) {
    const ChildResult r = runInWorld(
        [&](World& w) {
          CountingActif a(0, w.list(CELL, CELL), CELL, CELL);
          EXPECT_EQ(w.tileMap->collision_south(&a), p.south);
          EXPECT_EQ(w.tileMap->collision_north(&a), p.north);
          EXPECT_EQ(w.tileMap->collision_east(&a), p.east);
          EXPECT_EQ(w.tileMap->collision_west(&a), p.west);
          EXPECT_EQ(w.space->worldWidth, 160);
          EXPECT_EQ(w.space->worldHeight, 128);
        },
        gridWithSolid(p.column, p.row));
    EXPECT_WORLD_OK(r) << "solid cell (" << p.column << ", " << p.row << ")";
  }
}

TEST(TileCollisionTest, ThinActorsEdgesAndWalkability) {
  const ChildResult r = runInWorld(
      [](World& w) {
        ZEL_TileMap& m = *w.tileMap;
        // 8 pixels high inside one row: east and west probe nothing.
        CountingActif thin(0, w.list(CELL, 8), 2 * CELL, 4 * CELL + 2);
        EXPECT_EQ(m.collision_east(&thin), 0);
        EXPECT_EQ(m.collision_west(&thin), 0);
        // Right edge beyond the world: the last column is probed.
        CountingActif edge(0, w.list(CELL, CELL), 150, 5 * CELL);
        EXPECT_EQ(m.collision_east(&edge), 1);
        // Above the world: the north test probes row 0.
        CountingActif above(0, w.list(CELL, CELL), 9 * CELL, -20);
        EXPECT_EQ(m.collision_north(&above), 1);
        // can_walk: the cell at (x + dx, y + h / 2 + dy).
        CountingActif walker(0, w.list(CELL, CELL), 0, 0);
        EXPECT_EQ(m.can_walk(&walker, 0, 0), 1);
        EXPECT_EQ(m.can_walk(&walker, 9 * CELL, 0), 0);  // the solid cell (9, 0)
        EXPECT_EQ(m.can_walk(&walker, 10 * CELL, 0), 0);  // right of the grid
        EXPECT_EQ(m.can_walk(&walker, -100, -100), 1);     // negatives read cell (0, 0)
      },
      levelFromText({".........#", "..........", "..........", "..........", "..........",
                     ".........#", "..........", ".........."},
                    CELL));
  EXPECT_WORLD_OK(r);
}
