#include "hostile_files.h"

#include <gtest/gtest.h>

#include <cctype>
#include <random>

#include "files.h"

namespace {

const int EXIT_FATAL = 255;  // exit(-1)
const int CHILD_TIMEOUT_MS = 10000;
const int MAX_BYTES_CHANGED = 4;
const uint8_t HIGH_BIT = 0x80;

bool matchesFrom(const char* t, const std::string& text, size_t at) {
  if (*t == '\0') return at == text.size();
  if (t[0] == '%' && t[1] == 's') {
    for (size_t end = at;; ++end) {
      if (matchesFrom(t + 2, text, end)) return true;
      if (end == text.size() || text[end] == '\n') return false;
    }
  }
  if (t[0] == '%' && t[1] == 'd') {
    if (at == text.size() || text[at] < '1' || text[at] > '9') return false;
    size_t end = at + 1;
    while (end < text.size() && isdigit(static_cast<unsigned char>(text[end]))) ++end;
    return matchesFrom(t + 2, text, end);
  }
  return at < text.size() && text[at] == *t && matchesFrom(t + 1, text, at + 1);
}

bool matchesOne(const std::string& text, const std::vector<std::string>& patterns) {
  for (const std::string& p : patterns) {
    if (matchesTemplate(text, p)) return true;
  }
  return false;
}

// Standard output less the whole warning lines at its start.
std::string withoutWarnings(std::string out, const std::vector<std::string>& warnings) {
  for (size_t end = out.find('\n'); end != std::string::npos; end = out.find('\n')) {
    if (!matchesOne(out.substr(0, end + 1), warnings)) break;
    out.erase(0, end + 1);
  }
  return out;
}

std::vector<uint8_t> mutated(std::vector<uint8_t> bytes, std::mt19937& random, size_t headerBytes) {
  auto pick = [&](size_t high) { return std::uniform_int_distribution<size_t>(0, high)(random); };
  for (size_t i = 1 + pick(MAX_BYTES_CHANGED - 1); i > 0; --i) bytes[pick(bytes.size() - 1)] = pick(UINT8_MAX);
  if (headerBytes > 0 && random() % 2 == 0) bytes[pick(std::min(headerBytes, bytes.size()) - 1)] ^= HIGH_BIT;
  return bytes;
}

// Why a child's ending is neither a clean load nor one engine message; empty when it is.
std::string badEnding(const ChildResult& r, const EngineMessages& messages) {
  if (r.timedOut) return "timed out";
  if (!r.exited) return "killed by signal " + std::to_string(r.signal);
  const std::string out = withoutWarnings(r.out, messages.warnings);
  if (r.exitCode == 0) return out.empty() && r.err.empty() ? "" : "output on success";
  if (r.exitCode != EXIT_FATAL) return "exit status " + std::to_string(r.exitCode);
  if (r.err.empty() && matchesOne(out, messages.out)) return "";
  if (out.empty() && matchesOne(r.err, messages.err)) return "";
  return "no engine message";
}

}  // namespace

bool matchesTemplate(const std::string& text, const std::string& pattern) {
  return matchesFrom(pattern.c_str(), text, 0);
}

SweepCounts sweepHostileCopies(const std::vector<uint8_t>& good, const std::string& path,
                               const std::function<void(const Damage&)>& load,
                               const EngineMessages& messages, int mutations, uint32_t seed,
                               size_t headerBytes) {
  SweepCounts counts;
  std::mt19937 random(seed);
  const size_t copies = good.size() + 1 + static_cast<size_t>(mutations);
  for (size_t i = 0; i < copies; ++i) {
    const Damage damage{i <= good.size(), i <= good.size() ? i : good.size()};
    writeFile(path, damage.cut ? std::vector<uint8_t>(good.begin(), good.begin() + i)
                               : mutated(good, random, headerBytes));
    const ChildResult r = runInChild([&] { load(damage); }, CHILD_TIMEOUT_MS);
    const std::string why = badEnding(r, messages);
    EXPECT_EQ(why, "") << path << (damage.cut ? " cut at " : " changed, round ")
                       << (damage.cut ? i : i - good.size() - 1) << ": " << describe(r);
    counts.loaded += r.exited && r.exitCode == 0;
    counts.refused += why.empty() && r.exitCode == EXIT_FATAL;
  }
  return counts;
}
