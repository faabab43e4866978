#include "zel_utils.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "gif_peer.h"
#include "lzw_encoder.h"
#include "files.h"
#include "zel_anim_data.h"
#include "zel_grafbox_sdl.h"
#include "zel_surface.h"

namespace {

const uint8_t PADDING = 0xEE;  // marks bytes past width that must stay as they are
const int BITS_PER_BYTE = 8;

// The GIF standard's interlaced passes: first row and row step.
struct PassRows {
  int first;
  int step;
};
const PassRows INTERLACE_PASSES[] = {{0, 8}, {4, 8}, {2, 4}, {1, 2}};

struct Decoded {
  int result = 0;
  std::vector<uint8_t> out;  // bytesPerLine * height
};

// Decodes from a heap buffer of exactly the stream's length, so that the
// address sanitizer reports any read past it. The output starts at 0
// within the image and PADDING beyond its width.
Decoded decode(const std::vector<uint8_t>& stream, int codeSize, int width, int height, bool interlace,
               int extraBytesPerLine = 0) {
  const int bytesPerLine = width + extraBytesPerLine;
  std::unique_ptr<char[]> in(new char[stream.size()]);
  if (!stream.empty()) memcpy(in.get(), stream.data(), stream.size());
  Decoded d;
  d.out.assign(static_cast<size_t>(bytesPerLine) * height, 0);
  for (int y = 0; y < height; ++y) {
    for (int x = width; x < bytesPerLine; ++x) d.out[static_cast<size_t>(y) * bytesPerLine + x] = PADDING;
  }
  d.result = LZWDecoder(in.get(), reinterpret_cast<char*>(d.out.data()), static_cast<short>(codeSize),
                        bytesPerLine, width, height, interlace ? 1 : 0, static_cast<int>(stream.size()));
  return d;
}

// The image part of a decoded buffer, rows of width bytes; false if the
// padding was touched.
bool imageOf(const Decoded& d, int width, int height, std::vector<uint8_t>& image) {
  const int bytesPerLine = static_cast<int>(d.out.size()) / height;
  image.clear();
  bool paddingKept = true;
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = d.out.data() + static_cast<size_t>(y) * bytesPerLine;
    image.insert(image.end(), row, row + width);
    for (int x = width; x < bytesPerLine; ++x) paddingKept = paddingKept && row[x] == PADDING;
  }
  return paddingKept;
}

std::vector<uint8_t> noise(size_t n, int colours, uint32_t seed) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> colour(0, colours - 1);
  std::vector<uint8_t> v(n);
  for (uint8_t& b : v) b = static_cast<uint8_t>(colour(random));
  return v;
}

// A random animated GIF: 1..4 frames, global and/or local tables, some
// interlaced, some with a graphic control extension and a transparent
// index. colourBits fixes the table sizes (code size max(2, colourBits)).
GifLayout randomSpec(std::mt19937& random, int colourBits, int maxSide) {
  auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
  const int colours = 1 << colourBits;
  const int FRAMES_MAX = 4;
  const int NOISE_MAX_PERCENT = 60;
  const int DELAY_MAX = 500;
  GifLayout layout;
  const bool global = pick(0, 1) == 1;
  if (global) layout.globalTable = randomTable(colours, random());
  const int nbFrames = pick(1, FRAMES_MAX);
  for (int i = 0; i < nbFrames; ++i) {
    GifFrameSpec f;
    // A quarter of the frames are one pixel wide or high.
    f.width = pick(0, 3) == 0 ? 1 : pick(1, maxSide);
    f.height = pick(0, 3) == 0 ? pick(1, 3) : pick(1, maxSide);
    f.interlace = pick(0, 1) == 1;
    if (!global || pick(0, 1) == 1) f.localTable = randomTable(colours, random());
    f.indices = patternIndices(f.width, f.height, colours, pick(0, NOISE_MAX_PERCENT), random());
    switch (pick(0, 3)) {
      case 0:
        break;  // no graphic control extension
      case 1:
        f.delay = pick(0, DELAY_MAX);
        break;
      case 2:
        f.delay = pick(0, DELAY_MAX);
        f.transparentIndex = 0;
        break;
      default:
        f.delay = pick(0, DELAY_MAX);
        f.transparentIndex = pick(0, colours - 1);
        break;
    }
    layout.screenWidth = std::max(layout.screenWidth, f.width);
    layout.screenHeight = std::max(layout.screenHeight, f.height);
    layout.frames.push_back(f);
  }
  return layout;
}

