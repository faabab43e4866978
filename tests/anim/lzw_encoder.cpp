#include "lzw_encoder.h"

#include <cstddef>
#include <unordered_map>

void LzwBitWriter::put(int code, int width) {
  for (int i = 0; i < width; ++i, ++bits) {
    if ((bits & 7) == 0) out.push_back(0);
    if ((code >> i) & 1) out.back() |= static_cast<uint8_t>(1u << (bits & 7));
  }
}

namespace {

const int MAX_CODE_BITS = 12;
const int TABLE_SIZE = 1 << MAX_CODE_BITS;
const int GIFLIB_CLEAR_AT = TABLE_SIZE - 1;

class Encoder {
 public:
  explicit Encoder(const LzwEncodeOptions& o)
      : options(o), clearCode(1 << o.codeSize), endCode(clearCode + 1), firstFree(clearCode + 2),
        width(o.codeSize + 1) {}

  std::vector<uint8_t> run(const std::vector<uint8_t>& indices) {
    clear();
    if (!indices.empty()) {
      int current = indices[0];
      for (size_t i = 1; i < indices.size(); ++i) {
        const uint32_t key = (static_cast<uint32_t>(current) << 8) | indices[i];
        const auto found = table.find(key);
        if (found != table.end()) {
          current = found->second;
          continue;
        }
        emit(current);
        addOrClear(key);
        current = indices[i];
      }
      emit(current);
    }
    if (options.endCode) writer.put(endCode, width);
    return writer.bytes();
  }

 private:
  void clear() {
    writer.put(clearCode, width);
    table.clear();
    width = options.codeSize + 1;
    encoderNext = decoderNext = firstFree;
    afterClear = true;
    fullTableCodes = 0;
  }

  // Writes a string's code, then follows the decoder, which adds the
  // entry the encoder made one code earlier and may widen.
  void emit(int code) {
    writer.put(code, width);
    if (!afterClear && decoderNext < TABLE_SIZE) ++decoderNext;
    if (decoderNext >= (1 << width) && width < MAX_CODE_BITS) ++width;
    afterClear = false;
  }

  void addOrClear(uint32_t key) {
    if (options.tableFull == LzwTableFull::ClearAt4095) {
      if (encoderNext >= GIFLIB_CLEAR_AT) {
        clear();
      } else {
        table[key] = encoderNext++;
      }
      return;
    }
    if (encoderNext < TABLE_SIZE) {
      table[key] = encoderNext++;
    } else if (++fullTableCodes >= options.codesBeforeClear) {
      clear();
    }
  }

  const LzwEncodeOptions options;
  const int clearCode;
  const int endCode;
  const int firstFree;
  LzwBitWriter writer;
  std::unordered_map<uint32_t, int> table;
  int width;
  int encoderNext = 0;
  int decoderNext = 0;
  bool afterClear = true;
  int fullTableCodes = 0;
};

}  // namespace

std::vector<uint8_t> lzwEncode(const std::vector<uint8_t>& indices, const LzwEncodeOptions& options) {
  Encoder encoder(options);
  return encoder.run(indices);
}
