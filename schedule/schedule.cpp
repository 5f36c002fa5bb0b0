#include "schedule/schedule.h"

#include <cctype>
#include <cstdint>

#include "store/errors.h"
#include "store/text.h"
#include "store/words.h"

namespace ordavi {

namespace {

struct KindEntry {
  ScheduleKind kind;
  const char* word;
};
// The order in which the tick compares the kind word.
constexpr KindEntry kKinds[] = {
    {ScheduleKind::Idle, words::kIdle},       {ScheduleKind::Once, words::kOnce},
    {ScheduleKind::Daily, words::kDaily},     {ScheduleKind::Weekly, words::kWeekly},
    {ScheduleKind::Monthly, words::kMonthly}, {ScheduleKind::Yearly, words::kYearly},
    {ScheduleKind::AfterBoot, words::kAfterBoot},
};

// Converts a field and tells whether it equals `value`; the comparison is made
// in 64 bits so that a negative field never equals an unsigned clock value.
bool FieldIs(const std::string& field, long long value) { return StrToInt(field) == value; }

// A text holding nothing but its kind word has no fields and is never due.
bool OnlyKindWord(const std::string& text) { return text.size() <= kKindWordBytes; }

// Cuts the fields and, for a text without fields, answers "not due" at once.
MatchResult Cut(const std::string& text, const std::string& separators, bool& done) {
  MatchResult r;
  r.fields = ScanFields(text, separators);
  done = OnlyKindWord(text);
  return r;
}

}  // namespace

bool IsLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeapYear(y) ? 29 : kDays[m - 1];
}

std::optional<ScheduleKind> KindOf(const std::string& scheduleText) {
  const std::string head = FirstChars(scheduleText, 2);
  for (const KindEntry& k : kKinds) {
    if (head == k.word) return k.kind;
  }
  return std::nullopt;
}

std::int32_t StrToInt(const std::string& text) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) throw IntegerError(text);
  long long value = 0;
  for (; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < '0' || c > '9') throw IntegerError(text);
    value = value * 10 + (c - '0');
    if (value > 2147483648LL) throw IntegerError(text);
  }
  if (negative) value = -value;
  if (value > INT32_MAX || value < INT32_MIN) throw IntegerError(text);
  return static_cast<std::int32_t>(value);
}