// giflib encodes, giflib decodes, and LZWDecoder decodes the same data.
void expectDecoderMatchesGiflib(const GifLayout& layout, int extraBytesPerLine) {
  const std::vector<uint8_t> file = giflibEncode(layout);
  std::vector<GiflibImage> reference;
  std::string error;
  ASSERT_TRUE(giflibDecode(file, reference, error)) << error;
  const std::vector<GifImageStream> streams = gifImageStreams(file);
  ASSERT_EQ(streams.size(), layout.frames.size());
  ASSERT_EQ(reference.size(), layout.frames.size());
  for (size_t i = 0; i < streams.size(); ++i) {
    const GifImageStream& s = streams[i];
    SCOPED_TRACE("frame " + std::to_string(i) + " " + std::to_string(s.width) + "x" +
                 std::to_string(s.height) + " code size " + std::to_string(s.codeSize) +
                 (s.interlace ? " interlaced" : ""));
    // giflib itself gives back what it was given.
    ASSERT_EQ(reference[i].indices, layout.frames[i].indices);
    const Decoded d = decode(s.data, s.codeSize, s.width, s.height, s.interlace, extraBytesPerLine);
    EXPECT_GT(d.result, 0);
    EXPECT_LE(d.result, static_cast<int64_t>(s.data.size()) * BITS_PER_BYTE);
    std::vector<uint8_t> image;
    EXPECT_TRUE(imageOf(d, s.width, s.height, image)) << "wrote past the width";
    EXPECT_EQ(image, reference[i].indices);
  }
}

TEST(LZWDecoderPeerTest, MatchesGiflibOnRandomGifs) {
  std::mt19937 random(20240601);
  const int MAX_COLOUR_BITS = 8;
  const int ROUNDS = 10;
  const int MAX_SIDE = 160;
  for (int round = 0; round < ROUNDS; ++round) {
    for (int bits = 1; bits <= MAX_COLOUR_BITS; ++bits) {
      SCOPED_TRACE("round " + std::to_string(round) + ", colour bits " + std::to_string(bits));
      expectDecoderMatchesGiflib(randomSpec(random, bits, MAX_SIDE), round % 2 == 0 ? 0 : 3);
    }
  }
}

TEST(LZWDecoderPeerTest, MatchesGiflibOnLargeImages) {
  // From 300 x 300 up, plain and interlaced, every code size: giflib
  // clears its table at 4095 many times over in these.
  std::mt19937 random(77);
  const int MAX_COLOUR_BITS = 8;
  const int SIDE = 300;
  const int NOISE_PERCENT = 30;
  for (int bits = 1; bits <= MAX_COLOUR_BITS; ++bits) {
    GifLayout layout;
    layout.screenWidth = SIDE + bits;
    layout.screenHeight = SIDE;
    layout.globalTable = randomTable(1 << bits, random());
    for (int interlace = 0; interlace < 2; ++interlace) {
      GifFrameSpec f;
      f.width = SIDE + bits;
      f.height = SIDE - interlace;
      f.interlace = interlace == 1;
      f.indices = patternIndices(f.width, f.height, 1 << bits, NOISE_PERCENT, random());
      layout.frames.push_back(f);
    }
    SCOPED_TRACE("colour bits " + std::to_string(bits));
    expectDecoderMatchesGiflib(layout, 0);
  }
}

