// Animation files good, bad and damaged; the GIF decoder against giflib; sprites and fonts.
#include "zel_anim_data.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <array>
#include <functional>
#include <memory>
#include <random>

#include "child_process.h"
#include "dummy_screen.h"
#include "engine_files.h"
#include "gif_peer.h"
#include "zel_font.h"
#include "zel_list_anim_data.h"
#include "zel_sprite_anim.h"
#include "zel_surface.h"
#include "zel_utils.h"

namespace {

const int FATAL = 255;  // exit(-1)
using Rgb = std::array<uint8_t, 3>;
const Rgb KEY = {0, 0, 0};
const Rgb NEAR_BLACK = {0, 0, 1};

Rgb pixel(ZEL_Grafbox& screen, ZEL_Surface* frame, int x, int y) {  // of the screen if no frame
  Rgb c;
  frame != nullptr ? frame->getPixel(x, y, &c[0], &c[1], &c[2]) : screen.get_pix(x, y, &c[0], &c[1], &c[2]);
  return c;
}

// Decodes a heap copy of exactly the stream (ASan sees reads past it) into image.
int decode(const std::vector<uint8_t>& stream, int codeSize, int w, int h, std::vector<uint8_t>& image,
           bool interlaced = false) {
  std::vector<char> in(stream.begin(), stream.end());
  image.assign(static_cast<size_t>(w) * h, 0);
  return LZWDecoder(in.data(), reinterpret_cast<char*>(image.data()), static_cast<short>(codeSize), w, w, h,
                    interlaced, static_cast<int>(stream.size()));
}

// n indices below 2^bits in rows of w: diagonal bands (long strings), noisePercent random.
std::vector<uint8_t> pattern(int n, int w, int bits, int noisePercent, std::mt19937& random) {
  const uint32_t BAND = 7;
  const uint32_t PERCENT = 100;
  std::vector<uint8_t> v;
  for (int p = 0; p < n; ++p) {
    const uint32_t band = static_cast<uint32_t>(p % w + 2 * (p / w)) / BAND;
    const bool noisy = random() % PERCENT < static_cast<uint32_t>(noisePercent);
    v.push_back(static_cast<uint8_t>((noisy ? random() : band) % (1u << bits)));
  }
  return v;
}

// Rows as a GIF stores them: {first, step} of each pass.
const std::vector<std::pair<int, int>> PLAIN = {{0, 1}};
const std::vector<std::pair<int, int>> INTERLACED = {{0, 8}, {4, 8}, {2, 4}, {1, 2}};

// giflib's data for a w x h image (rows stored in pass order), checked through LZWDecoder, as is
// our uncompressed stream at code size `bits` (1 included; the table fills up).
void giflibImage(int w, int h, bool interlaced, int bits, const std::vector<uint8_t>& indices) {
  std::vector<uint8_t> stored;
  for (const std::pair<int, int>& pass : interlaced ? INTERLACED : PLAIN) {
    for (int y = pass.first; y < h; y += pass.second)
      stored.insert(stored.end(), &indices[y * w], &indices[y * w + w]);
  }
  const GifData data = giflibData(stored, w, bits);
  std::vector<uint8_t> image, ours;
  EXPECT_GT(decode(data.bytes, data.codeSize, w, h, image, interlaced), 0);
  EXPECT_GT(decode(lzwRootCodes(stored, bits), bits, w, h, ours, interlaced), 0);
  EXPECT_TRUE(image == indices && ours == indices)
      << w << "x" << h << ", " << bits << " bits, " << interlaced;
}

// Random images per round and code size: full-size in round 0 (giflib clears its table many times
// over), else a quarter thin, some interlaced.
TEST(GifPeerTest, DecoderFollowsGiflib) {
  const int ROUNDS = 8;
  const int MAX_BITS = 8;
  const int MAX_SIDE = 300;
  const int THIN_SIDE = 17;  // every interlaced pass left empty or not
  const int MAX_NOISE_PERCENT = 60;
  std::mt19937 random(4242);
  auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
  for (int round = 0; round < ROUNDS; ++round) {
    for (int bits = 1; bits <= MAX_BITS; ++bits) {
      const int w = round == 0 ? MAX_SIDE : pick(0, 3) == 0 ? 1 : pick(1, MAX_SIDE);
      const int h = round == 0 ? MAX_SIDE : pick(0, 3) == 0 ? pick(1, THIN_SIDE) : pick(1, MAX_SIDE);
      giflibImage(w, h, pick(0, 1) == 1, bits, pattern(w * h, w, bits, pick(0, MAX_NOISE_PERCENT), random));
    }
  }
  // One colour: strings of up to about 4090 bytes before giflib clears.
  const int LONG_SIDE = 2900;
  giflibImage(LONG_SIDE, LONG_SIDE, false, 2, std::vector<uint8_t>(LONG_SIDE * LONG_SIDE, 3));
}

TEST(LZWDecoderTest, CodesWrittenByHand) {
  struct Case {
    int codeSize;
    int width;                               // of a one-row image
    std::vector<std::pair<int, int>> codes;  // code, width in bits
    int result;                              // bits read; 0: refused
    std::vector<uint8_t> image;              // when not refused
  };
  const Case cases[] = {
      // Code size 2: colours 0..3, clear 4, end 5, first free code 6, 3 bits.
      {2, 3, {{4, 3}, {1, 3}, {6, 3}, {5, 3}}, 9, {1, 1, 1}},  // the code being defined; full before the end
      {2, 4, {{4, 3}, {1, 3}, {7, 3}, {5, 3}}, 0, {}},         // above the next free code
      {2, 3, {{4, 3}, {6, 3}, {5, 3}}, 0, {}},                 // being defined right after a clear
      {2, 3, {{6, 3}, {5, 3}}, 0, {}},                         // ... with no clear first
      // Code size 1: clear 2, end 3; the first free code, 4, needs 3 bits.
      {1, 6, {{2, 2}, {1, 2}, {0, 3}, {4, 3}, {5, 3}}, 13, {1, 0, 1, 0, 0, 1}},
      // Code size 4: clear 16, end 17, 5 bits. An end, data ending inside a code, a full image.
      {4, 4, {{16, 5}, {3, 5}, {7, 5}, {17, 5}, {9, 5}}, 20, {3, 7, 0, 0}},
      {4, 4, {{16, 5}, {3, 5}, {7, 5}, {1, 1}}, 15, {3, 7, 0, 0}},
      {4, 2, {{16, 5}, {3, 5}, {7, 5}, {31, 5}}, 15, {3, 7}},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> image;
    EXPECT_EQ(decode(lzwCodes(c.codes), c.codeSize, c.width, 1, image), c.result) << c.codes.size();
    EXPECT_TRUE(c.result == 0 || image == c.image) << c.codes.size();
  }
}

// Three 2 x 2 frames of colours (10f + i + 1, 0, 0), but for a black pixel
// (frame 1 at 0, 0) and a near-black one (frame 2 at 1, 1).
std::vector<uint8_t> threeFrames() {
  std::vector<SprRgb> p;
  for (int i = 0; i < 12; ++i) {
    p.push_back({static_cast<uint8_t>(i == 4 || i == 11 ? 0 : 10 * (i / 4) + i % 4 + 1), 0, i == 11});
  }
  return sprBytes(3, 7, 2, 2, p, {-3, 4, 70000, -1, 1, 0, 1, 1, 0, 0, 1, 1});
}
const std::vector<uint8_t> SPR = threeFrames();

std::vector<uint8_t> rootCodes(const std::vector<uint8_t>& indices) { return lzwRootCodes(indices, 2); }

// Entry 0 (white) transparent in frames 0 and 3; frame 1 with a table of two; frame 2 interlaced.
// Frame 0's data spans sub-blocks; the others are giflib's (code size 2).
std::vector<uint8_t> featureGif() {
  const int SIDE = 20;
  std::vector<uint8_t> middle(SIDE * SIDE, 0);
  middle[SIDE + 1] = 1;
  middle[SIDE + 2] = 2;
  middle[2 * SIDE + 3] = 3;
  return GifBuilder(8, 8, {255, 255, 255, 0, 0, 0, 9, 8, 7, 255, 255, 255})
      .raw({0x21, 0xFE, 2, 'h', 'i', 0})  // a comment: skipped
      .control(10, 0)
      .image(SIDE, SIDE, 2, rootCodes(middle))
      .control(25, 3)
      .image(3, 1, 2, giflibData({1, 2, 3}, 3, 2).bytes, {10, 20, 30, 40, 50, 60})
      .image(2, 3, 2, giflibData({2, 2, 1, 1, 3, 3}, 2, 2).bytes, {}, true)
      .control(10, 0)
      .image(2, 2, 2, giflibData({0, 0, 0, 0}, 2, 2).bytes)
      .finish();
}

// Read through a list, names in order whatever the spacing.
TEST(AnimDataTest, GifFramesColoursDelaysAndBoxes) {
  DummyScreen s;
  TempDir dir;
  writeFile(dir.file("a.spr"), SPR);
  writeFile(dir.file("b.gif"), featureGif());
  writeFile(dir.file("l.dat"),
            bytesOf("\t\n " + dir.file("b.gif") + "\t\t" + dir.file("a.spr") + "\r\n" + dir.file("b.gif")));
  ZEL_ListAnimData list(dir.file("l.dat").c_str(), &s.box, &s.timer);
  ASSERT_EQ(list.nbAnims, 3);
  ZEL_AnimData& a = *list.anims[0];
  EXPECT_EQ(a.getNbFrames() + 10 * list.anims[1]->getNbFrames() + 100 * list.anims[2]->getNbFrames(), 434u);
  ASSERT_EQ(a.getDelays()->getSize(), 4);
  // Index 0 keyed out, black and the transparent entry's colour near-black; beyond the table black,
  // or keyed out as the transparent index; rows stored 0, 2, 1.
  const std::vector<std::pair<std::array<int, 3>, Rgb>> pixels = {
      {{0, 0, 0}, KEY},        {{0, 1, 1}, NEAR_BLACK},      {{0, 2, 1}, {9, 8, 7}},
      {{0, 3, 2}, NEAR_BLACK}, {{1, 0, 0}, {40, 50, 60}},    {{1, 1, 0}, NEAR_BLACK},
      {{1, 2, 0}, KEY},        {{2, 1, 1}, {255, 255, 255}}, {{2, 1, 2}, NEAR_BLACK}};
  for (const auto& p : pixels) {
    const std::array<int, 3>& at = p.first;
    EXPECT_EQ(pixel(s.box, a.getFrames()->elementAt(at[0]), at[1], at[2]), p.second) << at[0] << at[1];
  }
  // Per frame: the delay in steps, then the box of its visible pixels (all of it when none is).
  std::vector<std::vector<int>> got;
  for (int f = 0; f < 4; ++f) {
    const ZEL_Rect* r = a.getBoundBoxes()->elementAt(f);
    got.push_back({static_cast<int>(*a.getDelays()->elementAt(f)), r->x1, r->y1, r->x2, r->y2});
  }
  EXPECT_EQ(got, (std::vector<std::vector<int>>{
                     {1, 1, 1, 3, 2}, {2, 0, 0, 1, 0}, {0, 0, 0, 1, 2}, {1, 0, 0, 1, 1}}));
}

using Then = std::function<void(ZEL_AnimData&, ZEL_Grafbox&)>;

#if defined(__SANITIZE_ADDRESS__)
const bool CAN_CAP_MEMORY = false;  // its shadow memory is reserved up front
#else
const bool CAN_CAP_MEMORY = true;
#endif

// Caps the data segment at what the process holds now plus headroom bytes.
void capDataAbove(int64_t headroom) {
  FILE* status = fopen("/proc/self/status", "r");
  char line[128];
  long heldKib = -1;
  while (status != nullptr && fgets(line, sizeof line, status) != nullptr && heldKib < 0) {
    sscanf(line, "VmData: %ld kB", &heldKib);
  }
  if (status != nullptr) fclose(status);
  const rlimit cap = {static_cast<rlim_t>(heldKib * 1024 + headroom),
                      static_cast<rlim_t>(heldKib * 1024 + headroom)};
  CHILD_CHECK(heldKib > 0 && setrlimit(RLIMIT_DATA, &cap) == 0);
}

// Loads as the game does: a .dat as a list, else an animation, then `then`. A .spr, or a file given a
// headroom, loads with its data capped that much (16 MiB for a .spr) above what the process holds: well
// below a 4096 x 4096 frame, so allocating for frames the file cannot hold fails.
void load(const std::string& path, const Then& then = nullptr, int64_t headroom = 0) {
  DummyScreen s;
  if (path.find(".dat") != std::string::npos) {
    new ZEL_ListAnimData(path.c_str(), &s.box, &s.timer);  // lists live as long as the process
    return;
  }
  if (CAN_CAP_MEMORY && (headroom > 0 || path.find(".spr") != std::string::npos))
    capDataAbove(headroom > 0 ? headroom : 16 << 20);
  ZEL_AnimData a(path.c_str(), &s.box, &s.timer);
  if (then) then(a, s.box);
}

TEST(AnimDataTest, BadFilesEndWithTheirMessages) {
  struct Case {
    std::string name;            // under the test's directory
    std::vector<uint8_t> bytes;  // none: no file
    std::string out, err;
    int status;
    Then then = nullptr;
  };
  TempDir dir;
  auto at = [&](const std::string& name) { return dir.file(name); };
  auto gif = [](int w, int codeSize, std::vector<uint8_t> data) {
    return GifBuilder(1, 1, {}).image(uint16_t(w), 1, codeSize, data).finish();
  };
  auto writeTo = [](std::string to) { return [to](ZEL_AnimData& a, ZEL_Grafbox&) { a.WriteSpr(&to[0]); }; };
  const std::string frame1 = "erreur de lecture de la frame 1";
  const std::string corrupt = "fichier " + at("bad.gif") + " corrompu!\n";
  const std::string structure = "pas assez de memoire pour allouer la structure DAT ";
  GifBuilder three(1, 1, {});
  for (int i = 0; i < 3; ++i) three.image(4096, 4096, 2, rootCodes({}));  // all pixels left at 0
  // Written back byte for byte, boxes cut after a value reading 0.
  const std::vector<uint8_t> cut(SPR.begin(), SPR.end() - 28);
  std::vector<uint8_t> padded = cut;
  padded.resize(SPR.size(), 0);
  // 55 characters fit a list's name buffer, 56 do not.
  const std::string fits = at(std::string(55 - at("").size() - 4, 'a') + ".spr");
  writeFile(fits, SPR);
  const std::vector<Case> cases = {
      {"in.spr", cut, "", "", 0,
       [&](ZEL_AnimData& a, ZEL_Grafbox&) {
         a.WriteSpr(at("out.spr").c_str());
         CHILD_CHECK(readFile(at("out.spr")) == padded && *a.getDelays()->elementAt(2) == 7);
       }},
      {"cut.spr", {SPR.begin(), SPR.begin() + 29}, "", "erreur de lecture de la frame 2", FATAL},
      {"none.spr", sprBytes(0, 0, 2, 2, {}, {}), "", frame1, FATAL},
      {"flat.spr", sprBytes(1, 0, 2, 0, {}, {}), "", frame1, FATAL},
      {"wide.spr", sprBytes(1, 0, 4097, 1, std::vector<SprRgb>(4097), {}), "", frame1, FATAL},
      {"widest.spr", sprBytes(1, 0, 4096, 1, std::vector<SprRgb>(4096), {}), "", "", 0},
      {"huge.spr", sprBytes(65535, 0, 4096, 4096, std::vector<SprRgb>(4), {}), "", frame1, FATAL},
      {"bad.gif", gif(1, 8, {0xFF, 0xFF}), corrupt, "", FATAL},  // code 511
      {"bad.gif", gif(1, 0, {0, 1}), corrupt, "", FATAL},
      {"bad.gif", gif(1, 9, {0, 2}), corrupt, "", FATAL},
      {"bad.gif", gif(0, 8, {0, 1}), corrupt, "", FATAL},
      {"bad.gif", gif(4097, 8, {0, 1}), corrupt, "", FATAL},
      {"bad.gif", three.finish(), corrupt, "", FATAL},  // at most twice the largest frame's pixels in all
      {"zero.gif", GifBuilder(1, 1, {}).control(0).image(1, 1, 2, rootCodes({1})).finish(),
       "Attention le timer a un taux de FPS trop faible pour respecter le timing de l'anim " +
           at("zero.gif") + "\n",
       "", 0},
      {"w.spr", SPR, "erreur d'ecriture dans le fichier /dev/full\n", "", FATAL, writeTo("/dev/full")},
      {"w.spr", SPR, "erreur d'ecriture dans le fichier /no/w.spr\n", "", FATAL, writeTo("/no/w.spr")},
      {"w.spr", SPR, "la frame 2 n'a pas la taille de l'anim\n", "", FATAL,
       [](ZEL_AnimData&, ZEL_Grafbox& g) {
         ZEL_AnimData made(&g, nullptr);
         for (int h : {2, 3}) made.addFrame(g.getSurface(2, h), 0, ZEL_Rect());
       }},
      {"no.dat", {}, "erreur d'ouverture du fichier " + at("no.dat"), "", FATAL},
      {"blank.dat", bytesOf(" \n\t \r\n"), structure, "", FATAL},
      {"fits.dat", bytesOf(fits), "", "", 0},
      {"long.dat", bytesOf(fits + "a"), structure, "", FATAL},
  };
  for (const Case& c : cases) {
    if (!c.bytes.empty()) writeFile(at(c.name), c.bytes);
    const ChildResult r = runInChild([&] { load(at(c.name), c.then); });
    EXPECT_TRUE(r.exited && r.exitCode == c.status && r.out == c.out && r.err == c.err) << describe(r);
    unlink(at(c.name).c_str());
  }
}

// Files of 64 MiB and a few bytes (sparse: only their first bytes written) loaded with 16 MiB to spare: what the loader
// allocates for the file fails, and ends the process with the loader's message.
TEST(AnimDataTest, AllocationFailuresEndWithTheirMessages) {
  if (!CAN_CAP_MEMORY) GTEST_SKIP() << "the memory cap cannot hold beside a sanitizer's shadow memory";
  const off_t FILE_BYTES = (64 << 20) + 8;  // a .spr header and a 4096 x 4096 frame
  const int64_t HEADROOM = 16 << 20;
  struct Case {
    std::string name;
    std::vector<uint8_t> start;
    std::string out, err;
  };
  const std::vector<Case> cases = {
      {"big.spr", sprBytes(1, 0, 4096, 4096, {}, {}), "",
       "pas assez de memoire pour allouer memoire temp pour frame 1"},  // its pixel buffer
      {"big.gif", GifBuilder(1, 1, {}).image(1, 1, 2, rootCodes({1})).finish(),
       "impossible d'allouer cette surface\n", ""},  // the file's bytes
  };
  TempDir dir;
  for (const Case& c : cases) {
    const std::string path = dir.file(c.name);
    writeFile(path, c.start);
    ASSERT_EQ(truncate(path.c_str(), FILE_BYTES), 0);
    const ChildResult r = runInChild([&] { load(path, nullptr, HEADROOM); });
    EXPECT_TRUE(r.exited && r.exitCode == FATAL && r.out == c.out && r.err == c.err) << describe(r);
  }
}

TEST(SpriteAnimTest, FirstPassIsOneDrawShorterAndPositionsAre16Bit) {
  DummyScreen s;
  TempDir dir;
  s.timer.setRate(1000);  // GIF delays in hundredths become that many steps
  // Frame f - 1, 2 x 1, is grey f (no table) from column 1 - f % 2.
  auto play = [&](const std::vector<uint16_t>& delays) {
    GifBuilder gif(2, 1, {});
    for (uint8_t f = 1; f <= delays.size(); ++f)
      gif.control(delays[f - 1], 0).image(2, 1, 2, rootCodes({uint8_t(f % 2 * f), f}));
    writeFile(dir.file("d.gif"), gif.finish());
    return std::unique_ptr<ZEL_AnimData>(new ZEL_AnimData(dir.file("d.gif").c_str(), &s.box, &s.timer));
  };
  const std::vector<std::pair<std::vector<uint16_t>, std::vector<unsigned>>> cases = {
      {{2, 2, 2}, {0, 0, 1, 1, 1, 2, 2, 2, 0, 0, 0, 1}},
      {{0, 3, 0}, {1, 1, 1, 1, 2, 0, 1, 1, 1, 1, 2, 0}},
      {{0, 0}, {1, 0, 1}}};

  for (const auto& c : cases) {
    const std::unique_ptr<ZEL_AnimData> data = play(c.first);
    ZEL_SpriteAnim anim(1, data.get());
    std::vector<unsigned> shown;
    for (size_t i = 0; i < c.second.size(); ++i) {
      anim.draw(0, 0, &s.box);
      shown.push_back(anim.getCurrentFrame());
      EXPECT_EQ(anim.endOfCurrentAnim(), shown.back() + 1 == c.first.size());
      EXPECT_EQ(anim.getCurrentBoundBox(), data->getBoundBoxes()->elementAt(static_cast<int>(shown.back())));
    }
    EXPECT_EQ(shown, c.second);
  }
  const std::unique_ptr<ZEL_AnimData> data = play({0, 0});
  ZEL_SpriteAnim anim(1, data.get());
  s.box.fill_virtual(9, 9, 9);
  anim.draw(65536 + 10, 20, &s.box);  // x = 10: frame 1, its first pixel transparent
  anim.draw(0xFFFF, 30, &s.box);      // x = -1: frame 0's second column lands at 0
  const std::vector<Rgb> got = {pixel(s.box, nullptr, 10, 20), pixel(s.box, nullptr, 11, 20),
                                pixel(s.box, nullptr, 0, 30), pixel(s.box, nullptr, 1, 30)};
  EXPECT_EQ(got, (std::vector<Rgb>{{9, 9, 9}, {2, 2, 2}, {1, 1, 1}, {9, 9, 9}}));
}

TEST(FontTest, AdvanceWrapAndMissingGlyphs) {
  // 128 glyphs of 10 x 10; glyph c shows one pixel (c, MARK, 1) at its top-left corner.
  const int CELL = 10;
  const int COUNT = 128;
  const uint8_t MARK = 200;
  ZEL_GrafboxSDL box(DummyScreen::SIDE, DummyScreen::SIDE, DummyScreen::DEPTH, false);
  box.init_graf();  // the display's depth
  TempDir dir;
  std::vector<SprRgb> pixels(COUNT * CELL * CELL, SprRgb{0, 0, 0});
  for (int c = 0; c < COUNT; ++c) pixels[static_cast<size_t>(c) * CELL * CELL] = {uint8_t(c), MARK, 1};
  writeFile(dir.file("f.spr"), sprBytes(COUNT, 0, CELL, CELL, pixels, {}));
  testing::internal::CaptureStdout();
  ZEL_Font font(dir.file("f.spr").c_str(), &box);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "fichier " + dir.file("f.spr") + "n'est pas une police valide!\n");
  // 4 pixels on; 12 + 4 > 25 - 10: wraps 7 lower. Glyphs past the font are skipped, the pen kept.
  box.fill_virtual(5, 5, 5);
  char text[] = "ABCD\351\377EF";
  box.put_text(0, 10, text, &font, 0, 0, 25, 0);
  auto glyphAt = [&](int x, int y) {
    return pixel(box, nullptr, x, y)[1] == MARK ? pixel(box, nullptr, x, y)[0] : -1;
  };
  const std::vector<int> got = {glyphAt(0, 10),  glyphAt(4, 10), glyphAt(12, 10),
                                glyphAt(16, 10), glyphAt(0, 17), glyphAt(4, 17)};
  EXPECT_EQ(got, (std::vector<int>{'A', 'B', 'D', -1, 'E', 'F'}));
  EXPECT_EQ(pixel(box, nullptr, 2, 12), (Rgb{5, 5, 5}));  // black keyed out
}

}  // namespace
