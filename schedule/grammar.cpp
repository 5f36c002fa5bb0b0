#include "schedule/grammar.h"

#include "store/errors.h"
#include "store/text.h"
#include "store/words.h"

namespace ordavi {

namespace {

using F = ScheduleField;
constexpr FieldRule kHour{F::Hour, "时"}, kMinute{F::Minute, "分"};

}  // namespace

// The order in which the tick compares the kind words, and the editor's rows.
constexpr ScheduleKindRow kScheduleKinds[kScheduleKindCount] = {
    {ScheduleKind::Idle, words::kIdle, 1, {{F::IdleMinutes, "分钟"}}, KindTiming::Counter},
    {ScheduleKind::Once, words::kOnce, 3, {{F::Date, "日"}, kHour, kMinute}},
    {ScheduleKind::Daily, words::kDaily, 2, {kHour, kMinute}},
    {ScheduleKind::Weekly, words::kWeekly, 3, {{F::Weekday, "日"}, kHour, kMinute}},
    {ScheduleKind::Monthly, words::kMonthly, 3, {{F::Day, "日"}, kHour, kMinute}},
    {ScheduleKind::Yearly, words::kYearly, 4, {{F::Month, "月"}, {F::Day, "日"}, kHour, kMinute}},
    {ScheduleKind::AfterBoot, words::kAfterBoot, 2, {{F::BootHours, "时"}, {F::BootMinutes, "分"}}, KindTiming::Counter},
    // "程序结束后：thunder.exe", "网速低于50KB/s持续3分钟", "处理器低于10%持续5分钟"
    {ScheduleKind::ProgramEnds, words::kProgramEnds, 1, {{F::ProgramName, ""}}, KindTiming::Condition, "结束后："},
    {ScheduleKind::NetworkQuiet, words::kNetworkQuiet, 2, {{F::NetworkKBps, "KB/s持续"}, {F::QuietMinutes, "分钟"}},
     KindTiming::Condition, "低于"},
    {ScheduleKind::ProcessorQuiet, words::kProcessorQuiet, 2, {{F::ProcessorPct, "%持续"}, {F::QuietMinutes, "分钟"}},
     KindTiming::Condition, "器低于"},
};
static_assert(kScheduleKinds[kScheduleKindCount - 1].word, "kScheduleKindCount is the number of rows");

bool HasClockTime(ScheduleKind kind) {
  const ScheduleKindRow& row = RowOf(kind);
  for (std::size_t i = 0; i < row.count; ++i) {
    if (row.fields[i].field == ScheduleField::Hour) return true;
  }
  return false;
}

const ScheduleKindRow& RowOf(ScheduleKind kind) {
  for (const ScheduleKindRow& row : kScheduleKinds) {
    if (row.kind == kind) return row;
  }
  return kScheduleKinds[0];
}

std::optional<ScheduleKind> KindOf(const std::string& scheduleText) {
  const std::string head = FirstChars(scheduleText, 2);
  for (const ScheduleKindRow& row : kScheduleKinds) {
    if (head == row.word) return row.kind;
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

namespace {

std::vector<std::string> CutCondition(const ScheduleKindRow& row, const std::string& text) {
  std::vector<std::string> fields(row.count);
  const std::string lead = row.lead;
  if (text.size() < kKindWordBytes || text.compare(kKindWordBytes, lead.size(), lead) != 0) return fields;
  std::size_t start = kKindWordBytes + lead.size();
  for (std::size_t i = 0; i < row.count && start <= text.size(); ++i) {
    const std::string unit = row.fields[i].unit;
    const std::size_t p = unit.empty() ? std::string::npos : text.find(unit, start);
    fields[i] = text.substr(start, p == std::string::npos ? std::string::npos : p - start);
    start = p == std::string::npos ? text.size() + 1 : p + unit.size();
  }
  return fields;
}

}  // namespace

std::vector<std::string> CutFields(ScheduleKind kind, const std::string& text) {
  const ScheduleKindRow& row = RowOf(kind);
  if (row.timing == KindTiming::Condition) return CutCondition(row, text);
  std::string separators;
  for (std::size_t i = 0; i < row.count; ++i) separators += row.fields[i].unit[0];
  return ScanFields(text, separators);
}

int LongestMonth(int month) { return DaysInMonth(2000, month); }  // 2000 was a leap year

std::int32_t BootTotal(std::int32_t hours, std::int32_t minutes) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(hours) * 60u + static_cast<std::uint32_t>(minutes));
}

std::string WeekdayText(const std::string& text) { return text == "7" ? std::string("0") : text; }

std::int32_t WeekdayValue(const std::string& text) { return StrToInt(WeekdayText(text)); }

std::optional<std::int32_t> DigitsValue(const std::string& text) {
  if (text.empty()) return std::nullopt;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
  }
  try {
    return StrToInt(text);
  } catch (const FrameworkError&) {
    return std::nullopt;
  }
}

