// zeltool import of a 1024 x 1024-cell Tiled map of three zlib-compressed
// layers: the whole command (read, inflate, composite, write the .tle and
// .map through the engine) beside inflating and decoding its layer data
// alone, in one run on the same file. Prints the median of each and the ratio.
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <pugixml.hpp>
#include <random>
#include <string>
#include <vector>

#include "bench_report.h"
#include "loaded_files.h"
#include "command.h"
#include "layer_data.h"
#include "rgba_image.h"

namespace {

const int SIDE = 1024;  // cells a side
const int TILE = 16;
const int TILE_KINDS = 16;
const int RUNS = 5;
const char* const DIR = "/tmp/zeltool_import_bench";

// A layer where one cell in `every` holds one of `kinds` tiles from `first`.
std::string layer(int id, int first, int kinds, int every, std::mt19937& random) {
  std::vector<uint8_t> raw;
  for (int i = 0; i < SIDE * SIDE; ++i) {
    const uint32_t gid = random() % every == 0 ? first + random() % kinds : 0;
    for (int s = 0; s < 32; s += 8) raw.push_back(static_cast<uint8_t>(gid >> s));
  }
  std::vector<uint8_t> packed(compressBound(raw.size()));
  uLongf size = packed.size();
  compress(packed.data(), &size, raw.data(), raw.size());
  packed.resize(size);
  return "<layer id=\"" + std::to_string(id) + "\" name=\"l" + std::to_string(id) +
         "\" width=\"1024\" height=\"1024\">"
         "<data encoding=\"base64\" compression=\"zlib\">" +
         base64(packed) + "</data></layer>";
}

void makeLevel() {
  mkdir(DIR, 0755);
  RgbaImage tiles(TILE * TILE_KINDS, TILE);
  for (size_t i = 0; i < tiles.pixels.size(); ++i)
    tiles.pixels[i] = static_cast<uint8_t>(i % 4 == 3 ? 255 : i * 7);
  writePng(std::string(DIR) + "/tiles.png", tiles);
  std::mt19937 random(1);
  const std::string text =
      "<map version=\"1.10\" orientation=\"orthogonal\" width=\"1024\" height=\"1024\" tilewidth=\"16\" "
      "tileheight=\"16\"><tileset firstgid=\"1\" name=\"t\" tilewidth=\"16\" tileheight=\"16\" "
      "tilecount=\"16\" "
      "columns=\"16\"><image source=\"tiles.png\" width=\"256\" height=\"16\"/></tileset>" +
      layer(1, 1, TILE_KINDS, 1, random) + layer(2, 1, 4, 8, random) + layer(3, 5, 2, 16, random) + "</map>";
  FILE* f = fopen((std::string(DIR) + "/level.tmx").c_str(), "wb");
  fwrite(text.data(), 1, text.size(), f);
  fclose(f);
}

double medianMs(const std::function<void()>& work) {
  std::vector<double> ms;
  for (int i = 0; i < RUNS; ++i) {
    const auto start = std::chrono::steady_clock::now();
    work();
    ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(ms.begin(), ms.end());
  return ms[RUNS / 2];
}

}  // namespace

int main() {
  makeLevel();
  const std::string dir = DIR;
  const double whole = medianMs([&] {
    if (runImport({dir + "/level.tmx", dir + "/level.tle", dir + "/level.map"}) != 0) abort();
  });
  const double inflateOnly = medianMs([&] {
    pugi::xml_document doc;
    doc.load_file((dir + "/level.tmx").c_str());
    for (pugi::xml_node l : doc.child("map").children("layer"))
      decodeLayerData(l.child("data"), SIDE * SIDE, "bench");
  });
  printf(
      "zeltool import, 1024 x 1024 cells, 3 layers: median %.1f ms; parsing and inflating the layers alone: "
      "%.1f ms (import is %.1f x)\n",
      whole, inflateOnly, whole / inflateOnly);
  reportFigure("zeltool import, 1024 x 1024 x 3 layers", whole, "parsing and inflating alone", inflateOnly,
               "ms");
  return 0;
}
