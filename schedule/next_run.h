// When a task will next run: the first minute at or after a given one at
// which the tick finds its schedule due, decided exactly as the matchers
// decide it (schedule/schedule.h), so that what the user is shown is what
// will happen.
#pragma once

#include <cstdint>
#include <string>

#include "schedule/schedule.h"

namespace ordavi {

// A minute of local time.
struct LocalMinute {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0;
  bool operator==(const LocalMinute& o) const {
    return year == o.year && month == o.month && day == o.day && hour == o.hour && minute == o.minute;
  }
};

struct NextRun {
  enum class When {
    At,          // at `at`
    AfterIdle,   // after `idleMinutes` minutes without input; no clock time
    BootPassed,  // an after-boot task whose minute since this boot has passed
    Never,       // the schedule can never be due; `whyNever` says why
  };
  When when = When::Never;
  LocalMinute at;
  std::int32_t idleMinutes = 0;
  const char* whyNever = "";
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

// The next run as the user reads it: "今天 22:30", "明天 08:00", a date in the
// short date format and the time, "空闲15分钟后", "已过" or "不会运行（…）".
std::string NextRunText(const NextRun& next, const ScheduleNow& now, const std::string& shortDateFormat);
// Follows the next run's time of a task that wakes the PC to run, in the
// settings list's 下次运行 column and the tray tip ("明天 07:00（唤醒）").
inline constexpr const char* kWakeMark = "（唤醒）";

// The clock reading of a minute (its day of the week worked out), as the
// matchers take it.
ScheduleNow ScheduleNowAt(const LocalMinute& minute);

// Minutes from the first to the second minute (negative when it lies before).
long long MinutesBetween(const LocalMinute& from, const LocalMinute& to);
// The minute `minutes` after `from`.
LocalMinute AddMinutes(const LocalMinute& from, long long minutes);
// 0 Sunday .. 6 Saturday.
int DayOfWeek(int year, int month, int day);

}  // namespace ordavi
