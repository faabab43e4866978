// Map drawing: ZEL_TileMap::draw of a 640 x 480 viewport of 16 x 16 tiles
// against the same blits made directly with SDL_BlitSurface, and against one
// SDL_BlitSurface of a whole 640 x 480 surface, in one run on the same
// screen, tiles and scroll positions. Also the cost of the four collision
// probes of an actor's box. Prints the median time per frame of each and
// the ratios.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bench_report.h"
#include "zel_grafbox_sdl.h"
#include "zel_surface_sdl.h"
#include "zel_tile.h"
#include "zel_tile_map.h"

namespace {

const int SCREEN_WIDTH = 640;
const int SCREEN_HEIGHT = 480;
const int TILE_SIDE = 16;
const int TILE_KINDS = 8;
const int MAP_COLUMNS = 200;
const int MAP_ROWS = 60;
const int WORLD_WIDTH = MAP_COLUMNS * TILE_SIDE;
const int WORLD_HEIGHT = MAP_ROWS * TILE_SIDE;
const int PIXEL_BYTES = 4;
// Scroll steps per frame, prime to the world size, so offsets inside a
// tile vary from frame to frame.
const int SCROLL_X = 7;
const int SCROLL_Y = 3;
const int FRAMES_PER_ROUND = 200;
const int ROUNDS = 9;  // the first is dropped: it pays for caches

ZEL_GrafboxSDL* box = nullptr;
ZEL_TileMap* tileMap = nullptr;
// Each cell's SDL surface, row by row, looked up once for the baseline.
std::vector<SDL_Surface*> cellSurfaces;

void put32(FILE* f, uint32_t v) {
  for (int s = 0; s < 32; s += 8) fputc(static_cast<int>((v >> s) & 0xFF), f);
}

// Tiles with a keyed black border on odd kinds, as scenery tiles have.
std::string writeTileSet() {
  const std::string path = "/tmp/zel_tile_map_draw_bench.tle";
  FILE* f = fopen(path.c_str(), "wb");
  if (f == nullptr) abort();
  for (int k = 0; k < TILE_KINDS; ++k) {
    put32(f, TILE_SIDE);
    put32(f, TILE_SIDE);
    const uint8_t attributes[] = {0, static_cast<uint8_t>(k % 2), 0, 0, 1};
    fwrite(attributes, 1, sizeof attributes, f);
    for (int y = 0; y < TILE_SIDE; ++y)
      for (int x = 0; x < TILE_SIDE; ++x) {
        const bool border = k % 2 == 1 && (x < 3 || y < 3);
        const uint8_t pixel[PIXEL_BYTES] = {static_cast<uint8_t>(border ? 0 : 30 * k + 10),
                                            static_cast<uint8_t>(border ? 0 : 4 * x),
                                            static_cast<uint8_t>(border ? 0 : 4 * y), 0};
        fwrite(pixel, 1, sizeof pixel, f);
      }
  }
  fclose(f);
  return path;
}

void buildMap() {
  const std::string tle = writeTileSet();
  tileMap = new ZEL_TileMap(tle.c_str(), box);
  tileMap->setMap(MAP_COLUMNS, MAP_ROWS, 0);
  for (int r = 0; r < MAP_ROWS; ++r)
    for (int c = 0; c < MAP_COLUMNS; ++c) {
      const int kind = (c * 3 + r * 5) % TILE_KINDS;
      tileMap->setTile(kind, c, r);
      cellSurfaces.push_back(
          static_cast<ZEL_SurfaceSDL*>(tileMap->getCorrespondance(kind)->getSurface())->getInternalData());
    }
  remove(tle.c_str());
}

long originX(int frame) { return (static_cast<long>(frame) * SCROLL_X) % (WORLD_WIDTH - SCREEN_WIDTH); }
long originY(int frame) { return (static_cast<long>(frame) * SCROLL_Y) % (WORLD_HEIGHT - SCREEN_HEIGHT); }

void drawWithTileMap(int frame) {
  tileMap->draw(originX(frame), originY(frame), 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT);
}

// The same cells, positions and order, blitted straight onto the screen.
void drawDirectly(int frame) {
  SDL_Surface* screen = ZEL_GrafboxSDL::getScreen();
  const long xw = originX(frame);
  const long yw = originY(frame);
  const long c0 = xw / TILE_SIDE;
  const long r0 = yw / TILE_SIDE;
  const long lastColumn = std::min<long>(c0 + SCREEN_WIDTH / TILE_SIDE, MAP_COLUMNS - 1);
  const long lastRow = std::min<long>(r0 + SCREEN_HEIGHT / TILE_SIDE, MAP_ROWS - 1);
  for (long r = r0; r <= lastRow; ++r)
    for (long c = c0; c <= lastColumn; ++c) {
      SDL_Rect dst = {static_cast<Sint16>((c - c0) * TILE_SIDE - xw % TILE_SIDE),
                      static_cast<Sint16>((r - r0) * TILE_SIDE - yw % TILE_SIDE), TILE_SIDE, TILE_SIDE};
      SDL_BlitSurface(cellSurfaces[r * MAP_COLUMNS + c], nullptr, screen, &dst);
    }
}

void BM_TileMapDraw(benchmark::State& state) {
  int frame = 0;
  for (auto _ : state) drawWithTileMap(frame++);
  state.SetItemsProcessed(state.iterations());
}

void BM_DirectBlits(benchmark::State& state) {
  int frame = 0;
  for (auto _ : state) drawDirectly(frame++);
  state.SetItemsProcessed(state.iterations());
}

SDL_Surface* wholeScreen = nullptr;

void drawWholeSurface(int) { SDL_BlitSurface(wholeScreen, nullptr, ZEL_GrafboxSDL::getScreen(), nullptr); }

void BM_OneFullScreenBlit(benchmark::State& state) {
  for (auto _ : state) drawWholeSurface(0);
  state.SetItemsProcessed(state.iterations());
}

// The four probes an actor's tile tests make, for a 32 x 32 box.
void BM_FourCollisionTests(benchmark::State& state) {
  const int box = 32;
  int i = 0, hits = 0;
  for (auto _ : state) {
    const int x = (i * 37) % (WORLD_WIDTH - box);
    const int y = (i * 11) % (WORLD_HEIGHT - box);
    hits += tileMap->collisionEastAt(x, y, box, box) + tileMap->collisionWestAt(x, y, box, box) +
            tileMap->collisionSouthAt(x, y, box, box) + tileMap->collisionNorthAt(x, y, box, box);
    ++i;
  }
  benchmark::DoNotOptimize(hits);
  state.SetItemsProcessed(state.iterations());
}

BENCHMARK(BM_OneFullScreenBlit)->Repetitions(5)->ReportAggregatesOnly(true)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FourCollisionTests)->Repetitions(5)->ReportAggregatesOnly(true);

