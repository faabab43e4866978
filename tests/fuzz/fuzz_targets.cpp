#include "fuzz_targets.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <set>

#include "command.h"
#include "dummy_screen.h"
#include "engine_files.h"
#include "fsound.h"
#include "input_stream.h"
#include "level_builder.h"
#include "loaded_files.h"
#include "rgba_image.h"
#include "tmx_map.h"
#include "tool_error.h"
#include "zel_anim_data.h"
#include "zel_fatal.h"
#include "zel_list_anim_data.h"
#include "zel_surface.h"
#include "zel_tile_map.h"
#include "zel_utils.h"

namespace {

const int MIXER_RATE = 22050;
const int MIXER_CHANNELS = 8;
// Samples the mixer keeps before it is restarted to free them.
const int SAMPLES_BEFORE_RESTART = 16;
const size_t LZW_HEADER_BYTES = 3;  // code size, width, height
const int LZW_MAX_SIDE = 64;

// The screen, the sound layer and the working folder ZEL_FUZZ_DIR names, filled with the files the readers
// find beside their input; made once per process, kept to its end.
struct Bench {
  DummyScreen screen;

  Bench() {
    const char* dir = getenv("ZEL_FUZZ_DIR");
    if (dir == nullptr || chdir(dir) != 0) {
      fprintf(stderr, "fuzz targets: ZEL_FUZZ_DIR must name a working folder\n");
      abort();
    }
    const SprRgb red = {200, 0, 0};
    writeFile("a.spr", sprBytes(1, 1, 2, 2, {red, red, red, red}, {0, 0, 1, 1}));
    const std::vector<uint8_t> blackWhite = {0, 0, 0, 255, 255, 255};
    writeFile("b.gif", GifBuilder(1, 1, blackWhite).image(1, 1, 2, lzwRootCodes({1}, 2)).finish());
    std::vector<uint8_t> tiles = plainTle(2, 2, {9, 9, 9}, 1);
    appendBytes(tiles, plainTle(2, 2, {0, 0, 0}, 0));
    writeFile("small.tle", tiles);
    for (const char* name : {"level.tsx", "level.png"}) {
      std::filesystem::copy_file(std::string(ZEL_SOURCE_DIR "/data/") + name, name,
                                 std::filesystem::copy_options::overwrite_existing);
    }
    FSOUND_Init(MIXER_RATE, MIXER_CHANNELS, 0);
  }
};

Bench& bench() {
  static Bench* b = new Bench();  // never deleted: SDL stays up to the end
  return *b;
}

// The input as a file of the given name in the working folder.
std::string asFile(const char* name, const uint8_t* data, size_t size) {
  bench();
  writeFile(name, std::vector<uint8_t>(data, data + size));
  return name;
}

#ifdef ZEL_FUZZING
// The streams open now (fopen and fclose are wrapped at link time): a refused load may leave some open, which
// the end of the process would have closed.
std::set<FILE*>& openStreams() {
  static std::set<FILE*>* streams = new std::set<FILE*>();
  return *streams;
}
#endif

}  // namespace

#ifdef ZEL_FUZZING
extern "C" FILE* __real_fopen(const char* path, const char* mode);
extern "C" int __real_fclose(FILE* f);

extern "C" FILE* __wrap_fopen(const char* path, const char* mode) {
  FILE* f = __real_fopen(path, mode);
  if (f != nullptr) openStreams().insert(f);
  return f;
}

extern "C" int __wrap_fclose(FILE* f) {
  openStreams().erase(f);
  return __real_fclose(f);
}
#endif

