#include "schedule/soonest_run.h"

#include "schedule/grammar.h"
#include "store/errors.h"
#include "store/words.h"

namespace ordavi {

bool WakesThePc(const TaskRecord& task) {
  const std::optional<ScheduleKind> kind = KindOf(task.schedule);
  return task.wake && kind && HasClockTime(*kind);
}

std::string NextRunTextOf(const TaskRecord& task, const NextRun& next, const ScheduleNow& now,
                          const std::string& shortDateFormat) {
  const bool wakes = next.when == NextRun::When::At && WakesThePc(task);
  return NextRunText(next, now, shortDateFormat) + (wakes ? kWakeMark : "");
}

bool SoonestRunReading::SearchAgain(const ScheduleNow& now) {
  const long long minute =
      MinutesBetween(LocalMinute{2000, 1, 1, 0, 0}, LocalMinute{now.year, now.month, now.day, now.hour, now.minute});
  if (!changed_ && minute == minute_) return false;
  changed_ = false;
  minute_ = minute;
  return true;
}

std::optional<SoonestRun> SoonestRunAfter(TaskStore& store, const ScheduleNow& now, std::uint32_t uptimeMinutes,
                                          const std::string& shortDateFormat, bool wakeOnly) {
  const LocalMinute nowMinute{now.year, now.month, now.day, now.hour, now.minute};
  const ScheduleNow from = ScheduleNowAt(AddMinutes(nowMinute, 1));
  std::optional<SoonestRun> soonest;
  for (int n = 1; n <= store.Count(); ++n) {
    TaskRecord task;
    try {
      task = store.ReadTask(n);
    } catch (const FrameworkError&) {
      continue;  // the tick reports it
    }
    if (task.schedule.empty() || task.enabled != words::kEnabled) continue;
    if (wakeOnly && !WakesThePc(task)) continue;
    const NextRun next = NextRunOf(task.schedule, from, uptimeMinutes + 1, shortDateFormat);
    if (next.when != NextRun::When::At) continue;
    if (!soonest || MinutesBetween(nowMinute, next.at) < MinutesBetween(nowMinute, soonest->next.at)) {
      soonest = SoonestRun{task, next};
    }
  }
  return soonest;
}

}  // namespace ordavi
