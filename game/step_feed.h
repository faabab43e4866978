#ifndef STEP_FEED_H
#define STEP_FEED_H

#include <functional>

#include "zel_input_impl.h"

// An input back end that runs a function at the start of every step of the
// space, after the back ends made before it (the keyboard's) have read
// their events: where a recording or the network sets the step's inputs.
class StepFeed : private ZEL_InputImpl {
 public:
  explicit StepFeed(std::function<void()> onStep) : onStep_(std::move(onStep)) {}

 private:
  void updateTable() override { onStep_(); }
  void clearInput() override {}

  std::function<void()> onStep_;
};

#endif
