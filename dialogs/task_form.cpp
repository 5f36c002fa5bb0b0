#include "dialogs/task_form.h"

#include "actions/keep_awake.h"
#include "actions/network.h"
#include "schedule/calendar.h"
#include "store/errors.h"
#include "store/text.h"
#include "store/words.h"

namespace ordavi {

namespace {

UserMessage Refusal(const std::string& text) { return {text, kInfoCaption, MessageIcon::Information}; }

// What a field's box or picker holds in a new editor: a list shows 1, a time
// 0:00, every other box nothing.
std::string StartingText(ScheduleField field) {
  switch (field) {
    case ScheduleField::Hour:
    case ScheduleField::Minute: return "0";
    case ScheduleField::Month:
    case ScheduleField::Day:
    case ScheduleField::Weekday: return "1";
    default: return std::string();
  }
}

// A field written as a number: all but the date and the program name.
bool IsNumber(ScheduleField field) { return field != ScheduleField::Date && field != ScheduleField::ProgramName; }

// The grammar's rule of the row's field `i`, naming the row by its words.
UserMessage RuleRefusal(const ScheduleKindRow& row, std::size_t i) {
  return Refusal("“" + std::string(row.word) + row.lead + "”的" + FieldRuleText(row.fields[i].field));
}

// The after-boot boxes take an empty box as 0; their hours stop at the
// counters' last minute, where the 32-bit total would start again from 0.
bool EmptyIsZero(ScheduleField field) {
  return field == ScheduleField::BootHours || field == ScheduleField::BootMinutes;
}
std::int32_t LargestTyped(ScheduleField field) {
  return field == ScheduleField::BootHours ? kLastCounterMinute / 60 : INT32_MAX;
}

// The date format the check renders and reads the date picker's date in.
constexpr const char* kCheckDateFormat = "yyyy/M/d";

// A number of the form's once row (its hour or minute).
int OnceNumber(const TaskForm& f, ScheduleField field) {
  const ScheduleKindRow& row = RowOf(ScheduleKind::Once);
  for (std::size_t i = 0; i < row.count; ++i) {
    if (row.fields[i].field == field) return DigitsValue(f.FieldsOf(ScheduleKind::Once)[i]).value_or(0);
  }
  return 0;
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

TaskForm::TaskForm() {
  for (std::size_t r = 0; r < kScheduleKindCount; ++r) {
    const ScheduleKindRow& row = kScheduleKinds[r];
    for (std::size_t i = 0; i < row.count; ++i) fields[r].push_back(StartingText(row.fields[i].field));
  }
}

TaskForm NewTaskForm(const ScheduleNow& today) {
  TaskForm f;
  f.date = {today.year, today.month, today.day};
  return f;
}

std::string UptimeText(std::uint32_t tickMs) {
  const std::uint32_t s = tickMs / 1000u;
  return "已开机时间:" + Decimal(s / 3600u) + "时" + Decimal(s % 3600u / 60u) + "分" + Decimal(s % 60u) + "秒";
}

std::optional<UserMessage> CheckTaskForm(const TaskForm& f) {
  if (!f.kind) return Refusal("请选择时间");
  const ScheduleKindRow& row = RowOf(*f.kind);
  const std::vector<std::string>& texts = f.FieldsOf(*f.kind);
  for (std::size_t i = 0; i < row.count; ++i) {
    const ScheduleField field = row.fields[i].field;
    if (!IsNumber(field) || (texts[i].empty() && EmptyIsZero(field))) continue;
    const std::optional<std::int32_t> v = DigitsValue(texts[i]);
    if (!v || *v > LargestTyped(field)) return RuleRefusal(row, i);
  }
  TaskForm composed = f;
  const ScheduleReading r = ReadSchedule(ComposeSchedule(composed, kCheckDateFormat), kCheckDateFormat);
  if (r.never) return RuleRefusal(row, r.badField >= 0 ? static_cast<std::size_t>(r.badField) : 0);
  if (IsAdapterType(f.type) && !AdapterCommand(f.param, true)) return Refusal(AdapterNameProblem(f.param));
  if (f.type == words::kKeepAwake && !ReadAwakeParam(f.param)) return Refusal(kAwakeParamRule);
  return std::nullopt;
}

std::string ComposeSchedule(TaskForm& f, const std::string& shortDateFormat) {
  const ScheduleKindRow& row = RowOf(*f.kind);
  std::vector<std::string>& texts = f.FieldsOf(*f.kind);
  std::vector<std::string> fields;
  for (std::size_t i = 0; i < row.count; ++i) {
    const ScheduleField field = row.fields[i].field;
    if (field == ScheduleField::Date) {
      fields.push_back(DateToStr(f.date, shortDateFormat));
      continue;
    }
    // A number box shows the number as stored; an empty after-boot box is 0.
    if (IsNumber(field)) texts[i] = texts[i].empty() ? std::string("0") : PlainNumber(texts[i]);
    fields.push_back(texts[i]);  // a program's name as typed, even one of digits only
  }
  return ScheduleText(*f.kind, fields);
}

void FillTaskForm(TaskForm& f, const TaskRecord& task, const ScheduleNow& now, const std::string& shortDateFormat) {
  f.type = EditorType(task.type).word;
  f.param = task.param;
  f.wake = task.wake;
  // A flag stored where it does nothing (a shutdown's, planted by hand) shows unticked.
  f.catchUp = task.catchUp && CatchUpOffered(KindOf(task.schedule), task.type);
  f.date = {now.year, now.month, now.day};
  const std::optional<ScheduleKind> kind = KindOf(task.schedule);
  if (!kind) return;
  const std::vector<std::string> x = CutFields(*kind, task.schedule);
  const bool onlyKindWord = task.schedule.size() <= kKindWordBytes;
  const ScheduleKindRow& row = RowOf(*kind);
  TaskForm filled = f;
  std::vector<std::string>& texts = filled.FieldsOf(*kind);
  for (std::size_t i = 0; i < row.count; ++i) {
    const ScheduleField field = row.fields[i].field;
    if (field == ScheduleField::Date) {
      filled.date = StrToDate(x[i], shortDateFormat);
    } else if (field == ScheduleField::Hour || field == ScheduleField::Minute) {
      texts[i] = Decimal(StrToInt(x[i]));  // a picker shows the number
    } else if (field == ScheduleField::ProgramName) {
      texts[i] = x[i];
    } else {
      texts[i] = field == ScheduleField::Weekday ? WeekdayText(x[i]) : x[i];  // a stored 7 shows as 0
      if (!onlyKindWord) StrToInt(texts[i]);  // a box shows only a number the tick reads
    }
  }
  f = filled;
  f.kind = kind;
}

bool OnceInThePast(const TaskForm& f, const ScheduleNow& now) {
  if (f.kind != ScheduleKind::Once) return false;
  const LocalMinute at{f.date.year, f.date.month, f.date.day, OnceNumber(f, ScheduleField::Hour),
                       OnceNumber(f, ScheduleField::Minute)};
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
  result.stored = list.CommitEditor(editorId, store, schedule, form.type, form.param,
                                    form.wake && HasClockTime(*form.kind),
                                    form.catchUp && CatchUpOffered(form.kind, form.type));
  return result;
}

std::string TypeMark(const std::string& typeWord, const std::optional<PowerCapabilities>& caps) {
  const TaskType* type = FindTaskType(typeWord);
  const bool cannot = type && type->power && PlanPowerAction(*type->power, caps).call == PowerCall::None;
  return cannot ? "本机不支持" : "";
}

bool CatchUpOffered(std::optional<ScheduleKind> kind, const std::string& typeWord) {
  const TaskType* type = FindTaskType(typeWord);
  return kind && HasClockTime(*kind) && type && CatchUpAllowed(*type);
}

}  // namespace ordavi
