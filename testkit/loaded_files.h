#ifndef TESTKIT_LOADED_FILES_H
#define TESTKIT_LOADED_FILES_H

// For programs that load files again and again (benchmarks, fuzzing) and
// write them (tests and benchmarks of zeltool).

#include <cstdint>
#include <string>
#include <vector>

#include "zel_anim_data.h"
#include "zel_grafbox_sdl.h"
#include "zel_surface.h"

// Gives back what a loaded animation keeps for the whole process (its
// frames, boxes and delays), and has the graphics box's record of surfaces
// forget every surface made so far. The animation itself stays the caller's.
inline void releaseAnimation(ZEL_AnimData* a) {
  for (int i = 0; i < a->getFrames()->getSize(); ++i) delete a->getFrames()->elementAt(i);
  for (int i = 0; i < a->getBoundBoxes()->getSize(); ++i) delete a->getBoundBoxes()->elementAt(i);
  for (int i = 0; i < a->getDelays()->getSize(); ++i) delete a->getDelays()->elementAt(i);
  ZEL_GrafboxSDL::getAllSurfaces().empty();
}

// Standard base64 with padding, as TMX layer data holds it.
inline std::string base64(const std::vector<uint8_t>& bytes) {
  const char* digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    const uint32_t n = bytes[i] << 16 | (i + 1 < bytes.size() ? bytes[i + 1] << 8 : 0) |
                       (i + 2 < bytes.size() ? bytes[i + 2] : 0);
    for (size_t k = 0; k < 4; ++k) out += i + k <= bytes.size() ? digits[n >> (18 - 6 * k) & 63] : '=';
  }
  return out;
}

#endif
