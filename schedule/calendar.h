// Calendar arithmetic on minutes of local time, in the proleptic Gregorian
// calendar: the distance between two minutes, a minute some minutes later,
// the day of the week. The next run, the missed-run search, the wake timer,
// the postponement and the run history count minutes with these.
#pragma once

namespace ordavi {

// A minute of local time.
struct LocalMinute {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0;
  bool operator==(const LocalMinute& o) const {
    return year == o.year && month == o.month && day == o.day && hour == o.hour && minute == o.minute;
  }
};

// Minutes from the first to the second minute (negative when it lies before).
long long MinutesBetween(const LocalMinute& from, const LocalMinute& to);
// The minute `minutes` after `from`.
LocalMinute AddMinutes(const LocalMinute& from, long long minutes);
bool IsLeapYear(int year);
int DaysInMonth(int year, int month);
// 0 Sunday .. 6 Saturday.
int DayOfWeek(int year, int month, int day);

}  // namespace ordavi
