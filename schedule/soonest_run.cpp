#include "schedule/soonest_run.h"

#include "schedule/grammar.h"
#include "store/errors.h"
#include "store/words.h"

namespace ordavi {

bool WakesThePc(const TaskRecord& task) {
  const std::optional<ScheduleKind> kind = KindOf(task.schedule);
  return task.wake && kind && HasClockTime(*kind);
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
