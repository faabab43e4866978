#ifndef PROJECTILE_MOTION_H
#define PROJECTILE_MOTION_H

#include <cstdint>

#include "zel_actif.h"
#include "zel_path.h"
#include "zel_space.h"
#include "zel_tile_map.h"

// The next point of a path: calculate_next_location, then the location.
struct NextPoint {
  bool valid;
  int32_t x;
  int32_t y;
};

inline NextPoint nextPoint(ZEL_Path* path) {
  NextPoint p;
  p.valid = path->calculate_next_location();
  p.x = path->get_next_location_x();
  p.y = path->get_next_location_y();
  return p;
}

// A solid tile along any side of the actor's box, asked east, west, south,
// north, stopping at the first.
inline bool touchesWall(ZEL_Actif* a) {
  ZEL_TileMap* map = ZEL_Actif::getSpace()->tileMap;
  if (map == nullptr) return false;
  return map->collision_east(a) != 0 || map->collision_west(a) != 0 || map->collision_south(a) != 0 ||
         map->collision_north(a) != 0;
}

// The point keeps the actor's whole frame inside the world.
inline bool isInsideWorld(ZEL_Actif* a, const NextPoint& p) {
  const ZEL_Space* space = ZEL_Actif::getSpace();
  return 0 <= p.x && p.x <= space->worldWidth - a->get_largeur() && 0 <= p.y &&
         p.y <= space->worldHeight - a->get_hauteur();
}

// A solid tile under the actor's bottom edge.
inline bool isOnGround(ZEL_Actif* a) {
  ZEL_TileMap* map = ZEL_Actif::getSpace()->tileMap;
  return map != nullptr && map->collision_south(a) != 0;
}

// Lifts an actor that has reached a floor out of it pixel by pixel (not
// above y = 0), resting its bottom edge on it.
inline void liftOutOfFloor(ZEL_Actif* a) {
  while (isOnGround(a) && a->getYworld() >= 0) a->setYworld(a->getYworld() - 1);
  a->setYworld(a->getYworld() + 1);
}

#endif
