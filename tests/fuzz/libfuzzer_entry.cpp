// The libFuzzer entry of one target, chosen when it is built (FUZZ_TARGET).
#include <cstdlib>

#include "fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const FuzzTarget* target = findFuzzTarget(FUZZ_TARGET);
  if (target == nullptr) abort();
  target->run(data, size);
  return 0;
}
