#ifndef TESTS_WAV_FILE_H
#define TESTS_WAV_FILE_H

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Generated sounds for the sound tests: mono 16-bit PCM WAV files, and the
// raw signed 16-bit streams that SDL's disk audio driver writes.
namespace wav_file {

const int RATE_HZ = 44100;
// 441 Hz: exactly 100 frames a period at 44100 Hz, so loops join cleanly.
const int TONE_PERIOD_FRAMES = 100;
const double PI = 3.14159265358979323846;

// A sine tone of the given peak amplitude, a whole number of periods long
// when frames is a multiple of TONE_PERIOD_FRAMES.
inline std::vector<int16_t> tone(int frames, int amplitude) {
  std::vector<int16_t> s(static_cast<size_t>(frames));
  for (int i = 0; i < frames; ++i) {
    const double phase = 2.0 * PI * (i % TONE_PERIOD_FRAMES) / TONE_PERIOD_FRAMES;
    s[static_cast<size_t>(i)] = static_cast<int16_t>(std::lround(amplitude * std::sin(phase)));
  }
  return s;
}

inline void putLe(std::string& out, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((v >> (8 * i)) & 0xff);
}

// Writes a mono 16-bit PCM WAV file at RATE_HZ; false when writing fails.
inline bool write(const std::string& path, const std::vector<int16_t>& samples) {
  const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * sizeof(int16_t));
  const uint32_t fmtBytes = 16;
  const uint32_t pcm = 1;
  const uint32_t mono = 1;
  const uint32_t bits = 16;
  const uint32_t blockAlign = mono * bits / 8;
  std::string out = "RIFF";
  putLe(out, 4 + (8 + fmtBytes) + (8 + dataBytes), 4);
  out += "WAVEfmt ";
  putLe(out, fmtBytes, 4);
  putLe(out, pcm, 2);
  putLe(out, mono, 2);
  putLe(out, RATE_HZ, 4);
  putLe(out, RATE_HZ * blockAlign, 4);
  putLe(out, blockAlign, 2);
  putLe(out, bits, 2);
  out += "data";
  putLe(out, dataBytes, 4);
  for (int16_t s : samples) putLe(out, static_cast<uint16_t>(s), 2);
  FILE* f = fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool written = fwrite(out.data(), 1, out.size(), f) == out.size();
  return fclose(f) == 0 && written;
}

// Reads a raw little-endian signed 16-bit stream.
inline std::vector<int16_t> readRaw(const std::string& path) {
  std::vector<int16_t> samples;
  FILE* f = fopen(path.c_str(), "rb");
  if (f == nullptr) return samples;
  unsigned char b[2];
  while (fread(b, 1, 2, f) == 2) {
    samples.push_back(static_cast<int16_t>(static_cast<uint16_t>(b[0] | (b[1] << 8))));
  }
  fclose(f);
  return samples;
}

// Where a stream is not silent: from its first non-zero sample to its last.
struct Span {
  size_t first = 0;
  size_t end = 0;  // one past the last non-zero sample; 0 for all silence
  size_t length() const { return end - first; }
};

inline Span soundSpan(const std::vector<int16_t>& s) {
  Span span;
  size_t i = 0;
  while (i < s.size() && s[i] == 0) ++i;
  if (i == s.size()) return span;
  span.first = i;
  size_t j = s.size();
  while (s[j - 1] == 0) --j;
  span.end = j;
  return span;
}

// Root mean square of s[first, end); 0 for an empty range.
inline double rms(const std::vector<int16_t>& s, size_t first, size_t end) {
  if (end <= first) return 0.0;
  double sum = 0.0;
  for (size_t i = first; i < end; ++i) sum += static_cast<double>(s[i]) * s[i];
  return std::sqrt(sum / static_cast<double>(end - first));
}

}  // namespace wav_file

#endif
