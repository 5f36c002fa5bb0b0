// The main window's three timers and the port that switches them.
#pragma once

#include <cstdint>

namespace ordavi {

enum class MainTimer {
  TaskTick,         // every 10 s one pass of the task tick; running means monitoring
  CountdownSecond,  // every second of the shutdown countdown
  TickPause,        // one minute after a task ran at once, the task tick goes on again
};

inline constexpr std::uint32_t kTaskTickIntervalMs = 10000;
inline constexpr std::uint32_t kCountdownSecondIntervalMs = 1000;
inline constexpr std::uint32_t kTickPauseIntervalMs = 60000;
std::uint32_t TimerIntervalMs(MainTimer timer);

// Port: the main window's timers. Switching a timer on starts its interval
// afresh; switching on a timer that is already on changes nothing (so an
// adapter over SetTimer must not call it again for a running timer, since
// that would restart the interval). A timer that falls due while the thread is
// busy gives one event afterwards, not one per missed interval.
class TimerPort {
 public:
  virtual ~TimerPort() = default;
  virtual void SetTimerEnabled(MainTimer timer, bool on) = 0;
  virtual bool TimerEnabled(MainTimer timer) const = 0;
};

}  // namespace ordavi
