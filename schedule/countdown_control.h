// Port: the shutdown countdown as the task tick sees it (implemented by
// Countdown in actions/countdown.h).
#pragma once

#include "store/task_types.h"

namespace ordavi {

class CountdownControl {
 public:
  virtual ~CountdownControl() = default;
  // Starts the countdown for a task of a countdown type; at its end the
  // countdown carries out what the type names.
  virtual void StartCountdown(const TaskType& type) = 0;
};

}  // namespace ordavi
