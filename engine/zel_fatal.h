#ifndef ZEL_FATAL_H
#define ZEL_FATAL_H

#include <cstdio>

// The engine's one exit path for unrecoverable errors: prints the message
// (printf-style) on the given stream, flushes, and ends the process with
// exit(-1), status 255 as the shell sees it.
[[noreturn]] void ZEL_fatalTo(FILE* stream, const char* format, ...)
    __attribute__((format(printf, 2, 3)));

#ifdef ZEL_FUZZING
// Fuzzing builds only: the exit path throws this after its message, so
// that a fuzzing target can go on with its next input.
struct ZEL_FatalStop {};
#endif

// Same, on standard output, where most engine messages go.
[[noreturn]] void ZEL_fatal(const char* format, ...)
    __attribute__((format(printf, 1, 2)));

#endif
