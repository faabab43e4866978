// The tile map's files: reading and writing the grid (.map) and writing
// the tile set (.tle).
#include <cstdio>
#include <unordered_map>
#include <utility>

#include "zel_alloc.h"
#include "zel_byte_order.h"
#include "zel_fatal.h"
#include "zel_file_io.h"
#include "zel_tile.h"
#include "zel_tile_map.h"

namespace {

const size_t CELL_BYTES = 2;     // a cell is an unsigned 16-bit tile number
const size_t CELL_CHUNK = 4096;  // tile numbers read or written per block
const uint32_t MAX_TILE_NUMBER = 0xFFFF;

[[noreturn]] void failNonConforming(FILE* f) {
  fclose(f);
  ZEL_fatal("fichier non conforme");
}

[[noreturn]] void failWrite(const char* filename) {
  ZEL_fatal("erreur d'ecriture dans le fichier %s", filename);
}

}  // namespace

// The header is checked before anything is allocated: counts and cell
// sizes of at least 1 and a grid within the limits, else the file is
// refused. The grid is then allocated at its announced size, which the
// limits bound; cells the file cuts short get tile 0.
void ZEL_TileMap::ReadMap(const char* filename) {
  FILE* f = fopen(filename, "rb");
  if (f == nullptr) ZEL_fatal("erreur d'ouverture du fichier %s", filename);
  const bool complete = readMapHeader(f);
  if (!complete || nb_colonnes < 1 || nb_lignes < 1 || largeur_tile < 1 || hauteur_tile < 1 ||
      !fitsLimits(nb_colonnes, nb_lignes, largeur_tile, hauteur_tile)) {
    failNonConforming(f);
  }
  const uint64_t cells = static_cast<uint64_t>(nb_colonnes) * nb_lignes;
  Grid grid = zel_alloc::array<ZEL_Tile*>(cells, [f] {
    fclose(f);
    ZEL_fatal("pas assez de memoire pour allouer la MAP ");
  });
  readMapCells(f, grid);
  fclose(f);
  adoptGrid(std::move(grid), nb_colonnes, nb_lignes);
}

// Fields the file cuts short stay 0 (sizes and map_attr3).
bool ZEL_TileMap::readMapHeader(FILE* f) {
  nb_colonnes = nb_lignes = 0;
  largeur_tile = hauteur_tile = 0;
  map_attr3 = 0;
  using zel_file::readByte;
  using zel_file::readLe32;
  return readLe32(f, &nb_colonnes) && readLe32(f, &nb_lignes) && readLe32(f, &largeur_tile) &&
         readLe32(f, &hauteur_tile) && readByte(f, &map_attr0) && readByte(f, &map_attr1) &&
         readByte(f, &map_attr2) && readLe32(f, &map_attr3) && readByte(f, &map_attr4);
}

void ZEL_TileMap::readMapCells(FILE* f, Grid& grid) {
  const uint64_t cells = static_cast<uint64_t>(nb_colonnes) * nb_lignes;
  uint8_t numbers[CELL_CHUNK * CELL_BYTES];
  for (uint64_t done = 0; done < cells;) {
    const size_t want = cells - done < CELL_CHUNK ? static_cast<size_t>(cells - done) : CELL_CHUNK;
    const size_t got = fread(numbers, CELL_BYTES, want, f);  // whole numbers only
    for (size_t i = 0; i < want; ++i) {
      const int32_t number = i < got ? zel_le::get16(numbers + i * CELL_BYTES) : 0;
      if (number >= nb_tiles) failNonConforming(f);
      grid[done + i] = correspondances[number];
    }
    done += want;
  }
}

// A cell holds the number of the first entry of the tile set that points
// at its tile; a cell without a tile is written as tile 0.
void ZEL_TileMap::WriteMap(const char* filename) {
  FILE* f = fopen(filename, "wb");
  if (f == nullptr) failWrite(filename);
  bool ok = zel_file::writeLe32(f, nb_colonnes) && zel_file::writeLe32(f, nb_lignes) &&
            zel_file::writeLe32(f, static_cast<uint32_t>(largeur_tile)) &&
            zel_file::writeLe32(f, static_cast<uint32_t>(hauteur_tile)) &&
            zel_file::writeByte(f, map_attr0) && zel_file::writeByte(f, map_attr1) &&
            zel_file::writeByte(f, map_attr2) && zel_file::writeLe32(f, map_attr3) &&
            zel_file::writeByte(f, map_attr4);

  std::unordered_map<const ZEL_Tile*, uint32_t> numberOf;
  for (int32_t i = nb_tiles - 1; i >= 0; --i) {
    numberOf[correspondances[i]] = static_cast<uint32_t>(i);  // the first entry wins
  }

  const uint64_t cells = static_cast<uint64_t>(nb_colonnes) * nb_lignes;
  uint8_t numbers[CELL_CHUNK * CELL_BYTES];
  for (uint64_t done = 0; done < cells && ok;) {
    const size_t count = cells - done < CELL_CHUNK ? static_cast<size_t>(cells - done) : CELL_CHUNK;
    for (size_t i = 0; i < count; ++i) {
      const auto found = numberOf.find(map[done + i]);
      const uint32_t number = found == numberOf.end() ? 0 : found->second;
      // The file cannot name this tile: refuse rather than write another.
      if (number > MAX_TILE_NUMBER) {
        fclose(f);
        failWrite(filename);
      }
      zel_le::put16(numbers + i * CELL_BYTES, static_cast<uint16_t>(number));
    }
    ok = fwrite(numbers, CELL_BYTES, count, f) == count;
    done += count;
  }
  ok = fclose(f) == 0 && ok;
  if (!ok) failWrite(filename);
}

void ZEL_TileMap::WriteTle(const char* filename) {
  FILE* f = fopen(filename, "wb");
  if (f == nullptr) failWrite(filename);
  for (int32_t i = 0; i < nb_tiles; ++i) {
    if (correspondances[i] != nullptr) correspondances[i]->WriteTle(f);
  }
  bool ok = ferror(f) == 0;
  ok = fclose(f) == 0 && ok;
  if (!ok) failWrite(filename);
}
