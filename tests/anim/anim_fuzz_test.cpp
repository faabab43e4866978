// Hostile animation files: small valid .spr, GIF and .dat files cut at
// every length and with random bytes changed. Every load, in a child
// process, must either succeed or end with status 255 and one of the
// engine's messages: no crash, no hang.
#include <sys/resource.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "child_process.h"
#include "gif_peer.h"
#include "lzw_encoder.h"
#include "files.h"
#include "zel_anim_data.h"
#include "zel_grafbox_sdl.h"
#include "zel_list_anim_data.h"
#include "zel_timer_sdl.h"

namespace {

const int CHILD_TIMEOUT_MS = 10000;
const int EXIT_FATAL = 255;  // exit(-1)
const int SCREEN_SIDE = 64;
const int TRUE_COLOUR = 32;
const unsigned TIMER_RATE = 100;
const int MUTATIONS = 250;
const int MAX_BYTES_CHANGED = 4;
const size_t HEADER_AREA_BYTES = 40;

const char SPR_NAME[] = "small.spr";
const char GIF_NAME[] = "small.gif";
const char DAT_NAME[] = "small.dat";
const char TARGET_NAME[] = "target";  // the file under test, named per kind

// The engine's fatal messages; %s is any file name, %d a frame number.
const char* const STDOUT_MESSAGES[] = {
    "erreur d'ouverture du fichier %s\n",  // .spr
    "erreur d'ouverture du fichier %s",    // .dat
    "extension inconnue:%s\n",
    "fichier %s non trouv\xe9\n",
    "le fichier %s n'est pas un GIF valide!\n",
    "impossible d'allouer cette surface\n",
    "fichier %s corrompu!\n",
    "fichier %s a une fin pr\xe9matur\xe9" "e\n",
    "pas assez de memoire pour allouer la structure DAT ",
};
const char* const STDERR_MESSAGES[] = {
    "pas assez de memoire pour allouer memoire temp pour frame %d",
    "pas assez de memoire pour allouer la frame %d",
    "erreur de lecture de la frame %d",
};
// Printed for a GIF frame of delay 0; loading goes on.
const char WARNING[] = "Attention le timer a un taux de FPS trop faible pour respecter le timing de l'anim %s\n";

// Whether text[at..] matches the template t from its start: "%s" stands for
// any run of bytes without a line end, "%d" for a number from 1.
bool matchesFrom(const char* t, const std::string& text, size_t at) {
  if (*t == '\0') return at == text.size();
  if (t[0] == '%' && t[1] == 's') {
    for (size_t end = at;; ++end) {
      if (matchesFrom(t + 2, text, end)) return true;
      if (end == text.size() || text[end] == '\n') return false;
    }
  }
  if (t[0] == '%' && t[1] == 'd') {
    if (at == text.size() || text[at] < '1' || text[at] > '9') return false;
    size_t end = at + 1;
    while (end < text.size() && isdigit(static_cast<unsigned char>(text[end]))) ++end;
    return matchesFrom(t + 2, text, end);
  }
  return at < text.size() && text[at] == *t && matchesFrom(t + 1, text, at + 1);
}

bool matchesOne(const std::string& text, const char* const* templates, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    if (matchesFrom(templates[i], text, 0)) return true;
  }
  return false;
}

// Standard output less the warnings at its start.
std::string withoutWarnings(const std::string& out) {
  std::string rest = out;
  for (;;) {
    const size_t end = rest.find('\n');
    if (end == std::string::npos || !matchesFrom(WARNING, rest.substr(0, end + 1), 0)) return rest;
    rest.erase(0, end + 1);
  }
}

// Why the child's ending is not acceptable; empty when it is.
std::string badEnding(const ChildResult& r) {
  if (r.timedOut) return "timed out";
  if (!r.exited) return "killed by signal " + std::to_string(r.signal);
  const std::string out = withoutWarnings(r.out);
  if (r.exitCode == 0) return out.empty() && r.err.empty() ? "" : "output on success";
  if (r.exitCode != EXIT_FATAL) return "exit status " + std::to_string(r.exitCode);
  if (r.err.empty() && matchesOne(out, STDOUT_MESSAGES, std::size(STDOUT_MESSAGES))) return "";
  if (out.empty() && matchesOne(r.err, STDERR_MESSAGES, std::size(STDERR_MESSAGES))) return "";
  return "no engine message";
}

// Loads in a child as the game does: dummy video in true colour, a timer
// at the game's rate.
ChildResult loadInChild(const std::string& dir, const std::string& name, bool isList,
                        const std::function<void()>& beforeLoad = nullptr) {
  return runInChild(
      [&] {
        CHILD_CHECK(chdir(dir.c_str()) == 0);
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        ZEL_GrafboxSDL box(SCREEN_SIDE, SCREEN_SIDE, TRUE_COLOUR, false);
        // The dummy driver's desktop is 8-bit.
        box.setVideoMode(SCREEN_SIDE, SCREEN_SIDE, TRUE_COLOUR, false);
        ZEL_TimerSDL timer;
        timer.setRate(TIMER_RATE);
        if (beforeLoad) beforeLoad();
        // Animations and lists live as long as the process.
        if (isList) {
          new ZEL_ListAnimData(name.c_str(), &box, &timer);
        } else {
          new ZEL_AnimData(name.c_str(), &box, &timer);
        }
      },
      CHILD_TIMEOUT_MS);
}

