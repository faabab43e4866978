#include "zel_utils.h"

#include <cstdint>
#include <cstring>

namespace {

const int MAX_CODE_BITS = 12;
const int TABLE_SIZE = 1 << MAX_CODE_BITS;  // 4096 codes
const int STACK_SIZE = TABLE_SIZE + 1;      // the longest string a code can stand for
// Root codes must fit the one-byte indices of the output.
const int MIN_CODE_SIZE = 1;
const int MAX_CODE_SIZE = 8;

// GIF interlacing: the first row and the row step of each of the 4 passes.
const int NB_PASSES = 4;
const int PASS_START[NB_PASSES] = {0, 4, 2, 1};
const int PASS_STEP[NB_PASSES] = {8, 8, 4, 2};

// Reads codes least significant bit first, never past the end of the data.
class BitReader {
 public:
  BitReader(const uint8_t* data, int length)
      : data(data), length(length), bitLength(static_cast<int64_t>(length) * 8) {}

  // False when fewer than width (at most 12) bits are left.
  bool read(int width, int& code) {
    if (position + width > bitLength) return false;
    // A 12-bit code at any bit offset lies within three bytes.
    const int64_t byte = position >> 3;
    uint32_t window = data[byte];
    if (byte + 1 < length) window |= static_cast<uint32_t>(data[byte + 1]) << 8;
    if (byte + 2 < length) window |= static_cast<uint32_t>(data[byte + 2]) << 16;
    code = static_cast<int>((window >> (position & 7)) & ((1u << width) - 1));
    position += width;
    return true;
  }

  int64_t getPosition() const { return position; }

 private:
  const uint8_t* data;
  int64_t length;
  int64_t bitLength;
  int64_t position = 0;
};

// Walks rows in plain or interlaced order and stores one index per pixel.
class PixelWriter {
 public:
  PixelWriter(uint8_t* out, int bytesPerLine, int width, int height, bool interlace)
      : out(out), bytesPerLine(bytesPerLine), width(width), height(height), interlace(interlace),
        left(static_cast<int64_t>(width) * height) {}

  bool isFull() const { return left == 0; }

  void put(uint8_t index) {
    if (left == 0) return;
    if (column == width) nextRow();
    out[static_cast<int64_t>(row) * bytesPerLine + column] = index;
    ++column;
    --left;
  }

 private:
  void nextRow() {
    column = 0;
    if (!interlace) {
      ++row;
      return;
    }
    row += PASS_STEP[pass];
    while (row >= height && pass < NB_PASSES - 1) {
      ++pass;
      row = PASS_START[pass];
    }
  }

  uint8_t* out;
  int bytesPerLine;
  int width;
  int height;
  bool interlace;
  int64_t left;
  int row = 0;
  int column = 0;
  int pass = 0;
};

class Decoder {
 public:
  explicit Decoder(int codeSize) : clearCode(1 << codeSize), endCode(clearCode + 1), firstFree(clearCode + 2),
                          rootWidth(codeSize + 1) {
    reset();
  }

  // Decodes until the image is full or the stream ends; false if corrupt.
  bool run(BitReader& bits, PixelWriter& pixels) {
    int code;
    while (!pixels.isFull() && bits.read(codeWidth, code)) {
      if (code == endCode) return true;
      if (code == clearCode) {
        reset();
        continue;
      }
      if (!expand(code)) return false;
      addEntry();
      widen();
      previous = code;
      for (int i = stackTop - 1; i >= 0; --i) pixels.put(stack[i]);
    }
    return true;
  }

 private:
  void reset() {
    codeWidth = rootWidth;
    nextFree = firstFree;
    previous = clearCode;
  }

  // Builds the string of code on the stack, last byte first.
  bool expand(int code) {
    stackTop = 0;
    int walk = code;
    if (code > nextFree) return false;
    if (code == nextFree) {
      // The code being defined now: the previous string plus its own first byte.
      if (previous == clearCode || nextFree >= TABLE_SIZE) return false;
      walk = previous;
      stackTop = 1;  // filled once the first byte is known
    }
    while (walk >= firstFree) {
      if (stackTop >= STACK_SIZE) return false;
      stack[stackTop++] = suffix[walk];
      walk = prefix[walk];
    }
    if (walk >= clearCode || stackTop >= STACK_SIZE) return false;  // a root must be a colour
    stack[stackTop++] = static_cast<uint8_t>(walk);
    if (code == nextFree) stack[0] = stack[stackTop - 1];
    return true;
  }

  // Adds previous + first byte of the current string. A full table stops
  // growing and keeps 12-bit codes until the encoder clears it.
  void addEntry() {
    if (previous == clearCode || nextFree >= TABLE_SIZE) return;
    prefix[nextFree] = static_cast<uint16_t>(previous);
    suffix[nextFree] = stack[stackTop - 1];
    ++nextFree;
  }

  // Codes get one bit wider once the next free code no longer fits. Checked
  // after every code, not only after an addition: with code size 1 the
  // first free code (4) already needs 3 bits, and encoders widen right
  // after the first code.
  void widen() {
    if (nextFree >= (1 << codeWidth) && codeWidth < MAX_CODE_BITS) ++codeWidth;
  }

  const int clearCode;
  const int endCode;
  const int firstFree;
  const int rootWidth;
  int codeWidth = 0;
  int nextFree = 0;
  int previous = 0;
  uint16_t prefix[TABLE_SIZE] = {};
  uint8_t suffix[TABLE_SIZE] = {};
  uint8_t stack[STACK_SIZE] = {};
  int stackTop = 0;
};

}  // namespace

int LZWDecoder(char* in, char* out, short codeSize, int bytesPerLine, int width, int height,
               int interlace, int inLength) {
  if (codeSize < MIN_CODE_SIZE || codeSize > MAX_CODE_SIZE) return 0;
  if (width <= 0 || height <= 0 || bytesPerLine < width || inLength <= 0) return 0;
  BitReader bits(reinterpret_cast<const uint8_t*>(in), inLength);
  PixelWriter pixels(reinterpret_cast<uint8_t*>(out), bytesPerLine, width, height, interlace != 0);
  Decoder decoder(codeSize);
  if (!decoder.run(bits, pixels)) return 0;
  const int64_t consumed = bits.getPosition();
  return consumed > 0 && consumed <= INT32_MAX ? static_cast<int>(consumed) : 0;
}
