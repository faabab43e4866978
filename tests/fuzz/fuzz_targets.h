#ifndef TESTS_FUZZ_TARGETS_H
#define TESTS_FUZZ_TARGETS_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// One reader under fuzzing: it takes any bytes as its file and either loads them, or refuses them the
// engine's way (its message, then the end of the process, or in fuzzing builds a thrown ZEL_FatalStop), or a
// zeltool error. Anything else is a fault.
struct FuzzTarget {
  const char* name;  // also the corpus folder's name
  void (*run)(const uint8_t* data, size_t size);
};

const std::vector<FuzzTarget>& fuzzTargets();
const FuzzTarget* findFuzzTarget(const std::string& name);

#endif
