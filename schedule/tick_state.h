// Whether the task tick runs, and if not, why. This is the one place that
// switches the tick's two timers (TaskTick and TickPause); everything else
// that stops the tick holds a reason here and releases it when it is over.
//
// The tick runs exactly when no reason holds it, with one exception the
// user's own choice gives: switching monitoring on also ends a pending pause,
// so the tick runs at once (a task that ran in the pause's minute is not due
// again, since its minute has passed by the time anybody could switch
// monitoring off and on).
//
// Reasons: monitoring switched off (the tray menu), a countdown running, a
// settings dialog open (counted: the tick runs again when the last one
// closes), the minute's pause after a task that ran at once (TickPause runs
// while it holds), junk cleaning running.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "schedule/timers.h"

namespace ordavi {

enum class TickStop : std::uint8_t {
  MonitoringOff = 1 << 0,
  Countdown = 1 << 1,
  SettingsOpen = 1 << 2,
  Pause = 1 << 3,
  JunkCleaning = 1 << 4,
};

// A short Chinese phrase for the reason, for the user ("设置窗口已打开").
const char* TickStopText(TickStop reason);

class TickRunState {
 public:
  // Nothing holds the tick yet; the timers are left as they are until the
  // first call.
  explicit TickRunState(TimerPort& timers) : timers_(timers) {}

  // Start-up: monitoring on, nothing else holds the tick, so it runs.
  void Start();

  void MonitoringSwitchedOn();  // also ends a pending pause (see above)
  void MonitoringSwitchedOff();
  void CountdownStarted();
  void CountdownEnded();  // completed, cut short or cancelled
  void SettingsDialogOpened();
  void SettingsDialogClosed();
  // The pause after a task that ran at once: the tick stops and TickPause
  // starts afresh, so it lasts a full minute from this task even when a pause
  // was already running.
  void StartPause();
  // TickPause has fired: the pause is over and its timer goes off.
  void EndPause();
  // Runs `clean`, the junk cleaning (it blocks the thread), with the tick
  // held for it; the hold ends even when `clean` throws.
  template <typename Clean>
  void WhileCleaningJunk(Clean&& clean) {
    struct Hold {
      explicit Hold(TickRunState& s) : state(s) { state.Hold(TickStop::JunkCleaning); }
      ~Hold() { state.Release(TickStop::JunkCleaning); }
      TickRunState& state;
    } hold(*this);
    clean();
  }

  bool Running() const { return held_ == 0; }
  bool HeldBy(TickStop reason) const { return (held_ & Bit(reason)) != 0; }
  // Every reason that holds the tick now, in the order of the enum.
  std::vector<TickStop> Reasons() const;
  // "运行中", or "已停止：" and the reasons' texts joined by "、".
  std::string Describe() const;
  // The texts of every reason that held the tick at any time since the last
  // call (joined by "、", empty when none did); the run history asks at each
  // pass, to say why the minutes no pass saw were skipped.
  std::string TakeHeldSinceLastAsked();

 private:
  static std::uint8_t Bit(TickStop r) { return static_cast<std::uint8_t>(r); }
  void Hold(TickStop reason);
  void Release(TickStop reason);
  // Makes TaskTick follow the reasons.
  void Apply();

  TimerPort& timers_;
  std::uint8_t held_ = 0;
  std::uint8_t heldSinceAsked_ = 0;
  int openDialogs_ = 0;
};

}  // namespace ordavi
