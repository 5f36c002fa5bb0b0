// The main window's timers over SetTimer and KillTimer, and their
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

  void StartTimer(MainTimer timer, std::uint32_t intervalMs) override {
    bool& on = on_[static_cast<int>(timer)];
    if (on) return;  // switching a running timer on again must not restart its interval
    on = true;
    SetTimer(window_, IdOf(timer), intervalMs, nullptr);
  }
  void StopTimer(MainTimer timer) override {
    bool& on = on_[static_cast<int>(timer)];
    if (!on) return;
    on = false;
    KillTimer(window_, IdOf(timer));
  }
  // The window is destroyed: no timer outlives it.
  void StopAll() {
    for (MainTimer t : {MainTimer::TaskTick, MainTimer::CountdownSecond, MainTimer::TickPause, MainTimer::Postponed,
                        MainTimer::KeepAwake}) {
      StopTimer(t);
    }
  }

  // The WM_TIMER id of each timer: 1, 2, 3, 4, 5.
  static UINT_PTR IdOf(MainTimer timer) { return static_cast<UINT_PTR>(timer) + 1; }

  // WM_TIMER with `id`: the event of its timer; another id gives none.
  static void Fire(UINT_PTR id, MainWindowEvents& events) {
    if (id == IdOf(MainTimer::TaskTick)) events.OnTaskTick();
    if (id == IdOf(MainTimer::CountdownSecond)) events.OnCountdownSecond();
    if (id == IdOf(MainTimer::TickPause)) events.OnTickPauseEnd();
    if (id == IdOf(MainTimer::Postponed)) events.OnPostponedTime();
    if (id == IdOf(MainTimer::KeepAwake)) events.OnKeepAwakeTime();
  }

 private:
  const HWND& window_;
  bool on_[5] = {false, false, false, false, false};
};

}  // namespace ordavi
