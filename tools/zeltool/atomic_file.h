#ifndef ZELTOOL_ATOMIC_FILE_H
#define ZELTOOL_ATOMIC_FILE_H

#include <string>

// An output written under a temporary name beside its final one and
// renamed only by commit(): a run that fails before leaves no output and
// the file that was there untouched.
class AtomicFile {
 public:
  explicit AtomicFile(const std::string& path);
  ~AtomicFile();  // removes the temporary file unless committed
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  // Where to write now.
  const std::string& temporary() const { return temporary_; }
  // Moves the written file to its final name; ToolError on failure.
  void commit();

 private:
  std::string path_;
  std::string temporary_;
  bool committed_ = false;
};

#endif
