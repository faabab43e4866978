#include "actor_moves.h"

#include "game_sounds.h"
#include "zel_path_gravity.h"
#include "zel_space.h"
#include "zel_tile_map.h"

ZEL_Actif* findFirstActif(int type) {
  ZEL_Space* space = ZEL_Actif::getSpace();
  for (int i = 0; space != nullptr && i < space->getActifCount(); ++i) {
    ZEL_Actif* a = space->getActif(i);
    if (a != nullptr && a->getType() == type) return a;
  }
  return nullptr;
}

bool isTargetWithin(ZEL_Actif* target, long x, int behind, int ahead) {
  return target != nullptr && x - behind <= target->getXworld() && target->getXworld() <= x + ahead;
}

NextPoint nextPoint(ZEL_Path* path) {
  NextPoint p;
  p.valid = path->calculate_next_location();
  p.x = path->get_next_location_x();
  p.y = path->get_next_location_y();
  return p;
}

bool touchesWall(ZEL_Actif* a) {
  ZEL_TileMap* map = ZEL_Actif::getSpace()->tileMap;
  if (map == nullptr) return false;
  return map->collision_east(a) != 0 || map->collision_west(a) != 0 || map->collision_south(a) != 0 ||
         map->collision_north(a) != 0;
}

bool isInsideWorld(ZEL_Actif* a, const NextPoint& p) {
  const ZEL_Space* space = ZEL_Actif::getSpace();
  return 0 <= p.x && p.x <= space->worldWidth - a->get_largeur() && 0 <= p.y &&
         p.y <= space->worldHeight - a->get_hauteur();
}

bool isOnGround(ZEL_Actif* a) {
  ZEL_TileMap* map = ZEL_Actif::getSpace()->tileMap;
  return map != nullptr && map->collision_south(a) != 0;
}

ZEL_Path* newFlightPath(ZEL_Actif* a, float vx, float vy) {
  return new ZEL_PathGravity(a->getXworld(), a->getYworld(), 0, vx, vy, 0.0f, GRAVITY, WALKER_TIME_STEP);
}

void GameActif::goTo(Action state, int anim) {
  currentAction = state;
  setCurrentSpriteAnim(anim);
}

bool GameActif::flyAlong(ZEL_Path* path, int32_t landingSample, int eastAnim, int westAnim) {
  const NextPoint next = nextPoint(path);
  if (isOnGround(this)) {
    // Up until the bottom edge rests on the floor; never lifted above y = 0.
    while (isOnGround(this) && getYworld() >= 0) setYworld(getYworld() - 1);
    setYworld(getYworld() + 1);
    playSample(landingSample);
    return false;
  }
  if (!next.valid || !isInsideWorld(this, next)) return false;
  setXworld(next.x);
  setYworld(next.y);
  if (path->orientation_east()) setCurrentSpriteAnim(eastAnim);
  if (path->orientation_west()) setCurrentSpriteAnim(westAnim);
  return true;
}

void GameActif::endFlight(ZEL_Path*& path, Action east, int eastAnim, Action west, int westAnim) {
  if (path->orientation_west()) {
    goTo(west, westAnim);
  } else {
    goTo(east, eastAnim);
  }
  delete path;
  path = nullptr;
}
