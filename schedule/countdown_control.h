// Port: the shutdown countdown as the task tick sees it (implemented by
// Countdown in actions/countdown.h).
#pragma once

#include "store/task_types.h"

namespace ordavi {

class CountdownControl {
 public:
  virtual ~CountdownControl() = default;
  // Starts the countdown for a task of a countdown type; at its end the
  // countdown carries out what the type names. Returns why not (GBK) when the
  // PC cannot do what the type names, and then nothing was started; null
  // when the countdown runs.
  virtual const char* StartCountdown(const TaskType& type) = 0;
};

}  // namespace ordavi
