#ifndef ZELTOOL_FILES_H
#define ZELTOOL_FILES_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

bool endsWith(const std::string& s, const std::string& end);

// The folder part of a path, with its '/'; empty for a bare name.
std::string directoryOf(const std::string& path);

// The whole file into bytes, reading at most limit + 1 bytes (so a larger
// file shows as larger than limit). False when it cannot be opened.
bool readFileBytes(const std::string& path, size_t limit, std::vector<uint8_t>& bytes);

#endif
