// Animation loading against reference code, in one run on the same files:
// - LZWDecoder against giflib's DGifSlurp, in megapixels per second, on a
//   large image (smooth pattern plus noise) and on an animation of many
//   small sprites. LZWDecoder gets each image's data already joined, as
//   ReadGif hands it over; DGifSlurp reads the whole file from memory.
// - ReadSpr of a large .spr against reading the file's bytes with fread,
//   and the surfaces alone that the load must create for its frames (each
//   one SDL_CreateRGBSurface then SDL_DisplayFormat): the bound on ReadSpr.
// The ratios of the medians are printed at the end.
#include <benchmark/benchmark.h>
#include <gif_lib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench_report.h"
#include "gif_peer.h"
#include "loaded_files.h"
#include "zel_anim_data.h"
#include "zel_grafbox_sdl.h"
#include "zel_surface.h"
#include "zel_utils.h"

namespace {

const int LARGE_SIDE = 2048;
const int LARGE_COLOURS = 256;
const int LARGE_NOISE_PERCENT = 10;
const int SPRITE_SIDE = 32;
const int SPRITE_FRAMES = 500;
const int SPRITE_COLOURS = 32;
const int SPRITE_NOISE_PERCENT = 5;
const int SPR_FRAMES = 32;
const int SPR_SIDE = 256;
const int SPR_PIXEL_BYTES = 4;
const int SCREEN_SIDE = 64;
const int TRUE_COLOUR = 32;
const int REPETITIONS = 7;
const double MEGA = 1e6;

ZEL_GrafboxSDL* box = nullptr;

// One image's size and its LZW data as giflib encodes it.
struct GifStream {
  int width = 0;
  int height = 0;
  int codeSize = 0;
  std::vector<uint8_t> data;
};

// One GIF file, its images' joined LZW data, and its pixel count.
struct GifCase {
  std::vector<uint8_t> file;
  std::vector<GifStream> streams;
  int64_t pixels = 0;
};

GifCase largeImage;
GifCase manySprites;
std::string sprPath;
int64_t sprPixels = 0;

// width * height indices below colours: a smooth diagonal pattern with
// noisePercent of its pixels replaced by random ones (fixed by seed).
std::vector<uint8_t> patternIndices(int width, int height, int colours, int noisePercent, uint32_t seed) {
  const int PERCENT = 100;
  const int BAND_PIXELS = 7;
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> percent(0, PERCENT - 1);
  std::uniform_int_distribution<int> colour(0, colours - 1);
  std::vector<uint8_t> indices(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      int v = ((x + 2 * y) / BAND_PIXELS) % colours;
      if (percent(random) < noisePercent) v = colour(random);
      indices[static_cast<size_t>(y) * width + x] = static_cast<uint8_t>(v);
    }
  }
  return indices;
}

