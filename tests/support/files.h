#ifndef TESTS_FILES_H
#define TESTS_FILES_H

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "wait_until.h"

// A fresh directory under /tmp, removed with what it holds when the object goes.
class TempDir {
 public:
  TempDir() : path_(mkdtemp(pattern_) != nullptr ? pattern_ : "") {}
  ~TempDir() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  char pattern_[sizeof "/tmp/zel_test_XXXXXX"] = "/tmp/zel_test_XXXXXX";
  std::string path_;
};

// Whole-file writes (giving back the path) and reads; a write that fails aborts the test program.
inline const std::string& writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* f = fopen(path.c_str(), "wb");
  if (f == nullptr || (!bytes.empty() && fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size())) abort();
  fclose(f);
  return path;
}

inline std::vector<uint8_t> bytesOf(const std::string& text) { return {text.begin(), text.end()}; }

inline std::vector<uint8_t> readFile(const std::string& path) {
  std::vector<uint8_t> bytes;
  if (FILE* f = fopen(path.c_str(), "rb")) {
    for (int c; (c = fgetc(f)) != EOF;) bytes.push_back(static_cast<uint8_t>(c));
    fclose(f);
  }
  return bytes;
}

#endif
