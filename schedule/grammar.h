// The grammar of a stored schedule text: a two-character kind word followed by
// fields, each ended by its unit character ("每年12月31日23时59分"). One table
// names the kinds, their words and their fields; one cut splits a text as the
// tick splits it; one reading converts the fields as the matchers convert
// them and says when the tick could never find the text due, and why; one
// composition writes a text from its fields. The matchers, the next run, the
// editor and the task file all read and write schedule texts through these.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "schedule/calendar.h"
#include "schedule/short_date.h"

namespace ordavi {

enum class ScheduleKind { Idle, AfterBoot, Once, Daily, Weekly, Monthly, Yearly, ProgramEnds, NetworkQuiet, ProcessorQuiet };

// What a kind waits for: a minute of the clock (the only kinds a missed run
// can be found for), a reading of the system's millisecond counters, or a
// condition the agent watches from the moment the task is armed.
enum class KindTiming { Clock, Counter, Condition };

// What a field holds; each has its range and its name in the table's rules.
enum class ScheduleField {
  IdleMinutes,  // minutes without input: 0 up to the counter's last minute
  BootHours,    // the after-boot total's hours and minutes: any 32-bit
  BootMinutes,  // value, the total decides (BootTotal)
  Date,         // a once-date in the PC's short date format
  Month,        // 1..12
  Day,          // 1..31; after a Month field, a day that month has in some year
  Weekday,      // 0..6, Sunday 0; the text "7" is Sunday too (WeekdayValue)
  Hour,         // 0..23
  Minute,       // 0..59
  ProgramName,  // an executable's file name, 1..260 bytes, no path characters
  NetworkKBps,  // KB/s, 1..kMaxNetworkKBps
  ProcessorPct, // %, 1..99
  QuietMinutes, // 1..kMaxQuietMinutes
};

inline constexpr std::int32_t kMaxNetworkKBps = 1048576;  // 1 GB/s
inline constexpr std::int32_t kMaxQuietMinutes = 1440;
inline constexpr std::size_t kMaxProgramNameBytes = 260;

struct FieldRule {
  ScheduleField field;
  // The unit that ends the field, GBK: one character for the clock and
  // counter kinds (whose cut looks for its first byte); for a condition, the
  // whole text up to the next field, and empty for a field that runs to the
  // end of the text.
  const char* unit;
};

struct ScheduleKindRow {
  ScheduleKind kind;
  const char* word;  // the kind word, GBK
  std::size_t count;
  FieldRule fields[4];
  KindTiming timing = KindTiming::Clock;
  const char* lead = "";  // a condition's words between the kind word and its first field
};

// Every kind, in the order the tick compares the kind words, and the editor's
// rows. The condition kinds' words are none of the others', so a reader that
// knows only the others finds their texts unreadable.
// (The table's rows are in grammar.cpp, which checks that there are this
// many: a table in this header made the shipped program larger.)
inline constexpr std::size_t kScheduleKindCount = 10;
extern const ScheduleKindRow kScheduleKinds[kScheduleKindCount];
const ScheduleKindRow& RowOf(ScheduleKind kind);
// Whether a kind runs at a time of day (its fields end in an hour and a
// minute): once, daily, weekly, monthly and yearly tasks, the ones that can
// wake the PC.
bool HasClockTime(ScheduleKind kind);

inline constexpr std::size_t kKindWordBytes = 4;

// The kind named by the first two characters of a schedule text, if any.
std::optional<ScheduleKind> KindOf(const std::string& scheduleText);

// Cuts a schedule text into its fields: the first starts after the four bytes
// of the kind word, each ends at its separator byte (the first byte of its
// unit character), and the next starts two bytes after that separator. A
// missing separator ends the field at the end of the text, and every later
// field is empty; whatever follows the last separator is not read.
std::vector<std::string> ScanFields(const std::string& text, const std::string& separators);
// The fields of a text of `kind`, cut with the separators of its row. A
// condition's text is cut by its whole lead and units: a text that lacks its
// lead has all fields empty, and a missing unit ends the field at the end of
// the text (ReadSchedule then finds the text inexact).
std::vector<std::string> CutFields(ScheduleKind kind, const std::string& text);

// ---- the field rules ----

// The days a month has in some year (29 for February).
int LongestMonth(int month);

// Decimal string-to-integer conversion: optional sign, digits, within 32 bits.
// Anything else throws IntegerError(text).
std::int32_t StrToInt(const std::string& text);

// The uptime and idle counter (milliseconds in 32 bits) wraps after 49.7
// days: no minute after this one is ever counted.
inline constexpr std::int32_t kLastCounterMinute = 71582;  // 0xFFFFFFFF / 60000
// The after-boot total as the matcher works it out: signed 32-bit, wrapping.
std::int32_t BootTotal(std::int32_t hours, std::int32_t minutes);
// A weekday field as the clock numbers days: the exact text "7" becomes "0"
// (Sunday), any other text stays as it is (so "07" converts to 7, which no
// day has).
std::string WeekdayText(const std::string& text);
// The weekday's day of the clock; throws the conversion error of a text that
// is no integer.
std::int32_t WeekdayValue(const std::string& text);
// A number the editor writes: ASCII digits only, within 32 bits.
std::optional<std::int32_t> DigitsValue(const std::string& text);
// Digits without their leading zeros ("07" -> "7", "00" -> "0"), as every
// schedule text is written; any other text is returned as it is.
std::string PlainNumber(const std::string& text);

// ---- reading and writing ----

// Why the tick never finds a text due.
inline constexpr const char* kNeverUnreadable = "时间无法识别";
inline constexpr const char* kNeverNoSuchTime = "时间不存在";
inline constexpr const char* kNeverPastCounter = "超过开机计时的上限";
inline constexpr const char* kNeverOutOfRange = "数值超出范围";

// A stored text read as the tick reads it.
struct ScheduleReading {
  std::optional<ScheduleKind> kind;
  std::vector<std::string> texts;   // the fields as cut
  std::vector<std::int32_t> values; // converted; 0 for the date
  Date date;                        // the once-date
  const char* never = nullptr;      // why it is never due; nullptr: it may be
  int badField = -1;                // the first field that makes it never due
  bool exact = false;  // the text is its word, fields and units, nothing more or less
};
// A condition's text is read only when exact, its numbers plain digits and
// its name a file name: the tick finds nothing else due.
// `shortDateFormat` is the format the once-date is read in.
ScheduleReading ReadSchedule(const std::string& text, const std::string& shortDateFormat);

// What a field must hold for the tick ever to find it due, as a user reads it
// ("小时应为0到23"); the after-boot total's rule for its hours and minutes.
std::string FieldRuleText(ScheduleField field);

// The text of a kind with these field texts, each followed by its unit.
std::string ScheduleText(ScheduleKind kind, const std::vector<std::string>& fields);

}  // namespace ordavi
