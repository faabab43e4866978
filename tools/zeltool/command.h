#ifndef ZELTOOL_COMMAND_H
#define ZELTOOL_COMMAND_H

#include <map>
#include <string>
#include <vector>

// A subcommand's arguments: its positional words, then "--name value"
// options and "--name" flags, as the command declares them.
class Args {
 public:
  // UsageError for an undeclared option, a missing value, or a count of
  // positional words other than `positional`.
  Args(const std::vector<std::string>& words, size_t positional, const std::vector<std::string>& valueOptions,
       const std::vector<std::string>& flags);

  const std::string& operator[](size_t i) const { return positional_[i]; }
  bool has(const std::string& option) const { return options_.count(option) > 0; }
  const std::string& value(const std::string& option) const { return options_.at(option); }
  // A whole number from low to high, or UsageError.
  int number(const std::string& option, int fallback, int low, int high) const;

 private:
  std::vector<std::string> positional_;
  std::map<std::string, std::string> options_;
};

struct Command {
  const char* name;
  const char* usage;    // the arguments, after "zeltool NAME "
  const char* summary;  // one line
  const char* help;     // what the options mean
  int (*run)(const std::vector<std::string>& words);
};

int runImport(const std::vector<std::string>& words);
int runExport(const std::vector<std::string>& words);
int runRender(const std::vector<std::string>& words);
int runInfo(const std::vector<std::string>& words);
int runSprite(const std::vector<std::string>& words);
int runSheet(const std::vector<std::string>& words);

#endif
