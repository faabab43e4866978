#include "files.h"

#include <cstdio>

bool endsWith(const std::string& s, const std::string& end) {
  return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

std::string directoryOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

bool readFileBytes(const std::string& path, size_t limit, std::vector<uint8_t>& bytes) {
  FILE* f = fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  bytes.clear();
  uint8_t chunk[65536];
  for (size_t n; bytes.size() <= limit && (n = fread(chunk, 1, sizeof chunk, f)) > 0;) {
    bytes.insert(bytes.end(), chunk, chunk + n);
  }
  fclose(f);
  return true;
}
