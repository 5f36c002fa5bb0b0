// The settings list's 下次运行 column.
#pragma once

#include <cstdint>
#include <string>

#include "schedule/conditions.h"
#include "schedule/next_run.h"
#include "schedule/soonest_run.h"
#include "store/tasks.h"
#include "store/words.h"

namespace ordavi {

// The 下次运行 cell of a row: when an enabled task runs next, as the tick
// will find it due ("今天 22:30", "空闲15分钟后", "不会运行（日期已过）"), or
// "不会运行（未启用）". `uptimeMinutes` is the system's uptime in whole minutes.
// `conditions`, when given, tells how far a condition task has come.
inline std::string NextRunCell(const TaskRecord& row, const ScheduleNow& now, std::uint32_t uptimeMinutes,
                               const std::string& shortDateFormat, const Conditions* conditions = nullptr) {
  if (row.enabled != words::kEnabled) return "不会运行（未启用）";
  NextRun next = NextRunOf(row.schedule, now, uptimeMinutes, shortDateFormat);
  if (conditions) {
    if (const auto state = conditions->StateOf(row.number, row.schedule)) {
      next = WithConditionState(next, row.schedule, *state);
    }
  }
  return NextRunTextOf(row, next, now, shortDateFormat);
}

}  // namespace ordavi
