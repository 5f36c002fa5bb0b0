// When a task will next run: the first minute at or after a given one at
// which the tick finds its schedule due, decided exactly as the matchers
// decide it (schedule/schedule.h), so that what the user is shown is what
// will happen.
#pragma once

#include <cstdint>
#include <string>

#include "schedule/calendar.h"
#include "schedule/conditions.h"
#include "schedule/schedule.h"

namespace ordavi {

struct NextRun {
  enum class When {
    At,          // at `at`
    AfterIdle,   // after `idleMinutes` minutes without input; no clock time
    BootPassed,  // an after-boot task whose minute since this boot has passed
    Never,       // the schedule can never be due; `whyNever` says why
    OnCondition, // when the condition `waitFor` is met; no clock time
  };
  When when = When::Never;
  LocalMinute at;
  std::int32_t idleMinutes = 0;
  const char* whyNever = "";
  std::string waitFor;  // "dl.exe结束", "网速低于50KB/s持续3分钟"
};

// Why a schedule can never be due: the grammar's reasons (ReadSchedule) and
// a once-date that has passed.
inline constexpr const char* kNeverPast = "日期已过";

// The next run of `schedule` at or after the minute of `from`. `uptimeMinutes`
// is the system's uptime in whole minutes (after-boot tasks) and
// `shortDateFormat` the format once-dates are stored in. Monthly and yearly
// schedules are searched eight years ahead (a 29 February always lies within
// them).
NextRun NextRunOf(const std::string& schedule, const ScheduleNow& from, std::uint32_t uptimeMinutes,
                  const std::string& shortDateFormat);

// A condition's next run as far as the agent has watched it: "不会运行（无法读取
// 网速）" when the system does not give what it watches, the minutes it has
// been quiet so far, or a program seen running. Any other next run is
// returned as it is.
NextRun WithConditionState(NextRun next, const std::string& schedule, const ConditionState& state);

// The next run as the user reads it: "今天 22:30", "明天 08:00", a date in the
// short date format and the time, "空闲15分钟后", "已过", "等待：dl.exe结束" or
// "不会运行（…）".
std::string NextRunText(const NextRun& next, const ScheduleNow& now, const std::string& shortDateFormat);
// Follows the next run's time of a task that wakes the PC to run, in the
// settings list's 下次运行 column and the tray tip ("明天 07:00（唤醒）").
inline constexpr const char* kWakeMark = "（唤醒）";

// The clock reading of a minute (its day of the week worked out), as the
// matchers take it.
ScheduleNow ScheduleNowAt(const LocalMinute& minute);

}  // namespace ordavi
