// Port: the shutdown countdown as the task tick sees it (implemented by
// Countdown in actions/countdown.h).
#pragma once

#include <string>

namespace ordavi {

class CountdownControl {
 public:
  virtual ~CountdownControl() = default;
  virtual void SetPendingAction(const std::string& word) = 0;
  virtual void StartCountdown(const std::string& word) = 0;
  virtual bool CountdownRunning() const = 0;
};

}  // namespace ordavi
