// Every committed fuzzing input, replayed in a child: it loads, or ends
// the engine's way (status 255), or zeltool refuses it; never a signal, a
// sanitizer report or a hang.
#include <gtest/gtest.h>

#include <filesystem>

#include "child_process.h"
#include "files.h"
#include "fuzz_targets.h"

// Names a target in the test listing.
void PrintTo(const FuzzTarget& target, std::ostream* out) { *out << target.name; }

namespace {

const int FATAL = 255;
const int LIMIT_MS = 10000;

class CorpusTest : public testing::TestWithParam<FuzzTarget> {};

TEST_P(CorpusTest, EveryInputLoadsOrEndsCleanly) {
  const FuzzTarget& target = GetParam();
  TempDir work;
  setenv("ZEL_FUZZ_DIR", work.path().c_str(), 1);
  int inputs = 0;
  for (const auto& entry :
       std::filesystem::directory_iterator(ZEL_SOURCE_DIR "/tests/corpus/" + std::string(target.name))) {
    const std::vector<uint8_t> bytes = readFile(entry.path());
    const ChildResult r = runInChild([&] { target.run(bytes.data(), bytes.size()); }, LIMIT_MS);
    EXPECT_TRUE(r.exited && (r.exitCode == 0 || r.exitCode == FATAL)) << entry.path() << ": " << describe(r);
    ++inputs;
  }
  EXPECT_GT(inputs, 0);
}

INSTANTIATE_TEST_SUITE_P(Targets, CorpusTest, testing::ValuesIn(fuzzTargets()),
                         [](const testing::TestParamInfo<FuzzTarget>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
