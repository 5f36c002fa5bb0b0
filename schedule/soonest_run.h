// The stored task that runs soonest after a minute: the tray tip names it,
// and the soonest one that wakes the PC sets the agent's wake timer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "schedule/next_run.h"
#include "store/tasks.h"

namespace ordavi {

// Whether a task wakes the PC to run: its wake flag is set and its kind has
// a clock time (an after-boot minute is no time of day to wake for).
bool WakesThePc(const TaskRecord& task);
// A task's next run as the settings list, the tray tip and /list say it: the
// next run's text, with kWakeMark after a time the task wakes the PC for
// ("明天 07:00（唤醒）").
std::string NextRunTextOf(const TaskRecord& task, const NextRun& next, const ScheduleNow& now,
                          const std::string& shortDateFormat);

struct SoonestRun {
  TaskRecord task;
  NextRun next;  // When::At
};

// Among the enabled tasks, the one whose next clock time after the minute of
// `now` is the soonest (the pass of `now`'s minute has run that minute's
// tasks); the first of several at that minute. Idle tasks, after-boot tasks
// past their minute, tasks that never run and unreadable tasks are left out.
// With `wakeOnly`, only the tasks that wake the PC count.
std::optional<SoonestRun> SoonestRunAfter(TaskStore& store, const ScheduleNow& now, std::uint32_t uptimeMinutes,
                                          const std::string& shortDateFormat, bool wakeOnly);

// The soonest runs are searched again at most once a minute (a pass every
// ten seconds would otherwise read every task again each time), and at the
// next look after the tasks changed.
class SoonestRunReading {
 public:
  // Whether a look at `now` searches again; from here its minute counts as
  // searched and the tasks as unchanged.
  bool SearchAgain(const ScheduleNow& now);
  // The tasks, the clock or the time zone may have changed.
  void TasksChanged() { changed_ = true; }
  bool Changed() const { return changed_; }

 private:
  bool changed_ = true;
  long long minute_ = -1;
};

}  // namespace ordavi