BENCHMARK(BM_TileMapDraw)->Repetitions(5)->ReportAggregatesOnly(true)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DirectBlits)->Repetitions(5)->ReportAggregatesOnly(true)->Unit(benchmark::kMicrosecond);

double microsecondsPerFrame(const std::function<void(int)>& draw) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < FRAMES_PER_ROUND; ++i) draw(i);
  const std::chrono::duration<double, std::micro> spent = std::chrono::steady_clock::now() - start;
  return spent.count() / FRAMES_PER_ROUND;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// Rounds alternate between the two, so that both see the same machine load.
void printRatio() {
  std::vector<double> withMap, direct, whole;
  for (int round = 0; round < ROUNDS; ++round) {
    const double a = microsecondsPerFrame(drawWithTileMap);
    const double b = microsecondsPerFrame(drawDirectly);
    const double c = microsecondsPerFrame(drawWholeSurface);
    if (round == 0) continue;
    withMap.push_back(a);
    direct.push_back(b);
    whole.push_back(c);
  }
  utsname u;
  uname(&u);
  const double m = median(withMap);
  const double d = median(direct);
  printf("machine: %s %s, %ld cpus, screen %d bits\n", u.sysname, u.machine, sysconf(_SC_NPROCESSORS_ONLN),
         ZEL_GrafboxSDL::getScreen()->format->BitsPerPixel);
  printf("640 x 480 viewport of 16 x 16 tiles, median per frame over %d rounds of %d frames:\n", ROUNDS - 1,
         FRAMES_PER_ROUND);
  printf("  ZEL_TileMap::draw     %8.1f us\n", m);
  printf("  SDL_BlitSurface loop  %8.1f us\n", d);
  printf("  one 640 x 480 blit    %8.1f us\n", median(whole));
  printf("  ratio draw / direct   %8.3f\n", m / d);
  printf("  ratio draw / one blit %8.3f\n", m / median(whole));
  reportFigure("640 x 480 of 16 x 16 tiles (ZEL_TileMap::draw)", m, "SDL_BlitSurface loop", d, "us");
}

}  // namespace

int main(int argc, char** argv) {
  box = new ZEL_GrafboxSDL(SCREEN_WIDTH, SCREEN_HEIGHT, 32, false);
  box->init_graf();
  if (ZEL_GrafboxSDL::getProfondeur() != 32) box->setVideoMode(SCREEN_WIDTH, SCREEN_HEIGHT, 32, false);
  box->set_clipping(0, 0, SCREEN_WIDTH, SCREEN_HEIGHT);
  buildMap();
  wholeScreen = SDL_DisplayFormat(ZEL_GrafboxSDL::getScreen());
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  printRatio();
  SDL_FreeSurface(wholeScreen);
  delete tileMap;
  delete box;
  return 0;
}
