#ifndef ZEL_RECT_H
#define ZEL_RECT_H

#include <cstdint>

// A rectangle of four signed 32-bit fields, all 0 by default. As a bound
// box it is inclusive and relative to the top-left pixel of a frame.
class ZEL_Rect {
 public:
  int32_t x1 = 0;
  int32_t y1 = 0;
  int32_t x2 = 0;
  int32_t y2 = 0;
};

#endif
