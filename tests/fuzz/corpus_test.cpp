// Every committed fuzzing input, replayed in a child: an engine reader loads it in silence or ends the
// engine's way (status 255) with exactly one of its messages; zeltool loads or refuses it; never a signal, a
// sanitizer report or a hang.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "child_process.h"
#include "files.h"
#include "fuzz_targets.h"

// Names a target in the test listing.
void PrintTo(const FuzzTarget& target, std::ostream* out) { *out << target.name; }

namespace {

const int FATAL = 255;
const int LIMIT_MS = 10000;

// The messages a refused file may end with, as templates (see matchesTemplate); any number of whole
// `warnings` lines may come first on standard output, on a load or a refusal.
struct Messages {
  std::vector<std::string> out, err, warnings;
};

const Messages ANIMATIONS = {
    {"erreur d'ouverture du fichier %s\n", "erreur d'ouverture du fichier %s", "extension inconnue:%s\n",
     "fichier %s non trouv\xe9\n", "le fichier %s n'est pas un GIF valide!\n", "fichier %s corrompu!\n",
     "impossible d'allouer cette surface\n", "fichier %s a une fin pr\351matur\351e\n",
     "pas assez de memoire pour allouer la structure DAT "},
    {"pas assez de memoire pour allouer la frame %d", "erreur de lecture de la frame %d"},
    {"Attention le timer a un taux de FPS trop faible pour respecter le timing de l'anim %s\n"}};
const Messages TILES = {{"erreur de lecture de la mosaique", "fichier non conforme"}, {}, {}};
const Messages SILENT = {};  // refuses by its result, never by ending the process

// The engine's readers; zeltool's write their own reports and are not listed.
const std::map<std::string, const Messages*> MESSAGES = {
    {"tle", &TILES},      {"map", &TILES},  {"spr", &ANIMATIONS}, {"gif", &ANIMATIONS},
    {"dat", &ANIMATIONS}, {"lzw", &SILENT}, {"wav", &SILENT}, {"stream", &SILENT}};

bool matchesOne(const std::string& text, const std::vector<std::string>& patterns) {
  for (const std::string& p : patterns) {
    if (matchesTemplate(text, p)) return true;
  }
  return false;
}

// Why a child's ending is neither a silent load nor one message of m (any output when m is null); empty when
// it is.
std::string badEnding(const ChildResult& r, const Messages* m) {
  if (r.timedOut) return "timed out";
  if (!r.exited) return "killed by signal " + std::to_string(r.signal);
  if (r.exitCode != 0 && r.exitCode != FATAL) return "exit status " + std::to_string(r.exitCode);
  if (m == nullptr) return "";
  std::string out = r.out;
  for (size_t end;
       (end = out.find('\n')) != std::string::npos && matchesOne(out.substr(0, end + 1), m->warnings);)
    out.erase(0, end + 1);
  if (r.exitCode == 0) return out.empty() && r.err.empty() ? "" : "output on success";
  if ((r.err.empty() && matchesOne(out, m->out)) || (out.empty() && matchesOne(r.err, m->err))) return "";
  return "no engine message";
}

class CorpusTest : public testing::TestWithParam<FuzzTarget> {};

TEST_P(CorpusTest, EveryInputLoadsOrEndsWithItsMessage) {
  const FuzzTarget& target = GetParam();
  const auto messages = MESSAGES.find(target.name);
  TempDir work;
  setenv("ZEL_FUZZ_DIR", work.path().c_str(), 1);
  int inputs = 0;
  for (const auto& entry :
       std::filesystem::directory_iterator(ZEL_SOURCE_DIR "/tests/corpus/" + std::string(target.name))) {
    const std::vector<uint8_t> bytes = readFile(entry.path());
    const ChildResult r = runInChild([&] { target.run(bytes.data(), bytes.size()); }, LIMIT_MS);
    EXPECT_EQ(badEnding(r, messages == MESSAGES.end() ? nullptr : messages->second), "")
        << entry.path() << ": " << describe(r);
    ++inputs;
  }
  EXPECT_GT(inputs, 0);
}

INSTANTIATE_TEST_SUITE_P(Targets, CorpusTest, testing::ValuesIn(fuzzTargets()),
                         [](const testing::TestParamInfo<FuzzTarget>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