namespace {

// The order of year, month and day in a date format, and its separator: the
// first character of the format that is not a date letter or a quote.
struct DateLayout {
  char order[3] = {0, 0, 0};  // 'y', 'M', 'd'
  std::string separator;
};

DateLayout LayoutOf(const std::string& format) {
  DateLayout l;
  int n = 0;
  bool inQuote = false;
  for (std::size_t i = 0; i < format.size(); ++i) {
    const char c = format[i];
    if (c == '\'') {
      inQuote = !inQuote;
      continue;
    }
    if (!inQuote && (c == 'y' || c == 'Y' || c == 'M' || c == 'm' || c == 'd' || c == 'D')) {
      const char letter = (c == 'Y' || c == 'y') ? 'y' : (c == 'M' || c == 'm') ? 'M' : 'd';
      if (n < 3 && (n == 0 || l.order[n - 1] != letter)) l.order[n++] = letter;
      continue;
    }
    if (l.separator.empty() && n > 0) l.separator = std::string(1, c);
  }
  if (n != 3) {  // a format without all three parts: fall back to the local default
    l.order[0] = 'y';
    l.order[1] = 'M';
    l.order[2] = 'd';
  }
  if (l.separator.empty()) l.separator = "/";
  return l;
}

bool AllDigits(const std::string& s) {
  if (s.empty() || s.size() > 4) return false;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

std::string Padded(int v, std::size_t width) {
  std::string s = Decimal(v);
  while (s.size() < width) s.insert(s.begin(), '0');
  return s;
}

}  // namespace

Date StrToDate(const std::string& text, const std::string& format) {
  const DateLayout l = LayoutOf(format);
  std::string parts[3];
  std::size_t start = 0;
  for (int i = 0; i < 3; ++i) {
    const std::size_t sep = i < 2 ? text.find(l.separator, start) : std::string::npos;
    if (i < 2 && sep == std::string::npos) throw DateError(text);
    parts[i] = text.substr(start, sep == std::string::npos ? std::string::npos : sep - start);
    if (!AllDigits(parts[i])) throw DateError(text);
    start = sep + l.separator.size();
  }
  Date d;
  for (int i = 0; i < 3; ++i) {
    const int v = std::stoi(parts[i]);
    if (l.order[i] == 'y') d.year = parts[i].size() <= 2 ? 2000 + v : v;
    if (l.order[i] == 'M') d.month = v;
    if (l.order[i] == 'd') d.day = v;
  }
  if (d.year < 1 || d.year > 9999 || d.month < 1 || d.month > 12 || d.day < 1 || d.day > DaysInMonth(d.year, d.month))
    throw DateError(text);
  return d;
}

std::string DateToStr(const Date& date, const std::string& format) {
  std::string out;
  for (std::size_t i = 0; i < format.size();) {
    const char c = format[i];
    if (c == '\'') {
      const std::size_t end = format.find('\'', i + 1);
      out += format.substr(i + 1, end == std::string::npos ? std::string::npos : end - i - 1);
      i = end == std::string::npos ? format.size() : end + 1;
      continue;
    }
    std::size_t run = 1;
    while (i + run < format.size() && format[i + run] == c) ++run;
    if (c == 'y') {
      out += run >= 3 ? Padded(date.year, run == 3 ? 4 : run) : run == 2 ? Padded(date.year % 100, 2) : Decimal(date.year % 100);
    } else if (c == 'M') {
      out += Padded(date.month, run >= 2 ? 2 : 1);
    } else if (c == 'd') {
      out += Padded(date.day, run >= 2 ? 2 : 1);
    } else {
      out.append(run, c);
    }
    i += run;
  }
  return out;
}

std::uint32_t IdleMinutes(SystemClock& clock) {
  const std::uint32_t lastInput = clock.LastInputTick();
  const std::uint32_t now = clock.TickCount();
  const std::uint32_t elapsed = now - lastInput;  // unsigned: right across a wrap of the tick count
  return elapsed / 1000u / 60u;
}

std::uint32_t UptimeMinutes(SystemClock& clock) { return clock.TickCount() / 1000u / 60u; }

std::vector<std::string> ScanFields(const std::string& text, const std::string& separators) {
  std::vector<std::string> fields;
  std::size_t start = kKindWordBytes;
  bool ended = false;
  for (char sep : separators) {
    if (ended || start >= text.size()) {
      fields.emplace_back();
      ended = true;
      continue;
    }
    const std::size_t p = text.find(sep, start);
    if (p == std::string::npos) {
      fields.push_back(text.substr(start));
      ended = true;
    } else {
      fields.push_back(text.substr(start, p - start));
      start = p + 2;  // past the two-byte unit character
    }
  }
  return fields;
}

MatchResult Matchers::MatchIdle(const ScheduleNow&, const std::string& text) {
  bool done = false;
  MatchResult r = Cut(text, {kMinuteUnit}, done);
  if (done) return r;
  r.due = FieldIs(r.fields[0], IdleMinutes(clock_));
  return r;
}

MatchResult Matchers::MatchAfterBoot(const ScheduleNow&, const std::string& text) {
  bool done = false;
  MatchResult r = Cut(text, {kHourUnit, kMinuteUnit}, done);
  if (done) return r;
  const std::int32_t h = StrToInt(r.fields[0]);
  const std::int32_t m = StrToInt(r.fields[1]);
  // Signed 32-bit total, wrapping like the integer arithmetic it stands for.
  const auto total = static_cast<std::int32_t>(static_cast<std::uint32_t>(h) * 60u + static_cast<std::uint32_t>(m));
  r.due = static_cast<long long>(total) == static_cast<long long>(UptimeMinutes(clock_));
  return r;
}

MatchResult Matchers::MatchOnce(const ScheduleNow& now, const std::string& text) {
  bool done = false;
  MatchResult r = Cut(text, {kDayUnit, kHourUnit, kMinuteUnit}, done);
  if (done) return r;
  const Date d = StrToDate(r.fields[0], dates_.ShortDateFormat());
  r.due = d.year == now.year && d.month == now.month && d.day == now.day && FieldIs(r.fields[1], now.hour) &&
          FieldIs(r.fields[2], now.minute);
  return r;
}

MatchResult Matchers::MatchDaily(const ScheduleNow& now, const std::string& text) {
  bool done = false;
  MatchResult r = Cut(text, {kHourUnit, kMinuteUnit}, done);
  if (done) return r;
  r.due = FieldIs(r.fields[0], now.hour) && FieldIs(r.fields[1], now.minute);
  return r;
}

MatchResult Matchers::MatchWeekly(const ScheduleNow& now, const std::string& text) {
  bool done = false;
  MatchResult r = Cut(text, {kDayUnit, kHourUnit, kMinuteUnit}, done);
  if (done) return r;
  if (r.fields[0] == "7") r.fields[0] = "0";  // Sunday is day 0 of the clock
  r.due = FieldIs(r.fields[0], now.dayOfWeek) && FieldIs(r.fields[1], now.hour) && FieldIs(r.fields[2], now.minute);
  return r;
}

MatchResult Matchers::MatchMonthly(const ScheduleNow& now, const std::string& text) {
  bool done = false;
  MatchResult r = Cut(text, {kDayUnit, kHourUnit, kMinuteUnit}, done);
  if (done) return r;
  r.due = FieldIs(r.fields[0], now.day) && FieldIs(r.fields[1], now.hour) && FieldIs(r.fields[2], now.minute);
  return r;
}

MatchResult Matchers::MatchYearly(const ScheduleNow& now, const std::string& text) {
  bool done = false;
  MatchResult r = Cut(text, {kMonthUnit, kDayUnit, kHourUnit, kMinuteUnit}, done);
  if (done) return r;
  r.due = FieldIs(r.fields[0], now.month) && FieldIs(r.fields[1], now.day) && FieldIs(r.fields[2], now.hour) &&
          FieldIs(r.fields[3], now.minute);
  return r;
}

MatchResult Matchers::Match(ScheduleKind kind, const ScheduleNow& now, const std::string& text) {
  switch (kind) {
    case ScheduleKind::Idle: return MatchIdle(now, text);
    case ScheduleKind::AfterBoot: return MatchAfterBoot(now, text);
    case ScheduleKind::Once: return MatchOnce(now, text);
    case ScheduleKind::Daily: return MatchDaily(now, text);
    case ScheduleKind::Weekly: return MatchWeekly(now, text);
    case ScheduleKind::Monthly: return MatchMonthly(now, text);
    case ScheduleKind::Yearly: return MatchYearly(now, text);
  }
  return {};
}

}  // namespace ordavi
