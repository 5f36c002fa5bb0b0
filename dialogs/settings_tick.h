// The task tick while settings dialogs are open. Opening a dialog stops the
// tick, so that no task runs while it is being edited; when the last open
// dialog closes, the tick goes back to what it would be doing without the
// dialogs: running, unless monitoring is off, a countdown runs (its end starts
// the tick) or a pause after a task that ran at once is still pending (its end
// starts the tick).
#pragma once

#include <functional>

#include "schedule/countdown_control.h"
#include "schedule/timers.h"

namespace ordavi {

class SettingsTickHold {
 public:
  SettingsTickHold(TimerPort& timers, const CountdownControl& countdown, std::function<bool()> monitoringOn)
      : timers_(timers), countdown_(countdown), monitoringOn_(std::move(monitoringOn)) {}

  void DialogOpened();
  void DialogClosed();
  bool AnyOpen() const { return open_ > 0; }

 private:
  TimerPort& timers_;
  const CountdownControl& countdown_;
  std::function<bool()> monitoringOn_;
  int open_ = 0;
};

}  // namespace ordavi