TEST(LZWDecoderPeerTest, MatchesGiflibOnThinImages) {
  // One pixel, one row, one column; plain and interlaced.
  const int LONG_SIDE = 301;
  const int BITS = 4;
  const int NOISE_PERCENT = 30;
  std::mt19937 random(5);
  GifLayout layout;
  layout.screenWidth = layout.screenHeight = LONG_SIDE;
  layout.globalTable = randomTable(1 << BITS, random());
  const std::pair<int, int> sizes[] = {{1, 1}, {LONG_SIDE, 1}, {1, LONG_SIDE}, {2, LONG_SIDE}};
  for (const auto& size : sizes) {
    for (int interlace = 0; interlace < 2; ++interlace) {
      GifFrameSpec f;
      f.width = size.first;
      f.height = size.second;
      f.interlace = interlace == 1;
      f.indices = patternIndices(f.width, f.height, 1 << BITS, NOISE_PERCENT, random());
      layout.frames.push_back(f);
    }
  }
  expectDecoderMatchesGiflib(layout, 0);
  expectDecoderMatchesGiflib(layout, 1);
}

TEST(LZWDecoderPeerTest, LongestStringsMatchGiflib) {
  // One colour throughout: every new code is one byte longer than the last,
  // up to strings of about 4090 bytes before giflib clears its table.
  const int WIDTH = 2900;
  const int HEIGHT = 2900;
  GifLayout layout;
  layout.screenWidth = WIDTH;
  layout.screenHeight = HEIGHT;
  layout.globalTable = randomTable(4, 5);
  GifFrameSpec f;
  f.width = WIDTH;
  f.height = HEIGHT;
  f.indices.assign(static_cast<size_t>(WIDTH) * HEIGHT, 3);
  layout.frames.push_back(f);
  expectDecoderMatchesGiflib(layout, 0);
}

// Encodes with the test encoder, checks that giflib reads it as the source
// (when it can), then decodes it.
void expectRoundTrip(const std::vector<uint8_t>& source, int width, int height, const LzwEncodeOptions& o) {
  const std::vector<uint8_t> stream = lzwEncode(source, o);
  const Decoded d = decode(stream, o.codeSize, width, height, false);
  EXPECT_GT(d.result, 0);
  EXPECT_EQ(d.out, source);
  std::vector<GiflibImage> reference;
  std::string error;
  ASSERT_TRUE(giflibDecode(gifWithStream(width, height, o.codeSize, o.codeSize, stream), reference,
                           error))
      << error;
  ASSERT_EQ(reference.size(), 1u);
  EXPECT_EQ(reference[0].indices, source) << "giflib reads the stream differently";
}

TEST(LZWDecoderTest, FullTableDecodesUntilTheClearCode) {
  // The encoder assigns code 4095, then sends 12-bit codes without adding
  // entries until it clears: common decoders accept this, and so do we.
  const int WIDTH = 250;
  const int HEIGHT = 200;
  LzwEncodeOptions o;
  o.tableFull = LzwTableFull::KeepFullTable;
  for (int codeSize = 2; codeSize <= 8; codeSize += 3) {
    for (int codesBeforeClear : {1, 700}) {
      SCOPED_TRACE("code size " + std::to_string(codeSize) + ", " + std::to_string(codesBeforeClear) +
                   " codes before the clear");
      o.codeSize = codeSize;
      o.codesBeforeClear = codesBeforeClear;
      expectRoundTrip(noise(static_cast<size_t>(WIDTH) * HEIGHT, 1 << codeSize, 11 + codeSize), WIDTH, HEIGHT, o);
    }
  }
  // One colour: the full table's last strings are the longest possible.
  const int LONG_SIDE = 3000;
  o.codeSize = 2;
  o.codesBeforeClear = 50;
  expectRoundTrip(std::vector<uint8_t>(static_cast<size_t>(LONG_SIDE) * LONG_SIDE, 2), LONG_SIDE, LONG_SIDE, o);
}

