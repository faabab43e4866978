#ifndef ZEL_FATAL_H
#define ZEL_FATAL_H

#include <cstdio>

// The engine's one exit path for unrecoverable errors: prints the message
// (printf-style) on the given stream, flushes, and ends the process with
// exit(-1), status 255 as the shell sees it.
[[noreturn]] void ZEL_fatalTo(FILE* stream, const char* format, ...)
    __attribute__((format(printf, 2, 3)));

// Same, on standard output, where most engine messages go.
[[noreturn]] void ZEL_fatal(const char* format, ...)
    __attribute__((format(printf, 1, 2)));

#endif