void putLe16(std::vector<uint8_t>& out, int v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

// A GIF of the streams (all at the top-left corner) after a grey global
// table of 2^colourBits entries; frames get a graphic control extension
// with that delay and transparent index 0 when delay is not negative.
std::vector<uint8_t> gifFile(const std::vector<GifStream>& streams, int colourBits, int delay) {
  const size_t MAX_SUB_BLOCK = 255;
  std::vector<uint8_t> out = {'G', 'I', 'F', '8', '9', 'a'};
  putLe16(out, streams[0].width);
  putLe16(out, streams[0].height);
  out.push_back(static_cast<uint8_t>(0x80 | (colourBits - 1)));  // global table
  out.push_back(0);
  out.push_back(0);
  for (int i = 0; i < (1 << colourBits); ++i) out.insert(out.end(), 3, static_cast<uint8_t>(i));
  for (const GifStream& s : streams) {
    if (delay >= 0) {
      out.insert(out.end(), {0x21, 0xF9, 4, 1});
      putLe16(out, delay);
      out.insert(out.end(), {0, 0});
    }
    out.push_back(0x2C);
    putLe16(out, 0);
    putLe16(out, 0);
    putLe16(out, s.width);
    putLe16(out, s.height);
    out.push_back(0);
    out.push_back(static_cast<uint8_t>(s.codeSize));
    for (size_t at = 0; at < s.data.size(); at += MAX_SUB_BLOCK) {
      const size_t n = std::min(MAX_SUB_BLOCK, s.data.size() - at);
      out.push_back(static_cast<uint8_t>(n));
      out.insert(out.end(), s.data.begin() + static_cast<long>(at),
                 s.data.begin() + static_cast<long>(at + n));
    }
    out.push_back(0);
  }
  out.push_back(0x3B);
  return out;
}

GifStream encode(int width, int height, int colourBits, const std::vector<uint8_t>& indices) {
  const GifData d = giflibData(indices, width, colourBits);
  return GifStream{width, height, d.codeSize, d.bytes};
}

GifCase makeCase(const std::vector<GifStream>& streams, int colourBits, int delay) {
  GifCase c;
  c.streams = streams;
  c.file = gifFile(streams, colourBits, delay);
  for (const GifStream& s : c.streams) c.pixels += static_cast<int64_t>(s.width) * s.height;
  return c;
}

GifCase makeLargeImage() {
  const int BITS = 8;
  return makeCase({encode(LARGE_SIDE, LARGE_SIDE, BITS,
                          patternIndices(LARGE_SIDE, LARGE_SIDE, LARGE_COLOURS, LARGE_NOISE_PERCENT, 2))},
                  BITS, -1);
}

GifCase makeManySprites() {
  const int DELAY = 5;
  const int BITS = 5;
  std::vector<GifStream> streams;
  for (int i = 0; i < SPRITE_FRAMES; ++i) {
    streams.push_back(
        encode(SPRITE_SIDE, SPRITE_SIDE, BITS,
               patternIndices(SPRITE_SIDE, SPRITE_SIDE, SPRITE_COLOURS, SPRITE_NOISE_PERCENT, 100 + i)));
  }
  return makeCase(streams, BITS, DELAY);
}

// SPR_FRAMES frames of SPR_SIDE x SPR_SIDE with smooth colours and boxes.
std::string makeLargeSpr() {
  const int DELAY = 3;
  const int BOX_VALUES = 4;
  std::vector<uint8_t> out;
  putLe16(out, SPR_FRAMES);
  putLe16(out, DELAY);
  putLe16(out, SPR_SIDE);
  putLe16(out, SPR_SIDE);
  for (int i = 0; i < SPR_FRAMES; ++i)
    for (int y = 0; y < SPR_SIDE; ++y)
      for (int x = 0; x < SPR_SIDE; ++x) {
        out.push_back(static_cast<uint8_t>(x + i));
        out.push_back(static_cast<uint8_t>(y));
        out.push_back(static_cast<uint8_t>(x ^ y));
        out.push_back(0);
      }
  for (int i = 0; i < SPR_FRAMES * BOX_VALUES; ++i) {
    const uint8_t value[4] = {static_cast<uint8_t>(i % SPR_SIDE), 0, 0, 0};
    out.insert(out.end(), value, value + 4);
  }
  const std::string path = "/tmp/anim_decode_bench_" + std::to_string(getpid()) + ".spr";
  FILE* f = fopen(path.c_str(), "wb");
  if (f == nullptr || fwrite(out.data(), 1, out.size(), f) != out.size() || fclose(f) != 0) abort();
  sprPixels = static_cast<int64_t>(SPR_FRAMES) * SPR_SIDE * SPR_SIDE;
  return path;
}

void setPixelRate(benchmark::State& state, int64_t pixelsPerIteration) {
  state.counters["MP/s"] = benchmark::Counter(static_cast<double>(pixelsPerIteration) / MEGA,
                                              benchmark::Counter::kIsIterationInvariantRate);
}

// LZWDecoder on every image of the case, into one reused index buffer.
void decodeWithOurs(benchmark::State& state, const GifCase& c) {
  size_t largest = 0;
  for (const GifStream& s : c.streams) largest = std::max(largest, static_cast<size_t>(s.width) * s.height);
  std::vector<char> indices(largest);
  for (auto _ : state) {
    for (const GifStream& s : c.streams) {
      const int bits = LZWDecoder(reinterpret_cast<char*>(const_cast<uint8_t*>(s.data.data())),
                                  indices.data(), static_cast<short>(s.codeSize), s.width, s.width, s.height,
                                  0, static_cast<int>(s.data.size()));
      if (bits == 0) state.SkipWithError("LZWDecoder refused the data");
    }
    benchmark::DoNotOptimize(indices.data());
    benchmark::ClobberMemory();
  }
  setPixelRate(state, c.pixels);
}

struct MemoryReader {
  const std::vector<uint8_t>* bytes;
  size_t position;
};

int readFromMemory(GifFileType* gif, GifByteType* into, int n) {
  auto* in = static_cast<MemoryReader*>(gif->UserData);
  const size_t count = std::min(static_cast<size_t>(n), in->bytes->size() - in->position);
  memcpy(into, in->bytes->data() + in->position, count);
  in->position += count;
  return static_cast<int>(count);
}

void decodeWithGiflib(benchmark::State& state, const GifCase& c) {
  for (auto _ : state) {
    MemoryReader reader = {&c.file, 0};
    int error = 0;
    GifFileType* gif = DGifOpen(&reader, readFromMemory, &error);
    if (gif == nullptr || DGifSlurp(gif) != GIF_OK) state.SkipWithError("giflib refused the file");
    benchmark::DoNotOptimize(gif);
    if (gif != nullptr) DGifCloseFile(gif, &error);
  }
  setPixelRate(state, c.pixels);
}

void BM_LargeImage_LZWDecoder(benchmark::State& state) { decodeWithOurs(state, largeImage); }
void BM_LargeImage_DGifSlurp(benchmark::State& state) { decodeWithGiflib(state, largeImage); }
void BM_ManySprites_LZWDecoder(benchmark::State& state) { decodeWithOurs(state, manySprites); }
void BM_ManySprites_DGifSlurp(benchmark::State& state) { decodeWithGiflib(state, manySprites); }

// Frames, boxes and delays live as long as the process in the game; the
// surface record is forgotten too: a game loads each file once, and a
// record grown by thousands of loads would be measured instead.
void BM_LargeSpr_ReadSpr(benchmark::State& state) {
  for (auto _ : state) {
    ZEL_AnimData* anim = new ZEL_AnimData(sprPath.c_str(), box, nullptr);
    state.PauseTiming();
    releaseAnimation(anim);
    delete anim;
    state.ResumeTiming();
  }
  setPixelRate(state, sprPixels);
}

void BM_LargeSpr_SurfacesAlone(benchmark::State& state) {
  std::vector<ZEL_Surface*> frames(SPR_FRAMES);
  for (auto _ : state) {
    for (ZEL_Surface*& frame : frames) frame = box->getSurface(SPR_SIDE, SPR_SIDE);
    state.PauseTiming();
    for (ZEL_Surface* frame : frames) delete frame;
    ZEL_GrafboxSDL::getAllSurfaces().empty();
    state.ResumeTiming();
  }
  setPixelRate(state, sprPixels);
}

void BM_LargeSpr_Fread(benchmark::State& state) {
  std::vector<uint8_t> buffer(static_cast<size_t>(sprPixels) * SPR_PIXEL_BYTES + SCREEN_SIDE * 1024);
  for (auto _ : state) {
    FILE* f = fopen(sprPath.c_str(), "rb");
    if (f == nullptr) {
      state.SkipWithError("cannot open the .spr");
      break;
    }
    benchmark::DoNotOptimize(fread(buffer.data(), 1, buffer.size(), f));
    fclose(f);
    benchmark::ClobberMemory();
  }
  setPixelRate(state, sprPixels);
}

// Skips the first (warm-up) iteration batch by letting the library pick
// the iteration count, and keeps the median of several repetitions.
#define ANIM_BENCHMARK(fn) \
  BENCHMARK(fn)->Repetitions(REPETITIONS)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond)

