#include "atomic_file.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <set>

#include "tool_error.h"

namespace {

// Temporaries not yet committed; removed also when the engine ends the
// process through exit() on a write error.
std::set<std::string>& pending() {
  static std::set<std::string> names;
  return names;
}

void removePending() {
  for (const std::string& name : pending()) remove(name.c_str());
}

}  // namespace

AtomicFile::AtomicFile(const std::string& path)
    : path_(path), temporary_(path + ".tmp" + std::to_string(getpid())) {
  static const bool registered = atexit(removePending) == 0;
  (void)registered;
  pending().insert(temporary_);
}

AtomicFile::~AtomicFile() {
  if (!committed_) remove(temporary_.c_str());
  pending().erase(temporary_);
}

void AtomicFile::commit() {
  if (rename(temporary_.c_str(), path_.c_str()) != 0) throw ToolError(path_ + ": cannot write the file");
  committed_ = true;
  pending().erase(temporary_);
}
