#ifndef TESTS_HOSTILE_FILES_H
#define TESTS_HOSTILE_FILES_H

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "child_process.h"

// The messages a damaged file may end a load with (status 255), as
// templates: "%s" is any text without a line end, "%d" a number from 1.
// Any number of whole `warnings` lines may come first on standard output.
struct EngineMessages {
  std::vector<std::string> out;
  std::vector<std::string> err;
  std::vector<std::string> warnings;
};

bool matchesTemplate(const std::string& text, const std::string& pattern);

// A damaged copy: the first `length` bytes (cut), or the whole file changed.
struct Damage {
  bool cut;
  size_t length;
};

struct SweepCounts {
  int loaded = 0;   // status 0
  int refused = 0;  // status 255 with a message
};

// Writes to `path`, in turn, `good` cut at every length and `mutations`
// copies with 1 to 4 bytes changed from `seed` (every other one also flips a
// high bit in the first `headerBytes`, if any), and runs `load` on each in a
// child. Each must end with status 0 and no output, or 255 and one message;
// `load` may check more with CHILD_CHECK. The test fails naming the copy.
SweepCounts sweepHostileCopies(const std::vector<uint8_t>& good, const std::string& path,
                               const std::function<void(const Damage&)>& load,
                               const EngineMessages& messages, int mutations, uint32_t seed,
                               size_t headerBytes = 0);

#endif
