#include "dialogs/task_form.h"

#include "actions/network.h"
#include "schedule/next_run.h"
#include "store/errors.h"
#include "store/text.h"
#include "store/words.h"

namespace ordavi {

namespace {

bool NumberBetween(const std::string& text, int low, int high) {
  const std::optional<std::int32_t> v = DigitsValue(text);
  return v && *v >= low && *v <= high;
}

UserMessage Refusal(const std::string& text) { return {text, kInfoCaption, MessageIcon::Information}; }

// The control behind one field of a schedule text: a number box (its text),
// a time picker's hour or minute, or the date picker.
struct FieldSlot {
  std::string* text = nullptr;
  int* number = nullptr;
  Date* date = nullptr;
};
FieldSlot Text(std::string& s) { return {&s, nullptr, nullptr}; }
FieldSlot Hour(TimeOfDay& t) { return {nullptr, &t.hour, nullptr}; }
FieldSlot Minute(TimeOfDay& t) { return {nullptr, &t.minute, nullptr}; }

// The editor's page of each kind: its controls in the order of the kind's
// fields in the grammar's table.
std::vector<FieldSlot> SlotsOf(TaskForm& f, ScheduleKind kind) {
  switch (kind) {
    case ScheduleKind::Idle: return {Text(f.idleMinutes)};
    case ScheduleKind::AfterBoot: return {Text(f.bootHours), Text(f.bootMinutes)};
    case ScheduleKind::Once: return {{nullptr, nullptr, &f.onceDate}, Hour(f.onceTime), Minute(f.onceTime)};
    case ScheduleKind::Daily: return {Hour(f.dailyTime), Minute(f.dailyTime)};
    case ScheduleKind::Weekly: return {Text(f.weekday), Hour(f.weeklyTime), Minute(f.weeklyTime)};
    case ScheduleKind::Monthly: return {Text(f.monthDay), Hour(f.monthlyTime), Minute(f.monthlyTime)};
    case ScheduleKind::Yearly:
      return {Text(f.month), Text(f.yearDay), Hour(f.yearlyTime), Minute(f.yearlyTime)};
    case ScheduleKind::ProgramEnds: return {Text(f.programName)};
    case ScheduleKind::NetworkQuiet: return {Text(f.networkKBps), Text(f.networkMinutes)};
    case ScheduleKind::ProcessorQuiet: return {Text(f.processorPercent), Text(f.processorMinutes)};
  }
  return {};
}

// A condition's boxes as the grammar reads them: the rule of the first field
// that makes the text one the tick never finds due.
std::optional<UserMessage> CheckCondition(const TaskForm& f) {
  TaskForm copy = f;
  std::vector<std::string> fields;
  for (const FieldSlot& slot : SlotsOf(copy, *f.kind)) fields.push_back(*slot.text);
  const ScheduleReading r = ReadSchedule(ScheduleText(*f.kind, fields), std::string());
  if (!r.never) return std::nullopt;
  const ScheduleKindRow& row = RowOf(*f.kind);
  const std::size_t bad = r.badField >= 0 ? static_cast<std::size_t>(r.badField) : 0;
  return Refusal("“" + std::string(row.word) + row.lead + "”的" + FieldRuleText(row.fields[bad].field));
}

}  // namespace

const TaskType& EditorType(const std::string& typeWord) {
  const TaskType* t = FindTaskType(typeWord);
  return t ? *t : kTaskTypes[0];
}

ParamHints HintsForPickedType(const std::string& typeWord, std::uint32_t osMajor) {
  const TaskType& t = EditorType(typeWord);
  ParamHints h;
  h.caption = t.paramCaption;
  for (const char* const* s = t.suggestions; s && *s; ++s) h.items.push_back(*s);
  if (t.instruction) {
    h.text = h.tooltip = t.instruction;
  } else if (IsAdapterType(typeWord)) {
    // The adapter names list the connection's name before Windows 10, then
    // the one Windows 10 gave it ("本地连接", "以太网").
    h.text = osMajor >= 10 ? h.items.back() : h.items.front();
  } else if (!h.items.empty()) {
    h.text = h.items.front();
  }
  return h;
}

ParamHints HintsForStoredTask(const std::string& typeWord, const std::string& param) {
  const TaskType& t = EditorType(typeWord);
  ParamHints h;
  h.caption = t.paramCaption;
  if (t.instruction) h.tooltip = t.instruction;
  h.text = param;
  return h;
}

TaskForm NewTaskForm(const ScheduleNow& today) {
  TaskForm f;
  f.onceDate = {today.year, today.month, today.day};
  return f;
}

std::string UptimeText(std::uint32_t tickMs) {
  const std::uint32_t s = tickMs / 1000u;
  return "已开机时间:" + Decimal(s / 3600u) + "时" + Decimal(s % 3600u / 60u) + "分" + Decimal(s % 60u) + "秒";
}

std::optional<UserMessage> CheckTaskForm(const TaskForm& f) {
  if (!f.kind) return Refusal("请选择时间");
  switch (*f.kind) {
    case ScheduleKind::Idle:
      if (!DigitsValue(f.idleMinutes)) return Refusal("请在“空闲”后填写分钟数（只能是数字）");
      // The idle counter never reaches a later minute.
      if (*DigitsValue(f.idleMinutes) > kLastCounterMinute) {
        return Refusal("“空闲”的分钟数不能超过" + Decimal(kLastCounterMinute) + "（约49.7天）");
      }
      break;
    case ScheduleKind::AfterBoot: {
      // Empty boxes are stored as 0.
      const std::optional<std::int32_t> h = f.bootHours.empty() ? 0 : DigitsValue(f.bootHours);
      const std::optional<std::int32_t> m = f.bootMinutes.empty() ? 0 : DigitsValue(f.bootMinutes);
      if (!h) return Refusal("“开机”后的小时数只能是数字");
      if (!m) return Refusal("“开机”后的分钟数只能是数字");
      // The uptime counter starts again from 0 before it reaches a later minute.
      if (*h * 60LL + *m > kLastCounterMinute) {
        return Refusal("“开机”后的时间不能超过" + Decimal(kLastCounterMinute / 60) + "时" +
                       Decimal(kLastCounterMinute % 60) + "分（约49.7天）");
      }
      break;
    }
    case ScheduleKind::Weekly:
      if (!NumberBetween(f.weekday, 0, 7)) return Refusal("“每周”的星期应为0到7的数字（0和7都是星期日）");
      break;
    case ScheduleKind::Monthly:
      if (!NumberBetween(f.monthDay, 1, 31)) return Refusal("“每月”的日期应为1到31的数字");
      break;
    case ScheduleKind::Yearly:
      if (!NumberBetween(f.month, 1, 12)) return Refusal("“每年”的月份应为1到12的数字");
      if (!NumberBetween(f.yearDay, 1, 31)) return Refusal("“每年”的日期应为1到31的数字");
      if (StrToInt(f.yearDay) > LongestMonth(StrToInt(f.month))) {
        return Refusal("“每年”的日期" + f.month + "月" + f.yearDay + "日不存在");
      }
      break;
    case ScheduleKind::ProgramEnds:
    case ScheduleKind::NetworkQuiet:
    case ScheduleKind::ProcessorQuiet:
      if (auto refusal = CheckCondition(f)) return refusal;
      break;
    case ScheduleKind::Once:
    case ScheduleKind::Daily:
      break;
  }
  if (IsAdapterType(f.type) && !AdapterCommand(f.param, true)) return Refusal(AdapterNameProblem(f.param));
  return std::nullopt;
}

std::string ComposeSchedule(TaskForm& f, const std::string& shortDateFormat) {
  std::vector<std::string> fields;
  for (const FieldSlot& slot : SlotsOf(f, *f.kind)) {
    if (slot.text == &f.programName) {
      fields.push_back(f.programName);  // a name, even one of digits only
    } else if (slot.text) {
      // The box shows the number as stored; an empty boot box is 0.
      *slot.text = slot.text->empty() ? std::string("0") : PlainNumber(*slot.text);
      fields.push_back(*slot.text);
    } else if (slot.number) {
      fields.push_back(Decimal(*slot.number));
    } else {
      fields.push_back(DateToStr(*slot.date, shortDateFormat));
    }
  }
  return ScheduleText(*f.kind, fields);
}

void FillTaskForm(TaskForm& f, const TaskRecord& task, const ScheduleNow& now, const std::string& shortDateFormat) {
  f.type = EditorType(task.type).word;
  f.param = task.param;
  f.wake = task.wake;
  f.onceDate = {now.year, now.month, now.day};
  const std::optional<ScheduleKind> kind = KindOf(task.schedule);
  if (!kind) return;
  const std::vector<std::string> x = CutFields(*kind, task.schedule);
  const bool onlyKindWord = task.schedule.size() <= kKindWordBytes;
  const ScheduleKindRow& row = RowOf(*kind);
  TaskForm filled = f;
  std::size_t i = 0;
  for (const FieldSlot& slot : SlotsOf(filled, *kind)) {
    const bool weekday = row.fields[i].field == ScheduleField::Weekday;
    const bool name = row.fields[i].field == ScheduleField::ProgramName;
    const std::string field = weekday ? WeekdayText(x[i]) : x[i];  // a stored 7 shows as 0
    ++i;
    if (slot.text) {
      if (!onlyKindWord && !name) StrToInt(field);  // a box shows only a number the tick reads
      *slot.text = field;
    } else if (slot.number) {
      *slot.number = StrToInt(field);
    } else {
      *slot.date = StrToDate(field, shortDateFormat);
    }
  }
  f = filled;
  f.kind = kind;
}

bool OnceInThePast(const TaskForm& f, const ScheduleNow& now) {
  if (f.kind != ScheduleKind::Once) return false;
  const LocalMinute at{f.onceDate.year, f.onceDate.month, f.onceDate.day, f.onceTime.hour, f.onceTime.minute};
  return MinutesBetween(LocalMinute{now.year, now.month, now.day, now.hour, now.minute}, at) < 0;
}

EditorOkResult EditorOk(SettingsList& list, int editorId, TaskStore& store, TaskForm& form,
                        const std::string& shortDateFormat, const ScheduleNow& now, bool pastConfirmed) {
  EditorOkResult result;
  result.refusal = CheckTaskForm(form);
  if (result.refusal) return result;
  if (!pastConfirmed && OnceInThePast(form, now)) {
    result.question = kOnceInThePastQuestion;
    return result;
  }
  const std::string schedule = ComposeSchedule(form, shortDateFormat);
  result.stored =
      list.CommitEditor(editorId, store, schedule, form.type, form.param, form.wake && HasClockTime(*form.kind));
  return result;
}

}  // namespace ordavi