TEST(LZWDecoderTest, ClearAt4095Decodes) {
  const int WIDTH = 200;
  const int HEIGHT = 200;
  LzwEncodeOptions o;
  o.tableFull = LzwTableFull::ClearAt4095;
  // Code size 1 too: no GIF encoder should write it, but giflib reads it.
  for (int codeSize = 1; codeSize <= 8; ++codeSize) {
    SCOPED_TRACE("code size " + std::to_string(codeSize));
    o.codeSize = codeSize;
    expectRoundTrip(noise(static_cast<size_t>(WIDTH) * HEIGHT, 1 << codeSize, codeSize), WIDTH, HEIGHT, o);
  }
}

// Codes written by hand, each with its width.
std::vector<uint8_t> codes(std::initializer_list<std::pair<int, int>> codeAndWidth) {
  LzwBitWriter w;
  for (const auto& c : codeAndWidth) w.put(c.first, c.second);
  return w.bytes();
}

TEST(LZWDecoderTest, CorruptCodesAreRejected) {
  // Code size 2: colours 0..3, clear 4, end 5, first free code 6, 3 bits.
  const int CS = 2;
  // A string of the code being defined right now is fine: "a a a".
  // The image is full after the third code: the end code is not read.
  Decoded ok = decode(codes({{4, 3}, {1, 3}, {6, 3}, {5, 3}}), CS, 3, 1, false);
  EXPECT_EQ(ok.result, 9);
  EXPECT_EQ(ok.out, (std::vector<uint8_t>{1, 1, 1}));

  // A code above the next free code (6 after one root code).
  EXPECT_EQ(decode(codes({{4, 3}, {1, 3}, {7, 3}, {5, 3}}), CS, 4, 1, false).result, 0);
  // Further on: 1, 2 make code 6, so the next free code is 7; 7 itself is
  // fine (and makes 8 the next one, now in 4 bits), 9 is not.
  const Decoded seven = decode(codes({{4, 3}, {1, 3}, {2, 3}, {7, 3}, {5, 4}}), CS, 5, 1, false);
  EXPECT_EQ(seven.result, 16);
  EXPECT_EQ(seven.out, (std::vector<uint8_t>{1, 2, 2, 2, 0}));
  EXPECT_EQ(decode(codes({{4, 3}, {1, 3}, {2, 3}, {0, 3}, {9, 4}, {5, 4}}), CS, 8, 1, false).result, 0);
  // The code being defined, right after a clear: there is no previous string.
  EXPECT_EQ(decode(codes({{4, 3}, {6, 3}, {5, 3}}), CS, 3, 1, false).result, 0);
  EXPECT_EQ(decode(codes({{4, 3}, {1, 3}, {2, 3}, {4, 3}, {6, 3}, {5, 3}}), CS, 6, 1, false).result, 0);
  // ... and at the very start, where no clear was sent.
  EXPECT_EQ(decode(codes({{6, 3}, {5, 3}}), CS, 3, 1, false).result, 0);
}

