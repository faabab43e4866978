#ifndef ZEL_TIMER_H
#define ZEL_TIMER_H

#include <cstdint>

// The frame timer: holds the rate in steps per second and converts
// milliseconds to steps. Created by the program entry, which keeps it for
// the whole run and hands it to the space; destroyed by the entry.
class ZEL_Timer {
 public:
  ZEL_Timer();
  virtual ~ZEL_Timer();

  // Sets the number of steps per second. 0 means "not set".
  virtual void setRate(unsigned int rate);

  // Busy-waits until ms milliseconds (modulo 2^32) have passed from now.
  // Reads the clock at least once.
  virtual void wait(unsigned long ms) = 0;

  // Records the current clock as the reference time of the frame.
  virtual void setReftime() = 0;

  // Milliseconds since the last setReftime(), unsigned 32-bit.
  virtual unsigned int howLong() = 0;

  // Busy-waits until ms milliseconds have passed since the reference time.
  // Reads the clock at least once, so a deadline already passed returns at
  // once.
  virtual void waitWhile(unsigned long ms) = 0;

  // The rate; ends the process with a message when it was never set.
  unsigned int getRate();

  // Steps lasting ms milliseconds: rate * ms / 1000 in 32-bit unsigned
  // arithmetic, passed through a float on purpose (exact below 2^24).
  int64_t getNbStep(unsigned int ms);

  // Period in milliseconds, 1000 / rate truncated (0 above 1000 steps/s).
  static unsigned int getPeriodDuration(unsigned int rate);

  // n / 1000, truncated.
  static unsigned int getFPS(unsigned long n);

  // Waits until one period has passed since the reference time.
  void waitWhile();

 protected:
  uint32_t rate;
};

#endif
