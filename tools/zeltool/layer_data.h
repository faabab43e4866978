#ifndef ZELTOOL_LAYER_DATA_H
#define ZELTOOL_LAYER_DATA_H

#include <cstdint>
#include <string>
#include <vector>

namespace pugi {
class xml_node;
}

// The global tile ids of a tile layer's <data>: CSV, base64 (plain, zlib,
// gzip or zstd) or <tile gid> elements. Exactly `cells` ids or ToolError
// naming `where`; no stream is inflated past the bytes `cells` ids take.
std::vector<uint32_t> decodeLayerData(const pugi::xml_node& data, size_t cells, const std::string& where);

// Inflates a zlib or gzip stream (gzip: true) into at most `limit` bytes;
// ToolError naming `where` when it is damaged or longer.
std::vector<uint8_t> inflateBounded(const std::vector<uint8_t>& in, size_t limit, bool gzip,
                                    const std::string& where);

#endif
