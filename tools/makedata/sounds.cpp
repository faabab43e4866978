#include "sounds.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "source_text.h"
#include "zel_byte_order.h"

namespace {

const int MIN_RATE = 8000;
const int MAX_RATE = 48000;
const double MAX_SECONDS = 5.0;
const double MAX_HZ = 20000.0;
const double RAMP_SECONDS = 0.004;  // long enough to avoid clicks
const double PLUCK_DECAY = 6.0;     // e-foldings over a pluck's length
const double PI = 3.14159265358979323846;
const int32_t PCM_MAX = 32767;
const uint32_t NOISE_SEED = 0x2545F491u;

enum class Wave { Sine, Square, Triangle, Saw, Noise };
enum class Envelope { Flat, Fade, Pluck };

struct Voice {
  Wave wave;
  double start, length, from, to, volume;
  Envelope envelope;
};

struct Sound {
  std::string file;
  std::vector<Voice> voices;
};

Voice parseVoice(const SourceText& source, const std::vector<std::string>& w) {
  static const char* const WAVES[] = {"sine", "square", "triangle", "saw", "noise"};
  static const char* const ENVELOPES[] = {"flat", "fade", "pluck"};
  if (w.size() != 7) source.fail("expected: WAVE START LENGTH FROM TO VOLUME ENVELOPE");
  Voice v{};
  int wave = -1, envelope = -1;
  for (int i = 0; i < 5; ++i)
    if (w[0] == WAVES[i]) wave = i;
  for (int i = 0; i < 3; ++i)
    if (w[6] == ENVELOPES[i]) envelope = i;
  if (wave < 0) source.fail("unknown wave " + w[0]);
  if (envelope < 0) source.fail("unknown envelope " + w[6]);
  v.wave = static_cast<Wave>(wave);
  v.envelope = static_cast<Envelope>(envelope);
  v.start = parseDouble(source, w[1], 0.0, MAX_SECONDS);
  v.length = parseDouble(source, w[2], 0.001, MAX_SECONDS);
  v.from = parseDouble(source, w[3], 1.0, MAX_HZ);
  v.to = parseDouble(source, w[4], 1.0, MAX_HZ);
  v.volume = parseDouble(source, w[5], 0.0, 1.0);
  if (v.start + v.length > MAX_SECONDS) source.fail("a voice past 5 seconds");
  return v;
}

double envelopeAt(const Voice& v, double t) {
  const double ramp = std::min(RAMP_SECONDS, v.length / 4);
  const double in = std::min(1.0, t / ramp);
  const double out = std::min(1.0, (v.length - t) / ramp);
  switch (v.envelope) {
    case Envelope::Flat:
      return std::min(in, out);
    case Envelope::Fade:
      return std::min(in, 1.0 - t / v.length);
    case Envelope::Pluck:
      return std::min(in, out) * std::exp(-PLUCK_DECAY * t / v.length);
  }
  return 0.0;
}

// Adds the voice into the mix, sample by sample.
void render(const Voice& v, int rate, std::vector<double>& mix) {
  const size_t first = static_cast<size_t>(v.start * rate);
  const size_t count = static_cast<size_t>(v.length * rate);
  double phase = 0.0;     // in cycles
  double filtered = 0.0;  // low-pass state for noise
  uint32_t noise = NOISE_SEED;
  for (size_t i = 0; i < count && first + i < mix.size(); ++i) {
    const double t = static_cast<double>(i) / rate;
    const double hz = v.from + (v.to - v.from) * (t / v.length);
    double s = 0.0;
    switch (v.wave) {
      case Wave::Sine:
        s = std::sin(2 * PI * phase);
        break;
      case Wave::Square:
        s = phase < 0.5 ? 1.0 : -1.0;
        break;
      case Wave::Triangle:
        s = phase < 0.5 ? 4 * phase - 1 : 3 - 4 * phase;
        break;
      case Wave::Saw:
        s = 2 * phase - 1;
        break;
      case Wave::Noise: {
        noise ^= noise << 13;
        noise ^= noise >> 17;
        noise ^= noise << 5;
        const double white = static_cast<double>(noise) / UINT32_MAX * 2 - 1;
        const double alpha = 1 - std::exp(-2 * PI * hz / rate);
        filtered += alpha * (white - filtered);
        s = filtered * 2;  // the filter takes power away; give some back
        break;
      }
    }
    phase += hz / rate;
    phase -= std::floor(phase);
    mix[first + i] += s * v.volume * envelopeAt(v, t);
  }
}

void writeWav(const std::string& path, const std::vector<double>& mix, int rate) {
  const uint32_t dataBytes = static_cast<uint32_t>(mix.size() * 2);
  std::vector<uint8_t> out;
  out.insert(out.end(), {'R', 'I', 'F', 'F'});
  zel_le::append32(out, 36 + dataBytes);
  out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  zel_le::append32(out, 16);  // fmt chunk size
  zel_le::append16(out, 1);   // PCM
  zel_le::append16(out, 1);   // mono
  zel_le::append32(out, static_cast<uint32_t>(rate));
  zel_le::append32(out, static_cast<uint32_t>(rate * 2));  // bytes per second
  zel_le::append16(out, 2);                                // bytes per frame
  zel_le::append16(out, 16);                               // bits per sample
  out.insert(out.end(), {'d', 'a', 't', 'a'});
  zel_le::append32(out, dataBytes);
  for (double s : mix) {
    const double clipped = std::max(-1.0, std::min(1.0, s));
    zel_le::append16(out, static_cast<uint16_t>(std::lround(clipped * PCM_MAX)));
  }
  FILE* f = fopen(path.c_str(), "wb");
  if (f == nullptr) failTool("cannot write " + path);
  const bool ok = fwrite(out.data(), 1, out.size(), f) == out.size();
  if (fclose(f) != 0 || !ok) failTool("cannot write " + path);
}

}  // namespace

void makeSounds(const std::string& sourcePath, const std::string& outDir) {
  SourceText source(sourcePath);
  int rate = 0;
  std::vector<Sound> sounds;
  std::vector<std::string> w;
  while (source.nextWords(&w)) {
    if (w[0] == "rate" && w.size() == 2) {
      rate = parseInt(source, w[1], MIN_RATE, MAX_RATE);
    } else if (w[0] == "sound" && w.size() == 2) {
      sounds.push_back(Sound{w[1], {}});
    } else {
      if (sounds.empty()) source.fail("a voice before its sound");
      sounds.back().voices.push_back(parseVoice(source, w));
    }
  }
  if (rate == 0) source.fail("no rate");
  for (const Sound& s : sounds) {
    if (s.voices.empty()) failTool(sourcePath + ": " + s.file + " has no voice");
    double end = 0;
    for (const Voice& v : s.voices) end = std::max(end, v.start + v.length);
    std::vector<double> mix(static_cast<size_t>(std::ceil(end * rate)), 0.0);
    for (const Voice& v : s.voices) render(v, rate, mix);
    writeWav(outDir + "/" + s.file, mix, rate);
  }
}
