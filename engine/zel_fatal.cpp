#include "zel_fatal.h"

#include <cstdarg>
#include <cstdlib>

namespace {

[[noreturn]] void endAfterMessage(FILE* stream) {
  fflush(stream);
#ifdef ZEL_FUZZING
  throw ZEL_FatalStop();
#else
  exit(-1);
#endif
}

}  // namespace

void ZEL_fatalTo(FILE* stream, const char* format, ...) {
  va_list args;
  va_start(args, format);
  vfprintf(stream, format, args);
  va_end(args);
  endAfterMessage(stream);
}

void ZEL_fatal(const char* format, ...) {
  va_list args;
  va_start(args, format);
  vfprintf(stdout, format, args);
  va_end(args);
  endAfterMessage(stdout);
}
