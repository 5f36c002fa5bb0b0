// The main window's three timers over SetTimer and KillTimer, and their
// WM_TIMER messages turned into the main window's events.
#pragma once

#include <windows.h>

#include "app/main_window_events.h"
#include "schedule/timers.h"

namespace ordavi {

class WindowTimers : public TimerPort {
 public:
  // `window` is the main window's handle, read at each call.
  explicit WindowTimers(const HWND& window) : window_(window) {}

  void SetTimerEnabled(MainTimer timer, bool on) override {
    bool& state = on_[static_cast<int>(timer)];
    if (state == on) return;  // switching a running timer on again must not restart its interval
    state = on;
    if (on) {
      SetTimer(window_, IdOf(timer), TimerIntervalMs(timer), nullptr);
    } else {
      KillTimer(window_, IdOf(timer));
    }
  }
  bool TimerEnabled(MainTimer timer) const override { return on_[static_cast<int>(timer)]; }
  // The state the window is created in: the task tick's and the countdown's
  // timers on; start-up then stops the countdown's.
  void StartAsCreated() {
    SetTimerEnabled(MainTimer::TaskTick, true);
    SetTimerEnabled(MainTimer::CountdownSecond, true);
  }
  void StopAll() {
    for (MainTimer t : {MainTimer::TaskTick, MainTimer::CountdownSecond, MainTimer::TickPause}) {
      SetTimerEnabled(t, false);
    }
  }

  // The WM_TIMER id of each timer: 1, 2, 3.
  static UINT_PTR IdOf(MainTimer timer) { return static_cast<UINT_PTR>(timer) + 1; }

  // WM_TIMER with `id`: the event of its timer; another id gives none.
  static void Fire(UINT_PTR id, MainWindowEvents& events) {
    if (id == IdOf(MainTimer::TaskTick)) events.OnTaskTick();
    if (id == IdOf(MainTimer::CountdownSecond)) events.OnCountdownSecond();
    if (id == IdOf(MainTimer::TickPause)) events.OnTickPauseEnd();
  }

 private:
  const HWND& window_;
  bool on_[3] = {false, false, false};
};

}  // namespace ordavi
