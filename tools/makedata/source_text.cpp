#include "source_text.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

SourceText::SourceText(const std::string& path) : path_(path) {
  std::ifstream in(path);
  if (!in) failTool("cannot read " + path);
  std::string line;
  while (std::getline(in, line)) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r')) line.pop_back();
    lines_.push_back(line);
  }
}

bool SourceText::next(std::string* line) {
  while (index_ < lines_.size()) {
    const std::string& l = lines_[index_++];
    const size_t first = l.find_first_not_of(" \t");
    if (first == std::string::npos || l[first] == '#') continue;
    *line = l;
    return true;
  }
  return false;
}

bool SourceText::nextWords(std::vector<std::string>* words) {
  std::string line;
  if (!next(&line)) return false;
  *words = splitWords(line);
  return true;
}

void SourceText::fail(const std::string& message) const {
  failTool(path_ + ":" + std::to_string(index_) + ": " + message);
}

std::vector<std::string> splitWords(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  std::string w;
  while (in >> w) words.push_back(w);
  return words;
}

void failTool(const std::string& message) {
  fprintf(stderr, "makedata: %s\n", message.c_str());
  exit(1);
}

int parseInt(const SourceText& source, const std::string& text, int lowest, int highest) {
  char* end = nullptr;
  const long v = strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || v < lowest || v > highest) {
    source.fail("expected a whole number from " + std::to_string(lowest) + " to " +
                std::to_string(highest) + ", not '" + text + "'");
  }
  return static_cast<int>(v);
}

double parseDouble(const SourceText& source, const std::string& text, double lowest, double highest) {
  char* end = nullptr;
  const double v = strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || !(v >= lowest && v <= highest)) {
    source.fail("expected a number from " + std::to_string(lowest) + " to " + std::to_string(highest) +
                ", not '" + text + "'");
  }
  return v;
}
