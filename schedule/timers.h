// The main window's timers and the port that switches them. Each timer
// has one owner, which alone switches it and knows its interval: the task
// tick and its pause belong to TickRunState (schedule/tick_state.h), the
// countdown's second to Countdown (actions/countdown.h), the postponed
// action's to Postponement (actions/postpone.h), the keep-awake's check to
// KeepAwake (actions/keep_awake.h).
#pragma once

#include <cstdint>

namespace ordavi {

enum class MainTimer {
  TaskTick,         // one pass of the task tick; running means monitoring
  CountdownSecond,  // each second of the shutdown countdown
  TickPause,        // after a task ran at once, the task tick goes on again
  Postponed,        // a postponed countdown's action: its countdown comes back
  KeepAwake,        // the keep-awake's end, program and battery looked at
};

// Port: the main window's timers. Switching a timer on starts its interval
// afresh; switching on a timer that is already on changes nothing (so an
// adapter over SetTimer must not call it again for a running timer, since
// that would restart the interval). A timer that falls due while the thread is
// busy gives one event afterwards, not one per missed interval.
class TimerPort {
 public:
  virtual ~TimerPort() = default;
  virtual void StartTimer(MainTimer timer, std::uint32_t intervalMs) = 0;
  virtual void StopTimer(MainTimer timer) = 0;
};

}  // namespace ordavi
