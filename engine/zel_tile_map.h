#ifndef ZEL_TILE_MAP_H
#define ZEL_TILE_MAP_H

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>

class ZEL_Actif;
class ZEL_Grafbox;
class ZEL_Tile;

// The level's scenery: a grid of cells, each pointing at a tile of the
// tile set that the map loads from a .tle file and owns. The grid comes
// from a .map file or is built uniform, and can grow by a column or a row.
// Answers tile collision for actors and draws the cells seen through a
// viewport. Created by the program entry, which destroys it last; spaces
// and views only point at it. Failures end the process with a message.
class ZEL_TileMap {
 public:
  // A grid holds at most this many cells, and its world at most this many
  // pixels on each axis, so that every size stays within 32 bits.
  static constexpr uint32_t MAX_CELLS = 4194304;
  static constexpr int32_t MAX_WORLD_SIDE = 1 << 30;

  // Loads the tile set; the grid stays empty until ReadMap or setMap. No
  // reference to the file name is retained.
  ZEL_TileMap(const char* tleFilename, ZEL_Grafbox* grafbox);
  ~ZEL_TileMap();
  ZEL_TileMap(const ZEL_TileMap&) = delete;
  ZEL_TileMap& operator=(const ZEL_TileMap&) = delete;

  // Replaces the grid with a .map file's, or writes it as one.
  void ReadMap(const char* filename);
  void WriteMap(const char* filename);

  // Writes the tile set as a .tle file.
  void WriteTle(const char* filename);

  // A new nbColonnes x nbLignes grid of tile index, with tile 0's size as
  // the cell size.
  void setMap(int nbColonnes, int nbLignes, int index);

  // Grow the grid by one column at the right edge (one row at the bottom)
  // that repeats the last one; position is not used. On an empty grid the
  // new cells get tile 0.
  void insere_colonne(unsigned int position);
  void insere_ligne(unsigned int position);

  // Sets one cell; does nothing for a cell or tile number out of range.
  void setTile(int index, unsigned int colonne, unsigned int ligne);

  // The tile number of a cell, -1 when there is none. The cell is found by
  // its linear position, on purpose: a column past the last reads into the
  // next row.
  int getTile(unsigned int colonne, unsigned int ligne);

  // The column (row) of the cell holding a world x (y), clamped to the grid.
  int xworld_to_xtile(long x);
  int yworld_to_ytile(long y);

  // 1 when a solid cell lies along that side of the actor's box, else 0.
  int collision_south(ZEL_Actif* actif);
  int collision_north(ZEL_Actif* actif);
  int collision_east(ZEL_Actif* actif);
  int collision_west(ZEL_Actif* actif);

  // Whether the cell at (x + dx, y + half its height + dy) is walkable.
  int can_walk(ZEL_Actif* actif, int dx, int dy);

  // The collision tests for a box at world (x, y) of w x h pixels: the
  // south and north tests probe the rows of y + h and y over the columns
  // of x to x + w included; the east and west tests probe the columns of
  // x + w and x over the rows of y up to, not including, the row of y + h.
  int collisionSouthAt(int x, int y, int w, int h);
  int collisionNorthAt(int x, int y, int w, int h);
  int collisionEastAt(int x, int y, int w, int h);
  int collisionWestAt(int x, int y, int w, int h);

  // 1 when the cell holding world (x, y) exists and is walkable; negative
  // coordinates read the first column or row.
  int canWalkAt(long x, long y);

  // True when a solid cell lies in row between the two columns, both
  // included; in column from firstRow up to, not including, endRow.
  // Cells outside the grid and cells without a tile are not solid.
  bool isSolidInRow(int row, int firstColumn, int lastColumn);
  bool isSolidInColumn(int column, int firstRow, int endRow);

  // Draws the cells seen through a largeur x hauteur viewport whose
  // top-left corner shows world (xworld, yworld) at screen (xscreen,
  // yscreen), with each tile's graphics box or the given one. Sets no
  // clipping: the caller clips to the viewport.
  void draw(long xworld, long yworld, int xscreen, int yscreen, int largeur, int hauteur);
  void draw(long xworld, long yworld, int xscreen, int yscreen, int largeur, int hauteur,
            ZEL_Grafbox* grafbox);

  // World size in pixels.
  int get_largeur() const { return largeur; }
  int get_hauteur() const { return hauteur; }
  unsigned int get_nb_colonnes() const { return nb_colonnes; }
  unsigned int get_nb_lignes() const { return nb_lignes; }
  int get_largeur_tile() const { return largeur_tile; }
  int get_hauteur_tile() const { return hauteur_tile; }
  int get_nb_tiles() const { return nb_tiles; }
  // Tile i of the tile set, owned by the map.
  ZEL_Tile* getCorrespondance(int i) const;
  // The .map header's five attribute fields, which ReadMap keeps, WriteMap
  // writes and setMap clears; for tools that carry them through other formats.
  std::array<uint32_t, 5> getHeaderAttributes() const {
    return {map_attr0, map_attr1, map_attr2, map_attr3, map_attr4};
  }
  void setHeaderAttributes(const std::array<uint32_t, 5>& a) {
    map_attr0 = static_cast<uint8_t>(a[0]);
    map_attr1 = static_cast<uint8_t>(a[1]);
    map_attr2 = static_cast<uint8_t>(a[2]);
    map_attr3 = a[3];
    map_attr4 = static_cast<uint8_t>(a[4]);
  }

 private:
  typedef std::unique_ptr<ZEL_Tile*[]> Grid;

  // True when a grid of this size keeps its cell count and world sides
  // within the limits; tile sizes must not be negative.
  static bool fitsLimits(uint64_t nbColonnes, uint64_t nbLignes, int64_t largeurTile,
                         int64_t hauteurTile);

  void loadTileSet(const char* tleFilename);
  bool readMapHeader(FILE* f);
  void readMapCells(FILE* f, Grid& grid);
  bool isSolidCell(int64_t column, int64_t row);
  ZEL_Tile* cellAt(uint64_t column, uint64_t row) const;
  ZEL_Tile* tileOrNull(int index) const;
  Grid allocateGrid(uint64_t nbColonnes, uint64_t nbLignes);
  void adoptGrid(Grid grid, uint32_t nbColonnes, uint32_t nbLignes);
  void drawCells(long xworld, long yworld, int xscreen, int yscreen, int largeurVue, int hauteurVue,
                 ZEL_Grafbox* grafbox);

  ZEL_Grafbox* grafbox;
  int32_t largeur;
  int32_t hauteur;
  uint32_t nb_colonnes;
  uint32_t nb_lignes;
  int32_t largeur_tile;
  int32_t hauteur_tile;
  uint8_t map_attr0;
  uint8_t map_attr1;
  uint8_t map_attr2;
  uint32_t map_attr3;
  uint8_t map_attr4;
  Grid map;  // row by row; cell (c, r) is element r * nb_colonnes + c
  std::unique_ptr<ZEL_Tile*[]> correspondances;  // each tile owned
  int32_t nb_tiles;
};

#endif