TEST(LZWDecoderTest, ShortStreamsLeaveTheRestAtZero) {
  const int WIDTH = 37;
  const int HEIGHT = 23;
  const int CS = 4;
  const std::vector<uint8_t> source = patternIndices(WIDTH, HEIGHT, 1 << CS, 20, 3);
  // Never 0, so that decoded pixels are told from untouched ones.
  std::vector<uint8_t> visible = source;
  for (uint8_t& b : visible) b = static_cast<uint8_t>(b | 1);
  LzwEncodeOptions o;
  o.codeSize = CS;
  o.endCode = false;
  const std::vector<uint8_t> stream = lzwEncode(visible, o);

  // Cut at every length: the decoded part is a prefix of the image that
  // grows with the length, and everything after it stays 0.
  size_t lastDecoded = 0;
  for (size_t length = 1; length <= stream.size(); ++length) {
    SCOPED_TRACE("length " + std::to_string(length));
    const Decoded d = decode(std::vector<uint8_t>(stream.begin(), stream.begin() + static_cast<long>(length)), CS,
                             WIDTH, HEIGHT, false);
    EXPECT_LE(d.result, static_cast<int64_t>(length) * BITS_PER_BYTE);
    size_t decoded = 0;
    while (decoded < d.out.size() && d.out[decoded] != 0) ++decoded;
    EXPECT_TRUE(std::equal(d.out.begin(), d.out.begin() + static_cast<long>(decoded), visible.begin()));
    EXPECT_TRUE(std::all_of(d.out.begin() + static_cast<long>(decoded), d.out.end(), [](uint8_t b) { return b == 0; }));
    EXPECT_GE(decoded, lastDecoded);
    lastDecoded = decoded;
  }
  EXPECT_EQ(lastDecoded, visible.size());

  // An end code before the image is full: success, the rest stays 0.
  const Decoded early = decode(codes({{16, 5}, {3, 5}, {7, 5}, {17, 5}, {9, 5}}), CS, 4, 2, false);
  EXPECT_EQ(early.result, 20);
  EXPECT_EQ(early.out, (std::vector<uint8_t>{3, 7, 0, 0, 0, 0, 0, 0}));
  // Without an end code a full image ends the stream: later codes are not read.
  const Decoded full = decode(codes({{16, 5}, {3, 5}, {7, 5}, {31, 5}}), CS, 2, 1, false);
  EXPECT_EQ(full.result, 15);
  EXPECT_EQ(full.out, (std::vector<uint8_t>{3, 7}));
}

TEST(LZWDecoderTest, BadArgumentsAreRejected) {
  LzwEncodeOptions o;
  o.codeSize = 8;
  const std::vector<uint8_t> stream = lzwEncode(std::vector<uint8_t>(16, 1), o);
  EXPECT_GT(decode(stream, 8, 4, 4, false).result, 0);
  // Minimum code sizes outside 1..8 cannot be GIF data for byte indices.
  for (int codeSize : {0, -1, 9, 10, 11, 12, 13, 15}) {
    SCOPED_TRACE("code size " + std::to_string(codeSize));
    EXPECT_EQ(decode(stream, codeSize, 4, 4, false).result, 0);
  }
  // An image with no pixel.
  EXPECT_EQ(decode(stream, 8, 0, 4, false).result, 0);
  EXPECT_EQ(decode(stream, 8, 4, 0, false).result, 0);
  // No data at all.
  EXPECT_EQ(decode(std::vector<uint8_t>(), 8, 4, 4, false).result, 0);
}

TEST(LZWDecoderTest, InterlacedRowsFollowTheFourPasses) {
  // Rows arrive in the order 0, 2, 1 for a 3-row image.
  LzwEncodeOptions o;
  o.codeSize = 2;
  const std::vector<uint8_t> stored = {1, 1, 2, 2, 3, 3};  // rows 0, 2, 1 as stored
  const Decoded d = decode(lzwEncode(stored, o), 2, 2, 3, true);
  EXPECT_GT(d.result, 0);
  EXPECT_EQ(d.out, (std::vector<uint8_t>{1, 1, 3, 3, 2, 2}));

  // Every height up to 17 rows: row r of the stored order is image row
  // order[r], with passes that have no row skipped.
  for (int height = 1; height <= 17; ++height) {
    SCOPED_TRACE("height " + std::to_string(height));
    std::vector<int> order;
    for (const PassRows& pass : INTERLACE_PASSES)
      for (int y = pass.first; y < height; y += pass.step) order.push_back(y);
    ASSERT_EQ(static_cast<int>(order.size()), height);
    std::vector<uint8_t> rows;
    for (int r = 0; r < height; ++r) rows.push_back(static_cast<uint8_t>(r + 1));
    o.codeSize = 5;
    const Decoded di = decode(lzwEncode(rows, o), 5, 1, height, true);
    std::vector<uint8_t> expected(static_cast<size_t>(height));
    for (int r = 0; r < height; ++r) expected[static_cast<size_t>(order[static_cast<size_t>(r)])] = rows[static_cast<size_t>(r)];
    EXPECT_EQ(di.out, expected);
  }
}

