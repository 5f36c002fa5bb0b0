#include "schedule/calendar.h"

namespace ordavi {

bool IsLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeapYear(y) ? 29 : kDays[m - 1];
}

namespace {

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar.
long long DaysFromCivil(int y, int m, int d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const long long yoe = y - era * 400;
  const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(long long z, int& y, int& m, int& d) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const long long doe = z - era * 146097;
  const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long long mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

long long Serial(const LocalMinute& t) {
  return DaysFromCivil(t.year, t.month, t.day) * 1440 + t.hour * 60 + t.minute;
}

}  // namespace

long long MinutesBetween(const LocalMinute& from, const LocalMinute& to) { return Serial(to) - Serial(from); }

LocalMinute AddMinutes(const LocalMinute& from, long long minutes) {
  const long long s = Serial(from) + minutes;
  long long days = s / 1440, rest = s % 1440;
  if (rest < 0) {
    rest += 1440;
    --days;
  }
  LocalMinute t;
  CivilFromDays(days, t.year, t.month, t.day);
  t.hour = static_cast<int>(rest / 60);
  t.minute = static_cast<int>(rest % 60);
  return t;
}

int DayOfWeek(int year, int month, int day) {
  const long long z = DaysFromCivil(year, month, day);  // 1970-01-01 was a Thursday
  return static_cast<int>(((z % 7) + 7 + 4) % 7);
}

}  // namespace ordavi
