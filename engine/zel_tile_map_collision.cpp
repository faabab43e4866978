// The tile map's answers about solid scenery: world-to-cell conversions,
// the cell probes behind the actors' collision tests, and walkability.
#include "zel_actif.h"
#include "zel_tile.h"
#include "zel_tile_map.h"

int ZEL_TileMap::xworld_to_xtile(long x) {
  if (largeur < 1 || largeur_tile < 1) return 0;
  const long clamped = x < 0 ? 0 : (x >= largeur ? largeur - 1 : x);
  return static_cast<int>(clamped / largeur_tile);
}

int ZEL_TileMap::yworld_to_ytile(long y) {
  if (hauteur < 1 || hauteur_tile < 1) return 0;
  const long clamped = y < 0 ? 0 : (y >= hauteur ? hauteur - 1 : y);
  return static_cast<int>(clamped / hauteur_tile);
}

bool ZEL_TileMap::isSolidCell(int64_t column, int64_t row) {
  if (column < 0 || row < 0 || column >= nb_colonnes || row >= nb_lignes) return false;
  const ZEL_Tile* tile = cellAt(static_cast<uint64_t>(column), static_cast<uint64_t>(row));
  return tile != nullptr && !tile->IsWalkable();
}

// Cells outside the grid are never solid, so the ranges are first cut to it.
bool ZEL_TileMap::isSolidInRow(int row, int firstColumn, int lastColumn) {
  const int64_t first = firstColumn < 0 ? 0 : firstColumn;
  const int64_t last = lastColumn >= static_cast<int64_t>(nb_colonnes) ? int64_t{nb_colonnes} - 1 : lastColumn;
  for (int64_t c = first; c <= last; ++c) {
    if (isSolidCell(c, row)) return true;
  }
  return false;
}

bool ZEL_TileMap::isSolidInColumn(int column, int firstRow, int endRow) {
  const int64_t first = firstRow < 0 ? 0 : firstRow;
  const int64_t end = endRow > static_cast<int64_t>(nb_lignes) ? int64_t{nb_lignes} : endRow;
  for (int64_t r = first; r < end; ++r) {
    if (isSolidCell(column, r)) return true;
  }
  return false;
}

// The box's far edges are summed in 64 bits: a box at the end of the
// 32-bit range clamps to the last cell instead of wrapping.
int ZEL_TileMap::collisionSouthAt(int x, int y, int w, int h) {
  const int row = yworld_to_ytile(static_cast<long>(y) + h);
  return isSolidInRow(row, xworld_to_xtile(x), xworld_to_xtile(static_cast<long>(x) + w)) ? 1 : 0;
}

int ZEL_TileMap::collisionNorthAt(int x, int y, int w, int /*h*/) {
  const int row = yworld_to_ytile(y);
  return isSolidInRow(row, xworld_to_xtile(x), xworld_to_xtile(static_cast<long>(x) + w)) ? 1 : 0;
}

// The row of the bottom edge is left out: a floor does not stop sideways.
int ZEL_TileMap::collisionEastAt(int x, int y, int w, int h) {
  const int column = xworld_to_xtile(static_cast<long>(x) + w);
  return isSolidInColumn(column, yworld_to_ytile(y), yworld_to_ytile(static_cast<long>(y) + h)) ? 1 : 0;
}

int ZEL_TileMap::collisionWestAt(int x, int y, int /*w*/, int h) {
  const int column = xworld_to_xtile(x);
  return isSolidInColumn(column, yworld_to_ytile(y), yworld_to_ytile(static_cast<long>(y) + h)) ? 1 : 0;
}

// Not clamped like the collision tests: beyond the grid is not walkable.
int ZEL_TileMap::canWalkAt(long x, long y) {
  if (map == nullptr || largeur_tile < 1 || hauteur_tile < 1) return 0;
  long column = x / largeur_tile;
  long row = y / hauteur_tile;
  if (column < 0) column = 0;
  if (row < 0) row = 0;
  if (column >= static_cast<long>(nb_colonnes) || row >= static_cast<long>(nb_lignes)) return 0;
  ZEL_Tile* tile = cellAt(static_cast<uint64_t>(column), static_cast<uint64_t>(row));
  return tile != nullptr && tile->IsWalkable() ? 1 : 0;
}

int ZEL_TileMap::collision_south(ZEL_Actif* actif) {
  return collisionSouthAt(static_cast<int>(actif->getXworld()), static_cast<int>(actif->getYworld()),
                          actif->get_largeur(), actif->get_hauteur());
}

int ZEL_TileMap::collision_north(ZEL_Actif* actif) {
  return collisionNorthAt(static_cast<int>(actif->getXworld()), static_cast<int>(actif->getYworld()),
                          actif->get_largeur(), actif->get_hauteur());
}

int ZEL_TileMap::collision_east(ZEL_Actif* actif) {
  return collisionEastAt(static_cast<int>(actif->getXworld()), static_cast<int>(actif->getYworld()),
                         actif->get_largeur(), actif->get_hauteur());
}

int ZEL_TileMap::collision_west(ZEL_Actif* actif) {
  return collisionWestAt(static_cast<int>(actif->getXworld()), static_cast<int>(actif->getYworld()),
                         actif->get_largeur(), actif->get_hauteur());
}

int ZEL_TileMap::can_walk(ZEL_Actif* actif, int dx, int dy) {
  const long height = actif->get_hauteur();
  return canWalkAt(actif->getXworld() + dx, actif->getYworld() + height / 2 + dy);
}
