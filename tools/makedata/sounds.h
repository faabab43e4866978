#ifndef MAKEDATA_SOUNDS_H
#define MAKEDATA_SOUNDS_H

#include <string>

// Synthesises the game's samples as 16-bit mono WAV files from a source:
//   rate HZ                          sample rate of every file
//   sound FILE.wav                   starts a sound; the lines below mix into it
//   WAVE START LENGTH FROM TO VOLUME ENVELOPE
// WAVE is sine, square, triangle, saw or noise; a voice starts at START
// seconds and lasts LENGTH, its pitch gliding from FROM to TO Hz (for
// noise: the cut-off of a low-pass filter); VOLUME is 0..1; ENVELOPE is
// flat (short ramps at both ends), fade (linear to silence) or pluck (a
// fast exponential decay). The file lasts until its last voice ends.
void makeSounds(const std::string& source, const std::string& outDir);

#endif