void putLe16(std::vector<uint8_t>& out, int v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void putLe32(std::vector<uint8_t>& out, int32_t v) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(static_cast<uint32_t>(v) >> shift));
}

// 2 frames of 5 x 6 with some black pixels, delay 3, and their boxes.
std::vector<uint8_t> smallSpr() {
  const int FRAMES = 2, DELAY = 3, W = 5, H = 6, PIXEL_BYTES = 4;
  std::mt19937 random(7);
  std::vector<uint8_t> out;
  putLe16(out, FRAMES);
  putLe16(out, DELAY);
  putLe16(out, W);
  putLe16(out, H);
  for (int i = 0; i < FRAMES * W * H; ++i) {
    const bool black = random() % 4 == 0;
    for (int c = 0; c < PIXEL_BYTES - 1; ++c) out.push_back(black ? 0 : static_cast<uint8_t>(random()));
    out.push_back(0);
  }
  for (int i = 0; i < FRAMES; ++i) {
    putLe32(out, i);
    putLe32(out, 1);
    putLe32(out, W - 1);
    putLe32(out, H - 1 - i);
  }
  return out;
}

// 2 frames of 12 x 10 (one interlaced with its own table), transparency,
// delays, a looping extension and a comment.
std::vector<uint8_t> smallGif() {
  const int W = 12, H = 10, BITS = 3, NOISE_PERCENT = 10;
  GifLayout layout;
  layout.screenWidth = W;
  layout.screenHeight = H;
  layout.globalTable = randomTable(1 << BITS, 1);
  layout.looping = true;
  layout.comment = "fuzz";
  for (int i = 0; i < 2; ++i) {
    GifFrameSpec f;
    f.width = W - i;
    f.height = H - 2 * i;
    f.interlace = i == 1;
    if (i == 1) f.localTable = randomTable(1 << BITS, 2);
    f.delay = 10 + 15 * i;
    f.transparentIndex = i;
    f.indices = patternIndices(f.width, f.height, 1 << BITS, NOISE_PERCENT, 3 + i);
    layout.frames.push_back(f);
  }
  return giflibEncode(layout);
}

std::string smallDat() { return std::string(SPR_NAME) + " \t" + GIF_NAME + "\n" + SPR_NAME + "\n"; }

enum class Kind { Spr, Gif, Dat };

const char* kindName(Kind kind) { return kind == Kind::Spr ? "spr" : kind == Kind::Gif ? "gif" : "dat"; }

void PrintTo(Kind kind, std::ostream* os) { *os << kindName(kind); }

class AnimFuzzTest : public ::testing::TestWithParam<Kind> {};

// A directory with the valid files that lists name.
class Corpus {
 public:
  Corpus() {
    writeBytes(dir.file(SPR_NAME), smallSpr());
    writeBytes(dir.file(GIF_NAME), smallGif());
    const std::string dat = smallDat();
    writeBytes(dir.file(DAT_NAME), std::vector<uint8_t>(dat.begin(), dat.end()));
  }

  // The valid file of that kind, and the name the target takes.
  std::vector<uint8_t> seed(Kind kind) const {
    if (kind == Kind::Spr) return smallSpr();
    if (kind == Kind::Gif) return smallGif();
    const std::string dat = smallDat();
    return std::vector<uint8_t>(dat.begin(), dat.end());
  }
  static std::string targetName(Kind kind) {
    return std::string(TARGET_NAME) + (kind == Kind::Spr ? ".spr" : kind == Kind::Gif ? ".gif" : ".dat");
  }

  // Writes bytes as the target and loads it in a child.
  ChildResult load(Kind kind, const std::vector<uint8_t>& bytes) {
    writeBytes(dir.file(targetName(kind)), bytes);
    return loadInChild(dir.path(), targetName(kind), kind == Kind::Dat);
  }

 private:
  TempDir dir;
};

struct Tally {
  int succeeded = 0;
  int refused = 0;
};

void check(const ChildResult& r, const std::string& what, Tally& tally) {
  const std::string why = badEnding(r);
  EXPECT_EQ(why, "") << what << "\n" << describe(r);
  (r.exited && r.exitCode == 0 ? tally.succeeded : tally.refused)++;
}

TEST_P(AnimFuzzTest, TruncatedAtEveryLength) {
  Corpus corpus;
  const std::vector<uint8_t> seed = corpus.seed(GetParam());
  Tally tally;
  for (size_t length = 0; length <= seed.size(); ++length) {
    const ChildResult r = corpus.load(GetParam(), std::vector<uint8_t>(seed.begin(), seed.begin() + static_cast<long>(length)));
    check(r, "cut at " + std::to_string(length) + " of " + std::to_string(seed.size()), tally);
    if (length == seed.size()) {
      EXPECT_EQ(r.exitCode, 0) << "the whole file loads\n" << describe(r);
    }
  }
  EXPECT_GT(tally.refused, 0);
}

