#include "command.h"

#include <algorithm>
#include <cstdlib>

#include "tool_error.h"

namespace {

bool declared(const std::vector<std::string>& names, const std::string& word) {
  return std::find(names.begin(), names.end(), word) != names.end();
}

}  // namespace

Args::Args(const std::vector<std::string>& words, size_t positional,
           const std::vector<std::string>& valueOptions, const std::vector<std::string>& flags) {
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string& w = words[i];
    if (w.size() < 2 || w.compare(0, 2, "--") != 0) {
      positional_.push_back(w);
    } else if (declared(flags, w)) {
      options_[w] = "";
    } else if (!declared(valueOptions, w)) {
      throw UsageError("unknown option " + w);
    } else if (i + 1 == words.size()) {
      throw UsageError(w + " needs a value");
    } else {
      options_[w] = words[++i];
    }
  }
  if (positional_.size() != positional) {
    throw UsageError("expected " + std::to_string(positional) + " file names, got " +
                     std::to_string(positional_.size()));
  }
}

int Args::number(const std::string& option, int fallback, int low, int high) const {
  if (!has(option)) return fallback;
  const std::string& text = value(option);
  char* end = nullptr;
  const long v = strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || v < low || v > high) {
    throw UsageError(option + " takes a whole number from " + std::to_string(low) + " to " +
                     std::to_string(high));
  }
  return static_cast<int>(v);
}