ANIM_BENCHMARK(BM_LargeImage_LZWDecoder);
ANIM_BENCHMARK(BM_LargeImage_DGifSlurp);
ANIM_BENCHMARK(BM_ManySprites_LZWDecoder);
ANIM_BENCHMARK(BM_ManySprites_DGifSlurp);
ANIM_BENCHMARK(BM_LargeSpr_ReadSpr);
ANIM_BENCHMARK(BM_LargeSpr_SurfacesAlone);
ANIM_BENCHMARK(BM_LargeSpr_Fread);

}  // namespace

int main(int argc, char** argv) {
  // ReadSpr needs true-colour surfaces; the dummy driver's desktop is 8-bit.
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  box = new ZEL_GrafboxSDL(SCREEN_SIDE, SCREEN_SIDE, TRUE_COLOUR, false);
  box->setVideoMode(SCREEN_SIDE, SCREEN_SIDE, TRUE_COLOUR, false);
  largeImage = makeLargeImage();
  manySprites = makeManySprites();
  sprPath = makeLargeSpr();
  printf("large image %d x %d: %zu bytes; %d sprites of %d x %d: %zu bytes; .spr %d x %d x %d\n", LARGE_SIDE,
         LARGE_SIDE, largeImage.file.size(), SPRITE_FRAMES, SPRITE_SIDE, SPRITE_SIDE, manySprites.file.size(),
         SPR_FRAMES, SPR_SIDE, SPR_SIDE);

  benchmark::Initialize(&argc, argv);
  MedianReporter reporter("MP/s");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  printf("\nRatios of median throughputs (above 1: ours is faster):\n");
  reporter.compare("GIF decode, large image (LZWDecoder)", "BM_LargeImage_LZWDecoder", "giflib",
                   "BM_LargeImage_DGifSlurp", "MP/s");
  reporter.compare("GIF decode, 500 sprites (LZWDecoder)", "BM_ManySprites_LZWDecoder", "giflib",
                   "BM_ManySprites_DGifSlurp", "MP/s");
  reporter.compare(".spr load (ReadSpr)", "BM_LargeSpr_ReadSpr", "fread of its bytes", "BM_LargeSpr_Fread",
                   "MP/s");
  reporter.compare(".spr frames' surfaces alone", "BM_LargeSpr_SurfacesAlone", "fread of its bytes",
                   "BM_LargeSpr_Fread", "MP/s");
  benchmark::Shutdown();
  unlink(sprPath.c_str());
  delete box;
  return 0;
}
