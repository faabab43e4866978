#ifndef MAKEDATA_LEVEL_H
#define MAKEDATA_LEVEL_H

#include <string>

class ZEL_Grafbox;

// Makes the level's tile set and map from two sources:
// - the tiles: PixelArt settings, then for each tile
//     tile C NAME solid|walkable
//   followed by its picture; C is the tile's character in the layout, and
//   tiles are numbered in the order given;
// - the layout: one line of tile characters per row of the map, all of
//   one length.
// Every tile is opaque (it is drawn over the last frame), so a picture
// with a transparent pixel is refused.
void makeLevel(const std::string& tilesSource, const std::string& layoutSource, const std::string& tleFile,
               const std::string& mapFile, ZEL_Grafbox* grafbox);

#endif
