#ifndef TESTS_HOSTILE_FILES_H
#define TESTS_HOSTILE_FILES_H

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "child_process.h"

// The engine's messages a damaged file may end with (status 255), as
// templates: "%s" stands for any text without a line end, "%d" for a
// number from 1. `warnings` may come first on standard output, in any
// number, whether the load ends or goes on.
struct EngineMessages {
  std::vector<std::string> out;
  std::vector<std::string> err;
  std::vector<std::string> warnings;
};

// Whether text is exactly the template.
bool matchesTemplate(const std::string& text, const std::string& pattern);

// Why a child's ending is not "status 0 and no output (warnings aside)" nor
// "status 255 with exactly one of the messages"; empty when it is either.
std::string badEnding(const ChildResult& r, const EngineMessages& messages);

// One damaged copy: the first `length` bytes of the file (cut), or the whole
// file with bytes changed.
struct Damage {
  bool cut;
  size_t length;
};

struct SweepCounts {
  int loaded = 0;   // status 0
  int refused = 0;  // status 255 with a message
};

// Writes damaged copies of `good` to `path` in turn: cut at every length
// from 0 to the whole, then `mutations` copies with 1 to 4 bytes changed
// (from `seed`; every other one also flips a high bit within the first
// `headerBytes`, where sizes live, when that is not 0). Runs `load` on each
// in a child, which may check more with CHILD_CHECK (status 1). Every ending
// must pass badEnding; the test fails naming the copy otherwise.
SweepCounts sweepHostileCopies(const std::vector<uint8_t>& good, const std::string& path,
                               const std::function<void(const Damage&)>& load,
                               const EngineMessages& messages, int mutations, uint32_t seed,
                               size_t headerBytes = 0);

#endif
