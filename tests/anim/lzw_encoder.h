#ifndef TESTS_LZW_ENCODER_H
#define TESTS_LZW_ENCODER_H

#include <cstdint>
#include <vector>

// Packs codes least significant bit first, as GIF image data does.
class LzwBitWriter {
 public:
  void put(int code, int width);
  // The bytes so far; a last partial byte is padded with zero bits.
  const std::vector<uint8_t>& bytes() const { return out; }
  int64_t bitCount() const { return bits; }

 private:
  std::vector<uint8_t> out;
  int64_t bits = 0;
};

// What the encoder does when its code table is full.
enum class LzwTableFull {
  // Sends a clear code as soon as its next free code is 4095, as giflib does.
  ClearAt4095,
  // Assigns code 4095, then keeps sending 12-bit codes without adding
  // entries for codesBeforeClear codes, then clears.
  KeepFullTable,
};

struct LzwEncodeOptions {
  int codeSize = 8;
  LzwTableFull tableFull = LzwTableFull::ClearAt4095;
  int codesBeforeClear = 1000;
  bool endCode = true;  // close the stream with the end code
};

// A small GIF-style LZW encoder for tests. Code widths follow the decoder,
// whose table lags one entry behind the encoder's: after each code it
// widens when its next free code reaches 2^width (for code size 1 that is
// right after the first code).
// Every index must be below 2^codeSize.
std::vector<uint8_t> lzwEncode(const std::vector<uint8_t>& indices, const LzwEncodeOptions& options);

#endif
