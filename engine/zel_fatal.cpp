#include "zel_fatal.h"

#include <cstdarg>
#include <cstdlib>

namespace {

[[noreturn]] void printAndExit(FILE* stream, const char* format, va_list args) {
  vfprintf(stream, format, args);
  fflush(stream);
  exit(-1);
}

}  // namespace

void ZEL_fatalTo(FILE* stream, const char* format, ...) {
  va_list args;
  va_start(args, format);
  printAndExit(stream, format, args);
}

void ZEL_fatal(const char* format, ...) {
  va_list args;
  va_start(args, format);
  printAndExit(stdout, format, args);
}
