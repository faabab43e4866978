#ifndef MAKEDATA_SOURCE_TEXT_H
#define MAKEDATA_SOURCE_TEXT_H

#include <string>
#include <vector>

// A data source read line by line. Blank lines and lines whose first
// non-blank character is '#' are skipped; trailing blanks are dropped.
// Errors name the file and line and end the tool.
class SourceText {
 public:
  explicit SourceText(const std::string& path);

  // The next line that holds something; false at the end of the file.
  bool next(std::string* line);
  // The next line as blank-separated words; false at the end of the file.
  bool nextWords(std::vector<std::string>* words);

  [[noreturn]] void fail(const std::string& message) const;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  std::vector<std::string> lines_;
  size_t index_ = 0;  // lines already read
};

// Splits at blanks and tabs.
std::vector<std::string> splitWords(const std::string& line);

// Ends the tool with a message on standard error.
[[noreturn]] void failTool(const std::string& message);

// The integer in text, within [lowest, highest]; fails through source.
int parseInt(const SourceText& source, const std::string& text, int lowest, int highest);
double parseDouble(const SourceText& source, const std::string& text, double lowest, double highest);

#endif
