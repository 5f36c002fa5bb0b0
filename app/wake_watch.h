// Waking the PC for a task: while monitoring is on, the agent keeps one
// waitable timer set, with resume, for the soonest minute a task wakes the PC
// for (schedule/soonest_run.h), a little before it, so the PC is up when the
// minute comes and the tick runs the task at its minute as any other. A PC
// woken by a timer that sees no user goes back to sleep after about two
// minutes, its screen possibly off: from the woken minute the agent keeps the
// system awake (and the screen on for a reminder) for kKeepAwakeMinutes of
// awake time, or until monitoring goes off.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "actions/keep_awake.h"
#include "schedule/calendar.h"
#include "schedule/schedule.h"
#include "schedule/sleep_watch.h"
#include "schedule/soonest_run.h"
#include "store/tasks.h"

namespace ordavi {

// How long before its minute the wake timer goes off.
inline constexpr int kWakeLeadSeconds = 60;
// How long the PC is kept awake from a woken minute.
inline constexpr int kKeepAwakeMinutes = 10;

// The port: the agent's one waitable timer, and the execution state.
class WakeSystem {
 public:
  virtual ~WakeSystem() = default;
  // Sets the timer, with resume, to kWakeLeadSeconds before the local minute
  // `at` (replacing any earlier setting).
  virtual void SetWakeTimer(const LocalMinute& at) = 0;
  virtual void CancelWakeTimer() = 0;
  // Keeps the system awake (and with `display` the screen on) until called
  // with both false.
  virtual void KeepAwake(bool system, bool display) = 0;
};

class WakeWatch {
 public:
  WakeWatch(TaskStore& tasks, WakeSystem& system, AwakeClock& awake) : tasks_(tasks), system_(system), awake_(awake) {}

  // After a pass of `now`'s minute while monitoring is on: the timer is set
  // for the soonest wake minute after it when that changed, cancelled when
  // none is left. The tasks are searched as SoonestRunReading says. A pass in the minute the timer was set for
  // keeps the PC awake; the first pass kKeepAwakeMinutes later lets it go.
  void AfterPass(const ScheduleNow& now, std::uint32_t uptimeMinutes, const std::string& shortDateFormat);
  // The tasks, the clock or the time zone may have changed (a settings
  // dialog closed, a resume, a clock change): the next AfterPass reads the
  // tasks again and sets the timer again, even for the same minute.
  void TasksChanged() { reading_.TasksChanged(); }
  // Monitoring went off: the timer is cancelled and the PC let go.
  void Stop();
  // The agent itself keeps the screen on now (after a woken reminder).
  bool KeepsDisplayOn() const { return keepUntil_.has_value() && keepsDisplay_; }

 private:
  TaskStore& tasks_;
  WakeSystem& system_;
  AwakeClock& awake_;
  SoonestRunReading reading_;
  std::optional<LocalMinute> timerAt_;
  bool timerForReminder_ = false;
  std::optional<std::uint64_t> keepUntil_;  // awake time
  bool keepsDisplay_ = false;
};

// The display requests of other programs: the agent's own, kept after a
// woken reminder or by a keep-awake with the screen on, is no film playing
// for the idle kind. (While it holds one, the system's answer cannot tell
// another program's apart, so none counts.)
class OtherProgramsDisplayRequests : public DisplayRequests {
 public:
  OtherProgramsDisplayRequests(DisplayRequests& system, const WakeWatch& wake, const KeepAwake& keepAwake)
      : system_(system), wake_(wake), keepAwake_(keepAwake) {}
  bool DisplayRequired() override {
    return !wake_.KeepsDisplayOn() && !keepAwake_.KeepsDisplayOn() && system_.DisplayRequired();
  }

 private:
  DisplayRequests& system_;
  const WakeWatch& wake_;
  const KeepAwake& keepAwake_;
};

}  // namespace ordavi
