#include "zel_file_io.h"

#include "zel_byte_order.h"

namespace zel_file {

namespace {

const int LE32_BYTES = 4;

bool readBytes(FILE* f, uint8_t* p, size_t n) { return fread(p, 1, n, f) == n; }

}  // namespace

bool readByte(FILE* f, uint8_t* value) { return readBytes(f, value, 1); }

bool readLe32(FILE* f, uint32_t* value) {
  uint8_t p[LE32_BYTES];
  if (!readBytes(f, p, sizeof p)) return false;
  *value = zel_le::get32(p);
  return true;
}

bool readLe32(FILE* f, int32_t* value) {
  uint32_t v;
  if (!readLe32(f, &v)) return false;
  *value = static_cast<int32_t>(v);
  return true;
}

bool writeByte(FILE* f, uint8_t value) { return fputc(value, f) != EOF; }

bool writeLe32(FILE* f, uint32_t value) {
  uint8_t p[LE32_BYTES];
  zel_le::put32(p, value);
  return fwrite(p, 1, sizeof p, f) == sizeof p;
}

bool isShorterThan(FILE* f, uint64_t n) {
  const long here = ftell(f);
  if (here < 0 || fseek(f, 0, SEEK_END) != 0) return false;
  const long end = ftell(f);
  if (end >= here && static_cast<uint64_t>(end - here) < n) return true;  // stay at the end
  fseek(f, here, SEEK_SET);
  return false;
}

uint64_t drop(FILE* f, uint64_t n, uint8_t* buffer, size_t bufferBytes) {
  uint64_t done = 0;
  while (done < n) {
    const size_t want = n - done < bufferBytes ? static_cast<size_t>(n - done) : bufferBytes;
    const size_t got = fread(buffer, 1, want, f);
    done += got;
    if (got < want) break;
  }
  return done;
}

}  // namespace zel_file