TEST_P(AnimFuzzTest, RandomBytesChanged) {
  Corpus corpus;
  const std::vector<uint8_t> seed = corpus.seed(GetParam());
  std::mt19937 random(1000 + static_cast<unsigned>(GetParam()));
  // Half the changes hit the headers at the start, where a change matters
  // most; the rest anywhere.
  std::uniform_int_distribution<size_t> anywhere(0, seed.size() - 1);
  std::uniform_int_distribution<size_t> nearStart(0, std::min(seed.size(), HEADER_AREA_BYTES) - 1);
  std::uniform_int_distribution<int> changes(1, MAX_BYTES_CHANGED);
  std::uniform_int_distribution<int> flip(1, 255);  // never 0: every change changes
  Tally tally;
  for (int m = 0; m < MUTATIONS; ++m) {
    std::vector<uint8_t> bytes = seed;
    std::string what = "mutation " + std::to_string(m) + ":";
    for (int n = changes(random); n > 0; --n) {
      const size_t i = random() % 2 == 0 ? nearStart(random) : anywhere(random);
      bytes[i] = static_cast<uint8_t>(bytes[i] ^ flip(random));
      what += " byte " + std::to_string(i);
    }
    check(corpus.load(GetParam(), bytes), what, tally);
  }
  // The mutations reach both ends: files that still load and files refused
  // (a list rarely survives a changed name).
  if (GetParam() != Kind::Dat) {
    EXPECT_GT(tally.succeeded, 0);
  }
  EXPECT_GT(tally.refused, 0);
  RecordProperty("succeeded", tally.succeeded);
  RecordProperty("refused", tally.refused);
}

INSTANTIATE_TEST_SUITE_P(Files, AnimFuzzTest, ::testing::Values(Kind::Spr, Kind::Gif, Kind::Dat),
                         [](const ::testing::TestParamInfo<Kind>& info) { return kindName(info.param); });

const char PEAK_MEMORY_TAG[] = "peak_rss_kb ";

void printPeakMemory() {
  rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  fprintf(stderr, "%s%ld\n", PEAK_MEMORY_TAG, usage.ru_maxrss);
  fflush(stderr);
}

// Takes the peak memory line out of the child's standard error; -1 if none.
long takePeakMemoryKb(ChildResult& r) {
  const size_t at = r.err.find(PEAK_MEMORY_TAG);
  if (at == std::string::npos) return -1;
  const size_t end = r.err.find('\n', at);
  const long kb = atol(r.err.c_str() + at + sizeof PEAK_MEMORY_TAG - 1);
  r.err.erase(at, end == std::string::npos ? std::string::npos : end - at + 1);
  return kb;
}

TEST(AnimHugeHeaderTest, FewBytesAnnouncingHugeFramesEndQuickly) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  const int HUGE_SIDE = 65535;
  const int HUGE_COUNT = 65535;
  const int MAX_SIDE = 4096;  // the largest frame side loaded
  std::vector<std::pair<std::string, std::vector<uint8_t>>> files;

  std::vector<uint8_t> spr;  // 65535 frames of 65535 x 65535, and a few pixels
  putLe16(spr, HUGE_COUNT);
  putLe16(spr, 1);
  putLe16(spr, HUGE_SIDE);
  putLe16(spr, HUGE_SIDE);
  spr.insert(spr.end(), 16, 0x40);
  files.push_back({"huge.spr", spr});
  std::vector<uint8_t> sprCount = spr;  // frames of an allowed size, too many for the file
  sprCount[4] = sprCount[6] = 0;
  sprCount[5] = sprCount[7] = MAX_SIDE >> 8;
  files.push_back({"many.spr", sprCount});

  LzwEncodeOptions o;
  o.codeSize = 2;
  const std::vector<uint8_t> data = lzwEncode({1, 0, 1}, o);
  files.push_back({"huge.gif", gifWithStream(HUGE_SIDE, HUGE_SIDE, 1, o.codeSize, data)});

  for (auto& file : files) {
    SCOPED_TRACE(file.first);
    writeBytes(dir.file(file.first), file.second);
    ChildResult r = loadInChild(dir.path(), file.first, false, [] { atexit(printPeakMemory); });
    const long peakKb = takePeakMemoryKb(r);
    RecordProperty(file.first + "_peak_kb", static_cast<int>(peakKb));
    EXPECT_EQ(badEnding(r), "") << describe(r);
    EXPECT_EQ(r.exitCode, EXIT_FATAL);
    EXPECT_FALSE(r.timedOut);
#if !defined(__SANITIZE_ADDRESS__)
    // The address sanitizer's shadow memory and quarantine make this
    // figure meaningless there.
    const long MAX_PEAK_KB = 100 * 1024;
    EXPECT_GT(peakKb, 0);
    EXPECT_LT(peakKb, MAX_PEAK_KB);
#else
    (void)peakKb;
#endif
  }
}

}  // namespace
