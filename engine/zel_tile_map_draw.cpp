// Drawing the part of the tile map seen through a viewport.
#include <cstdint>

#include "zel_tile.h"
#include "zel_tile_map.h"

namespace {

// Cells needed to cover length pixels, one more when a cell is cut.
int64_t cellsToCover(int64_t length, int64_t cell) {
  const int64_t whole = length / cell;
  return length % cell != 0 ? whole + 1 : whole;
}

// World coordinates are 32-bit; held there so that no sum below overflows.
int64_t clampToInt32(long v) {
  if (v < INT32_MIN) return INT32_MIN;
  if (v > INT32_MAX) return INT32_MAX;
  return v;
}

}  // namespace

void ZEL_TileMap::draw(long xworld, long yworld, int xscreen, int yscreen, int largeurVue, int hauteurVue) {
  drawCells(xworld, yworld, xscreen, yscreen, largeurVue, hauteurVue, nullptr);
}

void ZEL_TileMap::draw(long xworld, long yworld, int xscreen, int yscreen, int largeurVue, int hauteurVue,
                       ZEL_Grafbox* g) {
  drawCells(xworld, yworld, xscreen, yscreen, largeurVue, hauteurVue, g);
}

// The first column and row start mx, my pixels before the viewport; one
// more column and row than the viewport needs covers the cut cells. Cells
// outside the grid, negative ones included, are skipped: the loops only
// run over the grid.
void ZEL_TileMap::drawCells(long xworld, long yworld, int xscreen, int yscreen, int largeurVue,
                            int hauteurVue, ZEL_Grafbox* g) {
  if (map == nullptr || largeur_tile < 1 || hauteur_tile < 1) return;
  const int64_t tw = largeur_tile;
  const int64_t th = hauteur_tile;
  const int64_t xw = clampToInt32(xworld);
  const int64_t yw = clampToInt32(yworld);
  const int64_t c0 = xw / tw;
  const int64_t r0 = yw / th;
  const int64_t mx = xw % tw;
  const int64_t my = yw % th;
  const int64_t lastColumnSeen = c0 + cellsToCover(largeurVue, tw);
  const int64_t lastRowSeen = r0 + cellsToCover(hauteurVue, th);
  const int64_t firstColumn = c0 < 0 ? 0 : c0;
  const int64_t firstRow = r0 < 0 ? 0 : r0;
  const int64_t lastColumn = lastColumnSeen < nb_colonnes ? lastColumnSeen : int64_t{nb_colonnes} - 1;
  const int64_t lastRow = lastRowSeen < nb_lignes ? lastRowSeen : int64_t{nb_lignes} - 1;

  for (int64_t r = firstRow; r <= lastRow; ++r) {
    const int64_t y = yscreen + (r - r0) * th - my;
    for (int64_t c = firstColumn; c <= lastColumn; ++c) {
      ZEL_Tile* tile = cellAt(static_cast<uint64_t>(c), static_cast<uint64_t>(r));
      if (tile == nullptr) continue;
      const int64_t x = xscreen + (c - c0) * tw - mx;
      // Only the low bits travel on: the tile cuts them to 16.
      if (g == nullptr) {
        tile->draw(static_cast<unsigned int>(x), static_cast<unsigned int>(y));
      } else {
        tile->draw(static_cast<unsigned int>(x), static_cast<unsigned int>(y), g);
      }
    }
  }
}
