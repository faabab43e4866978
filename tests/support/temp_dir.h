#ifndef TESTS_TEMP_DIR_H
#define TESTS_TEMP_DIR_H

#include <dirent.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

// A fresh directory under /tmp, removed with the files in it (no
// subdirectories) when the object goes.
class TempDir {
 public:
  TempDir() {
    char pattern[] = "/tmp/zel_test_XXXXXX";
    if (mkdtemp(pattern) != nullptr) path_ = pattern;
  }
  ~TempDir() {
    if (path_.empty()) return;
    if (DIR* d = opendir(path_.c_str())) {
      while (dirent* e = readdir(d)) {
        const std::string name = e->d_name;
        if (name != "." && name != "..") unlink(file(name).c_str());
      }
      closedir(d);
    }
    rmdir(path_.c_str());
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  bool ok() const { return !path_.empty(); }
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

#endif
