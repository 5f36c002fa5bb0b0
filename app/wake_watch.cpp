#include "app/wake_watch.h"

#include "schedule/soonest_run.h"
#include "store/task_types.h"

namespace ordavi {

void WakeWatch::AfterPass(const ScheduleNow& now, std::uint32_t uptimeMinutes, const std::string& shortDateFormat) {
  const LocalMinute minute{now.year, now.month, now.day, now.hour, now.minute};
  const std::uint64_t awake = awake_.AwakeMs();
  if (timerAt_ && *timerAt_ == minute) {
    // The minute the PC was woken for (or would have been): its tasks ran in
    // this pass, and their notice, countdown or program needs the PC up.
    system_.KeepAwake(true, timerForReminder_);
    keepsDisplay_ = timerForReminder_;
    keepUntil_ = awake + kKeepAwakeMinutes * 60000ull;
  } else if (keepUntil_ && awake >= *keepUntil_) {
    system_.KeepAwake(false, false);
    keepUntil_.reset();
  }
  const bool force = reading_.Changed();
  if (!reading_.SearchAgain(now)) return;
  const std::optional<SoonestRun> soonest = SoonestRunAfter(tasks_, now, uptimeMinutes, shortDateFormat, true);
  const std::optional<LocalMinute> next = soonest ? std::optional<LocalMinute>(soonest->next.at) : std::nullopt;
  if (!force && next == timerAt_) return;
  if (next) {
    system_.SetWakeTimer(*next);
    const TaskType* type = FindTaskType(soonest->task.type);
    timerForReminder_ = type && type->action == TaskAction::Remind;
  } else if (timerAt_ || force) {
    system_.CancelWakeTimer();
  }
  timerAt_ = next;
}

void WakeWatch::Stop() {
  if (timerAt_) system_.CancelWakeTimer();
  timerAt_.reset();
  if (keepUntil_) system_.KeepAwake(false, false);
  keepUntil_.reset();
  reading_.TasksChanged();
}

}  // namespace ordavi
