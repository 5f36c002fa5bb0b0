#include "dialogs/settings_tick.h"

namespace ordavi {

void SettingsTickHold::DialogOpened() {
  ++open_;
  timers_.SetTimerEnabled(MainTimer::TaskTick, false);
}

void SettingsTickHold::DialogClosed() {
  if (open_ == 0) return;
  if (--open_ > 0) return;
  const bool pausePending = timers_.TimerEnabled(MainTimer::TickPause);
  if (monitoringOn_() && !countdown_.CountdownRunning() && !pausePending) {
    timers_.SetTimerEnabled(MainTimer::TaskTick, true);
  }
}

}  // namespace ordavi