std::string PlainNumber(const std::string& text) {
  if (!DigitsValue(text)) return text;
  const std::size_t first = text.find_first_not_of('0');
  return first == std::string::npos ? std::string("0") : text.substr(first);
}

namespace {

// Whether a converted value is one the tick can find due; `previous` is the
// value of the field before (a Day's month).
const char* NeverFor(ScheduleField field, std::int32_t v, std::int32_t previous, ScheduleField previousField) {
  const auto outside = [v](std::int32_t low, std::int32_t high) { return v < low || v > high; };
  switch (field) {
    case ScheduleField::IdleMinutes:
      if (v < 0) return kNeverNoSuchTime;
      return v > kLastCounterMinute ? kNeverPastCounter : nullptr;
    case ScheduleField::Month: return outside(1, 12) ? kNeverNoSuchTime : nullptr;
    case ScheduleField::Day:
      if (outside(1, previousField == ScheduleField::Month ? LongestMonth(previous) : 31)) return kNeverNoSuchTime;
      return nullptr;
    case ScheduleField::Weekday: return outside(0, 6) ? kNeverNoSuchTime : nullptr;
    case ScheduleField::Hour: return outside(0, 23) ? kNeverNoSuchTime : nullptr;
    case ScheduleField::Minute: return outside(0, 59) ? kNeverNoSuchTime : nullptr;
    case ScheduleField::NetworkKBps: return outside(1, kMaxNetworkKBps) ? kNeverOutOfRange : nullptr;
    case ScheduleField::ProcessorPct: return outside(1, 99) ? kNeverOutOfRange : nullptr;
    case ScheduleField::QuietMinutes: return outside(1, kMaxQuietMinutes) ? kNeverOutOfRange : nullptr;
    case ScheduleField::BootHours:
    case ScheduleField::BootMinutes:
    case ScheduleField::ProgramName:
    case ScheduleField::Date: return nullptr;
  }
  return nullptr;
}

// A program's file name as the process list shows it: no path, no character
// a file name cannot hold, not blank.
bool IsProgramName(const std::string& name) {
  if (name.empty() || name.size() > kMaxProgramNameBytes) return false;
  if (name.find_first_not_of(' ') == std::string::npos) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    if (c >= 0x80) {
      ++i;  // a GBK character's trail byte may be any of these
      continue;
    }
    if (c < 0x20 || std::string("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string::npos) return false;
  }
  return true;
}

ScheduleReading Never(ScheduleReading r, int field, const char* why) {
  r.never = why;
  r.badField = field;
  return r;
}

}  // namespace

ScheduleReading ReadSchedule(const std::string& text, const std::string& shortDateFormat) {
  ScheduleReading r;
  r.kind = KindOf(text);
  if (!r.kind) return Never(r, -1, kNeverUnreadable);
  const ScheduleKindRow& row = RowOf(*r.kind);
  r.texts = CutFields(*r.kind, text);
  r.exact = ScheduleText(*r.kind, r.texts) == text;
  // A text holding nothing but its kind word is never due.
  if (text.size() <= kKindWordBytes) return Never(r, 0, kNeverUnreadable);
  r.values.assign(row.count, 0);
  if (row.timing == KindTiming::Condition) {
    if (!r.exact) return Never(r, -1, kNeverUnreadable);
    for (std::size_t i = 0; i < row.count; ++i) {
      const ScheduleField f = row.fields[i].field;
      if (f == ScheduleField::ProgramName) {
        if (!IsProgramName(r.texts[i])) return Never(r, static_cast<int>(i), kNeverUnreadable);
        continue;
      }
      const std::optional<std::int32_t> v = DigitsValue(r.texts[i]);
      if (!v) return Never(r, static_cast<int>(i), kNeverUnreadable);
      r.values[i] = *v;
      if (const char* why = NeverFor(f, *v, 0, f)) return Never(r, static_cast<int>(i), why);
    }
    return r;
  }
  for (std::size_t i = 0; i < row.count; ++i) {
    const ScheduleField f = row.fields[i].field;
    try {
      if (f == ScheduleField::Date) {
        r.date = StrToDate(r.texts[i], shortDateFormat);
      } else {
        r.values[i] = f == ScheduleField::Weekday ? WeekdayValue(r.texts[i]) : StrToInt(r.texts[i]);
      }
    } catch (const FrameworkError&) {
      return Never(r, static_cast<int>(i), kNeverUnreadable);
    }
  }
  for (std::size_t i = 0; i < row.count; ++i) {
    const std::int32_t previous = i > 0 ? r.values[i - 1] : 0;
    const ScheduleField previousField = i > 0 ? row.fields[i - 1].field : row.fields[i].field;
    if (const char* why = NeverFor(row.fields[i].field, r.values[i], previous, previousField)) {
      return Never(r, static_cast<int>(i), why);
    }
  }
  if (*r.kind == ScheduleKind::AfterBoot) {
    const std::int32_t total = BootTotal(r.values[0], r.values[1]);
    if (total < 0) return Never(r, 0, kNeverNoSuchTime);
    if (total > kLastCounterMinute) return Never(r, 0, kNeverPastCounter);
  }
  return r;
}

std::string FieldRuleText(ScheduleField field) {
  switch (field) {
    case ScheduleField::IdleMinutes: return "空闲分钟数应为0到" + Decimal(kLastCounterMinute);
    case ScheduleField::BootHours:
    case ScheduleField::BootMinutes:
      return "开机时间应为0时0分到" + Decimal(kLastCounterMinute / 60) + "时" + Decimal(kLastCounterMinute % 60) + "分";
    case ScheduleField::Date: return "日期应为存在的日期";
    case ScheduleField::Month: return "月份应为1到12";
    case ScheduleField::Day: return "日期应为1到31，且是该月有的日子";
    case ScheduleField::Weekday: return "星期应为0到7（0和7都是星期日）";
    case ScheduleField::Hour: return "小时应为0到23";
    case ScheduleField::Minute: return "分钟应为0到59";
    case ScheduleField::ProgramName:
      return "程序名应为1到" + Decimal(static_cast<std::int32_t>(kMaxProgramNameBytes)) +
             "字节的文件名，不含路径和\\/:*?\"<>|";
    case ScheduleField::NetworkKBps: return "网速应为1到" + Decimal(kMaxNetworkKBps) + "KB/s";
    case ScheduleField::ProcessorPct: return "处理器占用应为1%到99%";
    case ScheduleField::QuietMinutes: return "持续时间应为1到" + Decimal(kMaxQuietMinutes) + "分钟";
  }
  return std::string();
}

std::string ScheduleText(ScheduleKind kind, const std::vector<std::string>& fields) {
  const ScheduleKindRow& row = RowOf(kind);
  std::string text = std::string(row.word) + row.lead;
  for (std::size_t i = 0; i < row.count && i < fields.size(); ++i) text += fields[i] + row.fields[i].unit;
  return text;
}

}  // namespace ordavi
