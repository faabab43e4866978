#ifndef ZEL_FILE_IO_H
#define ZEL_FILE_IO_H

#include <cstdint>
#include <cstdio>

// Field-by-field access to the engine's little-endian binary files (.tle,
// .map). A field that the stream cannot deliver in full is not stored.
namespace zel_file {

bool readByte(FILE* f, uint8_t* value);
bool readLe32(FILE* f, uint32_t* value);
bool readLe32(FILE* f, int32_t* value);

bool writeByte(FILE* f, uint8_t value);
bool writeLe32(FILE* f, uint32_t value);

// True when a seekable stream holds fewer than n bytes after its position;
// the stream is then left at its end, where a short read would leave it.
// Streams that cannot seek are taken to hold enough.
bool isShorterThan(FILE* f, uint64_t n);

// Reads and drops up to n bytes through buffer (of bufferBytes bytes);
// returns how many arrived.
uint64_t drop(FILE* f, uint64_t n, uint8_t* buffer, size_t bufferBytes);

}  // namespace zel_file

#endif