// ReadGif against giflib: the colours that giflib's indices map to, after
// the loader's rules (transparent index -> black, the key; black and the
// transparent entry's colour -> near-black; an index beyond the table reads
// as black).
class ReadGifPeerTest : public ::testing::Test {
 protected:
  static const int SCREEN_SIDE = 64;
  static const int TRUE_COLOUR = 32;

  void SetUp() override {
    const char* old = getenv("SDL_VIDEODRIVER");
    if (old != nullptr) oldDriver = old;
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    box.reset(new ZEL_GrafboxSDL(SCREEN_SIDE, SCREEN_SIDE, TRUE_COLOUR, false));
    // The dummy driver's desktop is 8-bit: ask for true colour.
    box->setVideoMode(SCREEN_SIDE, SCREEN_SIDE, TRUE_COLOUR, false);
    ASSERT_TRUE(dir.ok());
  }
  void TearDown() override {
    box.reset();
    if (oldDriver.empty()) {
      unsetenv("SDL_VIDEODRIVER");
    } else {
      setenv("SDL_VIDEODRIVER", oldDriver.c_str(), 1);
    }
  }

  void expectLoadMatchesGiflib(const std::vector<uint8_t>& file, int screenWidth, int screenHeight);

  std::unique_ptr<ZEL_GrafboxSDL> box;
  TempDir dir;
  std::string oldDriver;
  int fileCount = 0;
};

GifRgb expectedColour(const GiflibImage& image, int idx) {
  const int entries = static_cast<int>(image.table.size());
  const int t = image.transparentIndex;
  if (t != GIF_NO_TRANSPARENCY && idx == t) return GifRgb();
  const GifRgb c = idx < entries ? image.table[static_cast<size_t>(idx)] : GifRgb();
  const bool isTransparentColour = t != GIF_NO_TRANSPARENCY && t < entries && c == image.table[static_cast<size_t>(t)];
  if (c == GifRgb() || isTransparentColour) return GifRgb{0, 0, 1};
  return c;
}

// The frames, boxes and delays live as long as the process in the game;
// here the test releases them.
void release(ZEL_AnimData& anim) {
  for (int i = 0; i < anim.getFrames()->getSize(); ++i) delete anim.getFrames()->elementAt(i);
  for (int i = 0; i < anim.getBoundBoxes()->getSize(); ++i) delete anim.getBoundBoxes()->elementAt(i);
  for (int i = 0; i < anim.getDelays()->getSize(); ++i) delete anim.getDelays()->elementAt(i);
}