namespace {

// Runs a load; the engine's refusal ends it in fuzzing builds (true), the process elsewhere.
template <class Load>
bool refused(Load load) {
#ifdef ZEL_FUZZING
  const std::set<FILE*> before = openStreams();
  try {
    load();
  } catch (const ZEL_FatalStop&) {
    for (FILE* f : std::set<FILE*>(openStreams())) {
      if (before.count(f) == 0) fclose(f);
    }
    return true;
  }
#else
  load();
#endif
  return false;
}

// Forgets the surfaces made so far; with lost ones, deletes them first.
void forgetSurfaces(bool lost) {
  ZEL_Vector<ZEL_SurfaceSDL>& all = ZEL_GrafboxSDL::getAllSurfaces();
  for (int i = 0; lost && i < all.getSize(); ++i) delete all.elementAt(i);
  all.empty();
}

void loadAnimation(const uint8_t* data, size_t size, const char* name,
                   void (ZEL_AnimData::*read)(const char*)) {
  const std::string path = asFile(name, data, size);
  ZEL_AnimData a(&bench().screen.box, &bench().screen.timer);
  refused([&] { (a.*read)(path.c_str()); });
  releaseAnimation(&a);
}

void fuzzSpr(const uint8_t* data, size_t size) {
  loadAnimation(data, size, "fuzz.spr", &ZEL_AnimData::ReadSpr);
}

void fuzzGif(const uint8_t* data, size_t size) {
  loadAnimation(data, size, "fuzz.gif", &ZEL_AnimData::ReadGif);
}

// The first bytes choose the code size and the image's sides; the rest is the data.
void fuzzLzw(const uint8_t* data, size_t size) {
  if (size < LZW_HEADER_BYTES) return;
  const short codeSize = data[0] % 10;
  const int width = 1 + data[1] % LZW_MAX_SIDE;
  const int height = 1 + data[2] % LZW_MAX_SIDE;
  std::vector<char> in(data + LZW_HEADER_BYTES, data + size);
  std::vector<char> out(static_cast<size_t>(width) * height);
  LZWDecoder(in.data(), out.data(), codeSize, width, width, height, data[0] & 0x40,
             static_cast<int>(in.size()));
}

void fuzzTle(const uint8_t* data, size_t size) {
  const std::string path = asFile("fuzz.tle", data, size);
  std::unique_ptr<ZEL_TileMap> map;
  // A refused tile set's tiles are lost, their surfaces too.
  const bool lost = refused([&] { map.reset(new ZEL_TileMap(path.c_str(), &bench().screen.box)); });
  map.reset();
  forgetSurfaces(lost);
}

void fuzzMap(const uint8_t* data, size_t size) {
  const std::string path = asFile("fuzz.map", data, size);
  {
    ZEL_TileMap map("small.tle", &bench().screen.box);
    refused([&] { map.ReadMap(path.c_str()); });
  }
  forgetSurfaces(false);
}

void releaseAll(ZEL_AnimData** anims, int count) {
  for (int i = 0; i < count; ++i) {
    if (anims[i] != nullptr) releaseAnimation(anims[i]);
    delete anims[i];
  }
  delete[] anims;
}

// Read into a list first made from one good animation, so that what a refused list holds can still be given
// back.
void fuzzDat(const uint8_t* data, size_t size) {
  const std::string path = asFile("fuzz.dat", data, size);
  asFile("one.dat", reinterpret_cast<const uint8_t*>("a.spr"), sizeof "a.spr" - 1);
  ZEL_ListAnimData list("one.dat", &bench().screen.box, &bench().screen.timer);
  releaseAll(list.anims, list.nbAnims);
  list.anims = nullptr;
  list.nbAnims = 0;
  refused([&] { list.ReadDat(path.c_str()); });
  releaseAll(list.anims, list.nbAnims);
}

void fuzzWav(const uint8_t* data, size_t size) {
  static int kept = 0;
  const std::string path = asFile("fuzz.wav", data, size);
  if (FSOUND_Sample_Load(FSOUND_FREE, path.c_str(), 0, 0) != nullptr && ++kept == SAMPLES_BEFORE_RESTART) {
    FSOUND_Close();
    FSOUND_Init(MIXER_RATE, MIXER_CHANNELS, 0);
    kept = 0;
  }
}

void fuzzTmx(const uint8_t* data, size_t size) {
  const std::string path = asFile("fuzz.tmx", data, size);
  try {
    const TmxMap map = readTmx(path);
    const EngineLevel level = buildLevel(map, map.hasBackground ? map.background : nullptr, path);
    writeLevel(level, "out.tle", "out.map", &bench().screen.box);
  } catch (const ToolError&) {
  }
  forgetSurfaces(false);
}

void fuzzPng(const uint8_t* data, size_t size) {
  try {
    readPng(asFile("fuzz.png", data, size));
  } catch (const ToolError&) {
  }
}

// The first byte chooses the kind of file info reads the rest as.
void fuzzInfo(const uint8_t* data, size_t size) {
  static const char* const NAMES[] = {"info.tle", "info.map", "info.spr", "info.gif", "info.dat", "info.wav"};
  if (size == 0) return;
  const std::string path = asFile(NAMES[data[0] % (sizeof NAMES / sizeof *NAMES)], data + 1, size - 1);
  try {
    runInfo({"--tle", "small.tle", path});
  } catch (const ToolError&) {
  }
}

// A game's input stream, parsed, then read through to its end.
void fuzzStream(const uint8_t* data, size_t size) {
  InputStream stream({});
  std::string error;
  if (!InputStream::parse(std::vector<uint8_t>(data, data + size), "fuzz.stream", &stream, &error)) return;
  InputStream::Reader reader(stream);
  uint8_t inputs[InputStream::MAX_PLAYERS];
  InputStream::Check check;
  for (uint32_t steps = 0; reader.next(inputs); ++steps) {
    if (reader.checkHere(&check) && check.step != steps + 1) abort();
  }
}

}  // namespace

const std::vector<FuzzTarget>& fuzzTargets() {
  static const std::vector<FuzzTarget> targets = {
      {"tle", fuzzTle}, {"map", fuzzMap}, {"spr", fuzzSpr}, {"gif", fuzzGif}, {"lzw", fuzzLzw},
      {"dat", fuzzDat}, {"wav", fuzzWav}, {"tmx", fuzzTmx}, {"png", fuzzPng}, {"info", fuzzInfo},
      {"stream", fuzzStream},
  };
  return targets;
}

const FuzzTarget* findFuzzTarget(const std::string& name) {
  for (const FuzzTarget& t : fuzzTargets()) {
    if (name == t.name) return &t;
  }
  return nullptr;
}
