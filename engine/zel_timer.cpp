#include "zel_timer.h"

#include "zel_fatal.h"

namespace {
const uint32_t MS_PER_SECOND = 1000;
}

ZEL_Timer::ZEL_Timer() : rate(0) {}

ZEL_Timer::~ZEL_Timer() {}

void ZEL_Timer::setRate(unsigned int r) { rate = r; }

unsigned int ZEL_Timer::getRate() {
  if (rate == 0) {
    ZEL_fatal("Attention le rate du timer n'a pas \xe9t\xe9 fix\xe9!\n");
  }
  return rate;
}

int64_t ZEL_Timer::getNbStep(unsigned int ms) {
  const uint32_t product = static_cast<uint32_t>(getRate()) * static_cast<uint32_t>(ms);
  const float steps = static_cast<float>(product / MS_PER_SECOND);
  return static_cast<int64_t>(steps);
}

unsigned int ZEL_Timer::getPeriodDuration(unsigned int r) {
  // Callers pass a rate checked by getRate(); 0 would be a caller fault.
  return r == 0 ? 0 : MS_PER_SECOND / r;
}

unsigned int ZEL_Timer::getFPS(unsigned long n) {
  return static_cast<uint32_t>(n) / MS_PER_SECOND;
}

void ZEL_Timer::waitWhile() { waitWhile(getPeriodDuration(getRate())); }