void ReadGifPeerTest::expectLoadMatchesGiflib(const std::vector<uint8_t>& file, int screenWidth, int screenHeight) {
  std::vector<GiflibImage> reference;
  std::string error;
  ASSERT_TRUE(giflibDecode(file, reference, error)) << error;
  const std::string path = dir.file("peer" + std::to_string(fileCount++) + ".gif");
  writeBytes(path, file);

  ZEL_AnimData anim(path.c_str(), box.get(), nullptr);
  EXPECT_EQ(anim.get_largeur(), static_cast<uint32_t>(screenWidth));
  EXPECT_EQ(anim.get_hauteur(), static_cast<uint32_t>(screenHeight));
  ASSERT_EQ(anim.getNbFrames(), reference.size());
  ASSERT_EQ(anim.getFrames()->getSize(), static_cast<int>(reference.size()));
  ASSERT_EQ(anim.getBoundBoxes()->getSize(), static_cast<int>(reference.size()));
  ASSERT_EQ(anim.getDelays()->getSize(), static_cast<int>(reference.size()));
  for (size_t i = 0; i < reference.size(); ++i) {
    const GiflibImage& image = reference[i];
    SCOPED_TRACE("frame " + std::to_string(i));
    ZEL_Surface* frame = anim.getFrames()->elementAt(static_cast<int>(i));
    ASSERT_EQ(frame->getLargeur(), image.width);
    ASSERT_EQ(frame->getHauteur(), image.height);
    EXPECT_EQ(*anim.getDelays()->elementAt(static_cast<int>(i)), 0u) << "no timer, no delay";
    ZEL_Rect visible = {image.width, image.height, -1, -1};
    int mismatches = 0;
    for (int y = 0; y < image.height; ++y) {
      for (int x = 0; x < image.width; ++x) {
        const GifRgb want = expectedColour(image, image.indices[static_cast<size_t>(y) * image.width + x]);
        GifRgb got;
        frame->getPixel(x, y, &got.r, &got.g, &got.b);
        if (got != want && mismatches++ < 3) {
          ADD_FAILURE() << "pixel (" << x << ", " << y << "): got " << int(got.r) << "," << int(got.g) << ","
                        << int(got.b) << " want " << int(want.r) << "," << int(want.g) << "," << int(want.b);
        }
        if (want != GifRgb()) {
          visible = {std::min(visible.x1, x), std::min(visible.y1, y), std::max(visible.x2, x),
                     std::max(visible.y2, y)};
        }
      }
    }
    EXPECT_EQ(mismatches, 0);
    if (visible.x2 < 0) visible = {0, 0, image.width - 1, image.height - 1};  // nothing visible
    const ZEL_Rect* box = anim.getBoundBoxes()->elementAt(static_cast<int>(i));
    EXPECT_EQ(box->x1, visible.x1);
    EXPECT_EQ(box->y1, visible.y1);
    EXPECT_EQ(box->x2, visible.x2);
    EXPECT_EQ(box->y2, visible.y2);
  }
  release(anim);
}

TEST_F(ReadGifPeerTest, PixelsMatchGiflib) {
  std::mt19937 random(4242);
  const int MAX_COLOUR_BITS = 8;
  const int ROUNDS = 4;
  const int MAX_SIDE = 120;
  for (int round = 0; round < ROUNDS; ++round) {
    for (int bits = 1; bits <= MAX_COLOUR_BITS; ++bits) {
      SCOPED_TRACE("round " + std::to_string(round) + ", colour bits " + std::to_string(bits));
      const GifLayout layout = randomSpec(random, bits, MAX_SIDE);
      expectLoadMatchesGiflib(giflibEncode(layout), layout.screenWidth, layout.screenHeight);
    }
  }
}

TEST_F(ReadGifPeerTest, LargeInterlacedFramesMatchGiflib) {
  std::mt19937 random(99);
  const int SIDE = 300;
  const int BITS = 8;
  const int NOISE_PERCENT = 25;
  GifLayout layout;
  layout.screenWidth = SIDE + 1;
  layout.screenHeight = SIDE;
  layout.globalTable = randomTable(1 << BITS, random());
  for (int i = 0; i < 2; ++i) {
    GifFrameSpec f;
    f.width = SIDE + i;
    f.height = SIDE - i;
    f.interlace = i == 1;
    f.delay = 10;
    f.transparentIndex = i == 0 ? 0 : 200;
    if (i == 1) f.localTable = randomTable(1 << BITS, random());
    f.indices = patternIndices(f.width, f.height, 1 << BITS, NOISE_PERCENT, random());
    layout.frames.push_back(f);
  }
  expectLoadMatchesGiflib(giflibEncode(layout), layout.screenWidth, layout.screenHeight);
}

TEST_F(ReadGifPeerTest, IndexBeyondTheTableReadsAsBlack) {
  // A 2-entry table with code size 2: indices 2 and 3 have no colour.
  LzwEncodeOptions o;
  o.codeSize = 2;
  const std::vector<uint8_t> source = {0, 1, 2, 3, 3, 2, 1, 0};
  const int TABLE_BITS = 1;
  expectLoadMatchesGiflib(gifWithStream(4, 2, TABLE_BITS, o.codeSize, lzwEncode(source, o)), 4, 2);
}

}  // namespace
