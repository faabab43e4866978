#include "zel_tile_map.h"

#include <cstdio>
#include <utility>

#include "zel_alloc.h"
#include "zel_fatal.h"
#include "zel_tile.h"

namespace {

[[noreturn]] void failNewGrid() { ZEL_fatal("pas assez de memoire pour allouer la nouvelle MAP "); }

}  // namespace

ZEL_TileMap::ZEL_TileMap(const char* tleFilename, ZEL_Grafbox* g)
    : grafbox(g),
      largeur(0),
      hauteur(0),
      nb_colonnes(0),
      nb_lignes(0),
      largeur_tile(0),
      hauteur_tile(0),
      map_attr0(0),
      map_attr1(0),
      map_attr2(0),
      map_attr3(0),
      map_attr4(0),
      nb_tiles(0) {
  loadTileSet(tleFilename);
}

ZEL_TileMap::~ZEL_TileMap() {
  for (int32_t i = 0; i < nb_tiles; ++i) delete correspondances[i];
}

// Counts the records first, so that the table is allocated once at its
// size; a record whose pixel block is short or empty ends the tile set.
void ZEL_TileMap::loadTileSet(const char* tleFilename) {
  FILE* f = fopen(tleFilename, "rb");
  if (f == nullptr) ZEL_fatal("erreur d'ouverture du fichier %s\n", tleFilename);
  int32_t count = 0;
  {
    ZEL_Tile scratch(grafbox);
    while (scratch.SkipTle(f) == 1) ++count;
  }
  fclose(f);

  f = fopen(tleFilename, "rb");
  if (f == nullptr) ZEL_fatal("erreur d'ouverture du fichier %s", tleFilename);
  correspondances = zel_alloc::array<ZEL_Tile*>(static_cast<uint64_t>(count), [] {
    ZEL_fatal("pas assez de memoire pour allouer le tableau des correspondances ");
  });
  for (int32_t i = 0; i < count; ++i) {
    correspondances[i] = new ZEL_Tile(grafbox);
    nb_tiles = i + 1;
    correspondances[i]->ReadTle(f);
  }
  fclose(f);
}

ZEL_Tile* ZEL_TileMap::tileOrNull(int index) const {
  return index >= 0 && index < nb_tiles ? correspondances[index] : nullptr;
}

ZEL_Tile* ZEL_TileMap::getCorrespondance(int i) const { return tileOrNull(i); }

// Counts are checked one by one first, so that no product can overflow.
bool ZEL_TileMap::fitsLimits(uint64_t nbColonnes, uint64_t nbLignes, int64_t largeurTile,
                             int64_t hauteurTile) {
  return nbColonnes <= MAX_CELLS && nbLignes <= MAX_CELLS && nbColonnes * nbLignes <= MAX_CELLS &&
         static_cast<int64_t>(nbColonnes) * largeurTile <= MAX_WORLD_SIDE &&
         static_cast<int64_t>(nbLignes) * hauteurTile <= MAX_WORLD_SIDE;
}

ZEL_TileMap::Grid ZEL_TileMap::allocateGrid(uint64_t nbColonnes, uint64_t nbLignes) {
  if (!fitsLimits(nbColonnes, nbLignes, largeur_tile, hauteur_tile)) failNewGrid();
  return zel_alloc::array<ZEL_Tile*>(nbColonnes * nbLignes, failNewGrid);
}

void ZEL_TileMap::adoptGrid(Grid grid, uint32_t nbColonnes, uint32_t nbLignes) {
  map = std::move(grid);
  nb_colonnes = nbColonnes;
  nb_lignes = nbLignes;
  largeur = static_cast<int32_t>(nb_colonnes * static_cast<int64_t>(largeur_tile));
  hauteur = static_cast<int32_t>(nb_lignes * static_cast<int64_t>(hauteur_tile));
}

void ZEL_TileMap::setMap(int nbColonnes, int nbLignes, int index) {
  if (index < 0 || index >= nb_tiles) {
    ZEL_fatal("tu essayes d'initialiser ta tile_map avec un indice hors borne!\n");
  }
  if (nbColonnes < 0 || nbLignes < 0) failNewGrid();
  largeur_tile = correspondances[0]->get_largeur();
  hauteur_tile = correspondances[0]->get_hauteur();
  map_attr0 = map_attr1 = map_attr2 = map_attr4 = 0;
  map_attr3 = 0;
  Grid grid = allocateGrid(static_cast<uint64_t>(nbColonnes), static_cast<uint64_t>(nbLignes));
  const uint64_t cells = static_cast<uint64_t>(nbColonnes) * static_cast<uint64_t>(nbLignes);
  for (uint64_t i = 0; i < cells; ++i) grid[i] = correspondances[index];
  adoptGrid(std::move(grid), static_cast<uint32_t>(nbColonnes), static_cast<uint32_t>(nbLignes));
}

void ZEL_TileMap::insere_colonne(unsigned int /*position*/) {
  const uint64_t oldColonnes = nb_colonnes;
  const uint64_t colonnes = oldColonnes + 1;
  Grid grid = allocateGrid(colonnes, nb_lignes);
  for (uint64_t r = 0; r < nb_lignes; ++r) {
    for (uint64_t c = 0; c < oldColonnes; ++c) grid[r * colonnes + c] = map[r * oldColonnes + c];
    grid[r * colonnes + oldColonnes] =
        oldColonnes > 0 ? map[r * oldColonnes + oldColonnes - 1] : tileOrNull(0);
  }
  adoptGrid(std::move(grid), static_cast<uint32_t>(colonnes), nb_lignes);
}

void ZEL_TileMap::insere_ligne(unsigned int /*position*/) {
  const uint64_t oldLignes = nb_lignes;
  const uint64_t colonnes = nb_colonnes;
  Grid grid = allocateGrid(colonnes, oldLignes + 1);
  const uint64_t oldCells = colonnes * oldLignes;
  for (uint64_t i = 0; i < oldCells; ++i) grid[i] = map[i];
  for (uint64_t c = 0; c < colonnes; ++c) {
    grid[oldCells + c] = oldLignes > 0 ? map[oldCells - colonnes + c] : tileOrNull(0);
  }
  adoptGrid(std::move(grid), nb_colonnes, static_cast<uint32_t>(oldLignes + 1));
}

ZEL_Tile* ZEL_TileMap::cellAt(uint64_t column, uint64_t row) const { return map[row * nb_colonnes + column]; }

void ZEL_TileMap::setTile(int index, unsigned int colonne, unsigned int ligne) {
  if (index < 0 || index >= nb_tiles || colonne >= nb_colonnes || ligne >= nb_lignes) return;
  map[static_cast<uint64_t>(ligne) * nb_colonnes + colonne] = correspondances[index];
}

int ZEL_TileMap::getTile(unsigned int colonne, unsigned int ligne) {
  // Linear on purpose; computed in 64 bits so that a huge row cannot wrap
  // back into the grid.
  const uint64_t position = static_cast<uint64_t>(ligne) * nb_colonnes + colonne;
  if (position >= static_cast<uint64_t>(nb_colonnes) * nb_lignes) return -1;
  const ZEL_Tile* tile = map[position];
  if (tile == nullptr) return -1;
  for (int32_t i = 0; i < nb_tiles; ++i) {
    if (correspondances[i] == tile) return i;
  }
  return -1;
}
