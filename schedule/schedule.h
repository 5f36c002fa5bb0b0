// Deciding whether a stored schedule text is due at a moment.
//
// A schedule text is a two-character kind word followed by fields, each ended
// by a unit character ("每年12月31日23时59分"). A matcher cuts all fields with
// one byte scan, then converts and compares them in order, stopping at the
// first difference: a field after a difference is never converted.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ordavi {

// The local date and time of one tick pass, as GetLocalTime gives it.
struct ScheduleNow {
  std::uint16_t year = 0;
  std::uint16_t month = 0;      // 1..12
  std::uint16_t dayOfWeek = 0;  // 0 Sunday .. 6 Saturday
  std::uint16_t day = 0;        // 1..31
  std::uint16_t hour = 0;
  std::uint16_t minute = 0;
  std::uint16_t second = 0;
  std::uint16_t millisecond = 0;
};

enum class ScheduleKind { Idle, AfterBoot, Once, Daily, Weekly, Monthly, Yearly };

// First GBK bytes of the unit characters that end the fields, and the bytes
// of the kind word the fields follow.
inline constexpr char kDayUnit = '\xC8';     // 日
inline constexpr char kHourUnit = '\xCA';    // 时
inline constexpr char kMinuteUnit = '\xB7';  // 分, 分钟
inline constexpr char kMonthUnit = '\xD4';   // 月
inline constexpr std::size_t kKindWordBytes = 4;

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);

// The kind named by the first two characters of a schedule text, if any.
std::optional<ScheduleKind> KindOf(const std::string& scheduleText);

struct MatchResult {
  bool due = false;
  std::vector<std::string> fields;  // the field texts, in the kind's order
};

// Port: the millisecond counters behind idle and uptime minutes.
class SystemClock {
 public:
  virtual ~SystemClock() = default;
  virtual std::uint32_t TickCount() = 0;      // GetTickCount
  virtual std::uint32_t LastInputTick() = 0;  // GetLastInputInfo's dwTime
};

// Port: the system's short date format ("yyyy/M/d", "dd-MM-yy", ...).
class DateFormatSource {
 public:
  virtual ~DateFormatSource() = default;
  virtual std::string ShortDateFormat() = 0;
};

struct Date {
  int year = 0;
  int month = 0;
  int day = 0;
};

// Decimal string-to-integer conversion: optional sign, digits, within 32 bits.
// Anything else throws IntegerError(text).
std::int32_t StrToInt(const std::string& text);
// A date written in `format`'s own order and separator. Throws DateError(text)
// for anything that is not a real date in that form.
Date StrToDate(const std::string& text, const std::string& format);
// A date written with `format` (y, yy, yyyy, M, MM, d, dd and literal text).
std::string DateToStr(const Date& date, const std::string& format);

std::uint32_t IdleMinutes(SystemClock& clock);
std::uint32_t UptimeMinutes(SystemClock& clock);

// Cuts a schedule text into its fields: the first starts after the four bytes
// of the kind word, each ends at its separator byte (the first byte of its
// unit character), and the next starts two bytes after that separator.
std::vector<std::string> ScanFields(const std::string& text, const std::string& separators);

class Matchers {
 public:
  Matchers(SystemClock& clock, DateFormatSource& dates) : clock_(clock), dates_(dates) {}

  MatchResult MatchIdle(const ScheduleNow& now, const std::string& text);
  MatchResult MatchAfterBoot(const ScheduleNow& now, const std::string& text);
  MatchResult MatchOnce(const ScheduleNow& now, const std::string& text);
  MatchResult MatchDaily(const ScheduleNow& now, const std::string& text);
  MatchResult MatchWeekly(const ScheduleNow& now, const std::string& text);
  MatchResult MatchMonthly(const ScheduleNow& now, const std::string& text);
  MatchResult MatchYearly(const ScheduleNow& now, const std::string& text);
  MatchResult Match(ScheduleKind kind, const ScheduleNow& now, const std::string& text);

 private:
  SystemClock& clock_;
  DateFormatSource& dates_;
};

}  // namespace ordavi
