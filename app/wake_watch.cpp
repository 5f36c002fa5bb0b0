#include "app/wake_watch.h"

#include "schedule/soonest_run.h"
#include "store/task_types.h"

namespace ordavi {

void WakeWatch::AfterPass(const ScheduleNow& now, std::uint32_t uptimeMinutes, const std::string& shortDateFormat) {
  const LocalMinute minute{now.year, now.month, now.day, now.hour, now.minute};
  if (timerAt_ && *timerAt_ == minute) {
    // The minute the PC was woken for (or would have been): its tasks ran in
    // this pass, and their notice, countdown or program needs the PC up.
    system_.KeepAwake(true, timerForReminder_);
    awakeUntil_ = AddMinutes(minute, kKeepAwakeMinutes);
  } else if (awakeUntil_ && MinutesBetween(minute, *awakeUntil_) <= 0) {
    system_.KeepAwake(false, false);
    awakeUntil_.reset();
  }
  const long long at = MinutesBetween(LocalMinute{2000, 1, 1, 0, 0}, minute);
  if (!stale_ && at == readMinute_) return;
  const bool force = stale_;
  stale_ = false;
  readMinute_ = at;
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
  if (awakeUntil_) system_.KeepAwake(false, false);
  awakeUntil_.reset();
  stale_ = true;
}

}  // namespace ordavi
