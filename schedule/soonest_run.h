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

}  // namespace ordavi
