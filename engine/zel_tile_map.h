#ifndef ZEL_TILE_MAP_H
#define ZEL_TILE_MAP_H

#include <cstdint>

// The level's grid of tiles; the world's size in pixels.
class ZEL_TileMap {
 public:
  int get_largeur() { return largeur; }
  int get_hauteur() { return hauteur; }

 protected:
  int32_t largeur = 0;
  int32_t hauteur = 0;
};

#endif
