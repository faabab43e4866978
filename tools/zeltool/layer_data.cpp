#include "layer_data.h"

#include <zlib.h>
#include <zstd.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>
#include <pugixml.hpp>

#include "tool_error.h"
#include "zel_byte_order.h"

namespace {

const size_t GID_BYTES = 4;
const int GZIP_WINDOW_BITS = 16 + MAX_WBITS;  // zlib's way to ask for a gzip header
const int BASE64_BITS = 6;
const int BITS_PER_BYTE = 8;
const size_t FIRST_OUTPUT_BYTES = 1 << 16;

int base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

std::vector<uint8_t> base64Decode(const char* text, size_t limit, const std::string& where) {
  std::vector<uint8_t> out;
  uint32_t acc = 0;
  int bits = 0;
  for (const char* p = text; *p != '\0' && *p != '='; ++p) {
    if (isspace(static_cast<unsigned char>(*p))) continue;
    const int v = base64Value(*p);
    if (v < 0) throw ToolError(where + ": the base64 data holds '" + std::string(1, *p) + "'");
    acc = (acc << BASE64_BITS) | static_cast<uint32_t>(v);
    bits += BASE64_BITS;
    if (bits >= BITS_PER_BYTE) {
      bits -= BITS_PER_BYTE;
      out.push_back(static_cast<uint8_t>(acc >> bits));
      if (out.size() > limit) throw ToolError(where + ": the data is longer than the layer's cells");
    }
  }
  return out;
}

std::vector<uint8_t> zstdBounded(const std::vector<uint8_t>& in, size_t limit, const std::string& where) {
  std::vector<uint8_t> out(limit + 1);
  std::unique_ptr<ZSTD_DStream, size_t (*)(ZSTD_DStream*)> stream(ZSTD_createDStream(), ZSTD_freeDStream);
  ZSTD_inBuffer src = {in.data(), in.size(), 0};
  ZSTD_outBuffer dst = {out.data(), out.size(), 0};
  size_t left = 1;
  while (left != 0 && src.pos < src.size && dst.pos < dst.size) {
    left = ZSTD_decompressStream(stream.get(), &dst, &src);
    if (ZSTD_isError(left)) throw ToolError(where + ": damaged zstd data: " + ZSTD_getErrorName(left));
  }
  if (dst.pos > limit) throw ToolError(where + ": the data is longer than the layer's cells");
  if (left != 0) throw ToolError(where + ": the zstd data ends early");
  out.resize(dst.pos);
  return out;
}

// Each id is taken only while there is room for it, so no count is ever
// made past the layer's cells.
void addId(std::vector<uint32_t>& ids, uint32_t id, size_t cells, const std::string& where) {
  if (ids.size() == cells)
    throw ToolError(where + ": the data holds more than " + std::to_string(cells) + " cells");
  ids.push_back(id);
}

void checkCount(size_t got, size_t cells, const std::string& where) {
  if (got != cells) {
    throw ToolError(where + ": the data holds " + std::to_string(got) + " cells, not " +
                    std::to_string(cells));
  }
}

std::vector<uint32_t> littleEndianIds(const std::vector<uint8_t>& bytes, size_t cells,
                                      const std::string& where) {
  if (bytes.size() != cells * GID_BYTES) {
    throw ToolError(where + ": the data holds " + std::to_string(bytes.size() / GID_BYTES) + " cells, not " +
                    std::to_string(cells));
  }
  std::vector<uint32_t> ids(cells);
  for (size_t i = 0; i < cells; ++i) ids[i] = zel_le::get32(&bytes[i * GID_BYTES]);
  return ids;
}

std::vector<uint32_t> csvIds(const char* text, size_t cells, const std::string& where) {
  std::vector<uint32_t> ids;
  for (const char* p = text; *p != '\0';) {
    if (isspace(static_cast<unsigned char>(*p)) || *p == ',') {
      ++p;
      continue;
    }
    char* end = nullptr;
    const unsigned long long id = strtoull(p, &end, 10);
    if (end == p || id > UINT32_MAX || !isdigit(static_cast<unsigned char>(*p))) {
      throw ToolError(where + ": the CSV data holds something that is not a tile id");
    }
    addId(ids, static_cast<uint32_t>(id), cells, where);
    p = end;
  }
  checkCount(ids.size(), cells, where);
  return ids;
}

std::vector<uint32_t> elementIds(const pugi::xml_node& data, size_t cells, const std::string& where) {
  std::vector<uint32_t> ids;
  for (pugi::xml_node tile : data.children("tile")) {
    addId(ids, tile.attribute("gid").as_uint(0), cells, where);
  }
  checkCount(ids.size(), cells, where);
  return ids;
}

}  // namespace

std::vector<uint8_t> inflateBounded(const std::vector<uint8_t>& in, size_t limit, bool gzip,
                                    const std::string& where) {
  // The output grows as it fills, never past limit + 1 bytes (one more
  // tells a stream that is too long).
  std::vector<uint8_t> out(std::min(limit + 1, FIRST_OUTPUT_BYTES));
  z_stream z = {};
  if (inflateInit2(&z, gzip ? GZIP_WINDOW_BITS : MAX_WBITS) != Z_OK) throw ToolError(where + ": zlib failed");
  z.next_in = const_cast<Bytef*>(in.data());
  z.avail_in = static_cast<uInt>(in.size());
  int status = Z_OK;
  size_t made = 0;
  while (status == Z_OK) {
    if (made == out.size()) {
      if (out.size() > limit) break;
      out.resize(std::min(limit + 1, out.size() * 2));
    }
    z.next_out = out.data() + made;
    z.avail_out = static_cast<uInt>(out.size() - made);
    status = inflate(&z, Z_NO_FLUSH);
    made = out.size() - z.avail_out;
  }
  inflateEnd(&z);
  if (made > limit) throw ToolError(where + ": the data is longer than the layer's cells");
  if (status != Z_STREAM_END) throw ToolError(where + ": damaged " + (gzip ? "gzip" : "zlib") + " data");
  out.resize(made);
  return out;
}

std::vector<uint32_t> decodeLayerData(const pugi::xml_node& data, size_t cells, const std::string& where) {
  const std::string encoding = data.attribute("encoding").value();
  const std::string compression = data.attribute("compression").value();
  if (data.child("chunk")) throw ToolError(where + ": chunked (infinite) map data is not supported");
  if (encoding.empty()) return elementIds(data, cells, where);
  if (encoding == "csv") return csvIds(data.text().get(), cells, where);
  if (encoding != "base64") throw ToolError(where + ": unknown data encoding '" + encoding + "'");
  const size_t bytes = cells * GID_BYTES;
  if (compression.empty())
    return littleEndianIds(base64Decode(data.text().get(), bytes, where), cells, where);
  // The packed bytes are bounded by the text already read; what they
  // inflate to is bounded by the cells.
  const std::vector<uint8_t> packed = base64Decode(data.text().get(), SIZE_MAX - 1, where);
  if (compression == "zlib" || compression == "gzip") {
    return littleEndianIds(inflateBounded(packed, bytes, compression == "gzip", where), cells, where);
  }
  if (compression == "zstd") return littleEndianIds(zstdBounded(packed, bytes, where), cells, where);
  throw ToolError(where + ": unknown data compression '" + compression + "'");
}
