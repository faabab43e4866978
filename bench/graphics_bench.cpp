// Pixel access and keyed blits of the graphics box against SDL's own raw
// operations, in one run on the same 32-bit surfaces: setPixel against a
// direct store of the mapped value, getPixel against a direct load and
// SDL_GetRGBA, put_sprite of a colour-keyed 32 x 32 sprite against
// SDL_BlitSurface of the same surface. Compare the items per second.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "bench_report.h"
#include "zel_grafbox_sdl.h"
#include "zel_surface_sdl.h"

namespace {

const int SURFACE_SIDE = 256;
const int SPRITE_SIDE = 32;
const int SCREEN_WIDTH = 640;
const int SCREEN_HEIGHT = 480;

ZEL_GrafboxSDL* box = nullptr;

Uint32* pixelAddress(SDL_Surface* s, int x, int y) {
  return reinterpret_cast<Uint32*>(static_cast<Uint8*>(s->pixels) + y * s->pitch) + x;
}

void BM_SetPixel(benchmark::State& state) {
  std::unique_ptr<ZEL_Surface> s(box->getSurface(SURFACE_SIDE, SURFACE_SIDE));
  for (auto _ : state) {
    for (int y = 0; y < SURFACE_SIDE; ++y)
      for (int x = 0; x < SURFACE_SIDE; ++x) s->setPixel(x, y, x, y, 7);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * SURFACE_SIDE * SURFACE_SIDE);
}

void BM_RawStore(benchmark::State& state) {
  std::unique_ptr<ZEL_Surface> zs(box->getSurface(SURFACE_SIDE, SURFACE_SIDE));
  SDL_Surface* s = static_cast<ZEL_SurfaceSDL*>(zs.get())->getInternalData();
  for (auto _ : state) {
    for (int y = 0; y < SURFACE_SIDE; ++y)
      for (int x = 0; x < SURFACE_SIDE; ++x) *pixelAddress(s, x, y) = SDL_MapRGB(s->format, x, y, 7);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * SURFACE_SIDE * SURFACE_SIDE);
}

void BM_GetPixel(benchmark::State& state) {
  std::unique_ptr<ZEL_Surface> s(box->getSurface(SURFACE_SIDE, SURFACE_SIDE));
  unsigned sum = 0;
  for (auto _ : state) {
    for (int y = 0; y < SURFACE_SIDE; ++y)
      for (int x = 0; x < SURFACE_SIDE; ++x) {
        unsigned char r, g, b;
        s->getPixel(x, y, &r, &g, &b);
        sum += r + g + b;
      }
  }
  benchmark::DoNotOptimize(sum);
  state.SetItemsProcessed(state.iterations() * SURFACE_SIDE * SURFACE_SIDE);
}

void BM_RawLoad(benchmark::State& state) {
  std::unique_ptr<ZEL_Surface> zs(box->getSurface(SURFACE_SIDE, SURFACE_SIDE));
  SDL_Surface* s = static_cast<ZEL_SurfaceSDL*>(zs.get())->getInternalData();
  unsigned sum = 0;
  for (auto _ : state) {
    for (int y = 0; y < SURFACE_SIDE; ++y)
      for (int x = 0; x < SURFACE_SIDE; ++x) {
        Uint8 r, g, b, a;
        SDL_GetRGBA(*pixelAddress(s, x, y), s->format, &r, &g, &b, &a);
        sum += r + g + b;
      }
  }
  benchmark::DoNotOptimize(sum);
  state.SetItemsProcessed(state.iterations() * SURFACE_SIDE * SURFACE_SIDE);
}

// A sprite with a transparent border, as game frames have.
ZEL_Surface* makeKeyedSprite() {
  ZEL_Surface* s = box->getSurface(SPRITE_SIDE, SPRITE_SIDE);
  for (int y = 0; y < SPRITE_SIDE; ++y)
    for (int x = 0; x < SPRITE_SIDE; ++x) {
      const bool border = x < 4 || y < 4 || x >= SPRITE_SIDE - 4 || y >= SPRITE_SIDE - 4;
      s->setPixel(x, y, border ? 0 : 200, border ? 0 : x * 8, border ? 0 : 1);
    }
  s->setTransparencyColor(0, 0, 0);
  return s;
}

void BM_PutSprite(benchmark::State& state) {
  std::unique_ptr<ZEL_Surface> sprite(makeKeyedSprite());
  int i = 0;
  for (auto _ : state) {
    box->put_sprite(sprite.get(), (i * 37) % (SCREEN_WIDTH - SPRITE_SIDE),
                    (i * 11) % (SCREEN_HEIGHT - SPRITE_SIDE), SPRITE_SIDE, SPRITE_SIDE);
    ++i;
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_SdlBlitSurface(benchmark::State& state) {
  std::unique_ptr<ZEL_Surface> sprite(makeKeyedSprite());
  SDL_Surface* src = static_cast<ZEL_SurfaceSDL*>(sprite.get())->getInternalData();
  int i = 0;
  for (auto _ : state) {
    SDL_Rect dst = {static_cast<Sint16>((i * 37) % (SCREEN_WIDTH - SPRITE_SIDE)),
                    static_cast<Sint16>((i * 11) % (SCREEN_HEIGHT - SPRITE_SIDE)), SPRITE_SIDE, SPRITE_SIDE};
    SDL_BlitSurface(src, nullptr, ZEL_GrafboxSDL::getScreen(), &dst);
    ++i;
  }
  state.SetItemsProcessed(state.iterations());
}

BENCHMARK(BM_SetPixel)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_RawStore)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_GetPixel)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_RawLoad)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_PutSprite)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_SdlBlitSurface)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
  box = new ZEL_GrafboxSDL(SCREEN_WIDTH, SCREEN_HEIGHT, 32, false);
  box->init_graf();
  if (ZEL_GrafboxSDL::getProfondeur() != 32) box->setVideoMode(SCREEN_WIDTH, SCREEN_HEIGHT, 32, false);
  benchmark::Initialize(&argc, argv);
  MedianReporter reporter("items_per_second");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  printf("\nRatios of median throughputs (above 1: ours is faster):\n");
  reporter.compare("keyed 32 x 32 sprite (put_sprite)", "BM_PutSprite", "SDL_BlitSurface",
                   "BM_SdlBlitSurface", "/s");
  reporter.compare("setPixel", "BM_SetPixel", "a direct store", "BM_RawStore", "px/s");
  delete box;
  return 0;
}
