#include "dialogs/task_form.h"

#include "actions/network.h"
#include "schedule/next_run.h"
#include "store/errors.h"
#include "store/text.h"
#include "store/words.h"

namespace ordavi {

namespace {

bool IsAdapterType(const std::string& type) {
  const TaskType* t = FindTaskType(type);
  return t && (t->action == TaskAction::DisableAdapter || t->action == TaskAction::EnableAdapter);
}

std::string TimeText(const TimeOfDay& t) { return Decimal(t.hour) + "时" + Decimal(t.minute) + "分"; }

// A number box as the schedule evaluation reads it: ASCII digits within 32 bits.
std::optional<std::int32_t> NumberIn(const std::string& text) {
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

bool NumberBetween(const std::string& text, int low, int high) {
  const std::optional<std::int32_t> v = NumberIn(text);
  return v && *v >= low && *v <= high;
}

UserMessage Refusal(const std::string& text) { return {text, kInfoCaption, MessageIcon::Information}; }

TimeOfDay TimeFrom(const std::string& hour, const std::string& minute) { return {StrToInt(hour), StrToInt(minute)}; }

// A number typed with leading zeros, without them ("07" -> "7", "00" -> "0").
// Other texts are left for the checks to refuse.
std::string WithoutLeadingZeros(const std::string& text) {
  if (!NumberIn(text)) return text;
  const std::size_t first = text.find_first_not_of('0');
  return first == std::string::npos ? std::string("0") : text.substr(first);
}

// Days a month can have in some year (29 for February).
int LongestMonth(int month) {
  static const int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return kDays[month - 1];
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

bool AcceptsDigitKey(char c) { return (c >= '0' && c <= '9') || c == kBackspace; }

std::string UptimeText(std::uint32_t tickMs) {
  const std::uint32_t s = tickMs / 1000u;
  return "已开机时间:" + Decimal(s / 3600u) + "时" + Decimal(s % 3600u / 60u) + "分" + Decimal(s % 60u) + "秒";
}

std::optional<UserMessage> CheckTaskForm(const TaskForm& f) {
  if (!f.kind) return Refusal("请选择时间");
  switch (*f.kind) {
    case ScheduleKind::Idle:
      if (!NumberIn(f.idleMinutes)) return Refusal("请在“空闲”后填写分钟数（只能是数字）");
      break;
    case ScheduleKind::AfterBoot:
      // Empty boxes are stored as 0.
      if (!f.bootHours.empty() && !NumberIn(f.bootHours)) return Refusal("“开机”后的小时数只能是数字");
      if (!f.bootMinutes.empty() && !NumberIn(f.bootMinutes)) return Refusal("“开机”后的分钟数只能是数字");
      break;
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
    case ScheduleKind::Once:
    case ScheduleKind::Daily:
      break;
  }
  if (IsAdapterType(f.type) && !AdapterCommand(f.param, true)) return Refusal(AdapterNameProblem(f.param));
  return std::nullopt;
}

std::string ComposeSchedule(TaskForm& f, const std::string& shortDateFormat) {
  f.weekday = WithoutLeadingZeros(f.weekday);
  f.monthDay = WithoutLeadingZeros(f.monthDay);
  f.month = WithoutLeadingZeros(f.month);
  f.yearDay = WithoutLeadingZeros(f.yearDay);
  switch (*f.kind) {
    case ScheduleKind::Idle: return words::kIdle + f.idleMinutes + "分钟";
    case ScheduleKind::AfterBoot:
      if (f.bootHours.empty()) f.bootHours = "0";
      if (f.bootMinutes.empty()) f.bootMinutes = "0";
      return words::kAfterBoot + f.bootHours + "时" + f.bootMinutes + "分";
    case ScheduleKind::Once: return words::kOnce + DateToStr(f.onceDate, shortDateFormat) + "日" + TimeText(f.onceTime);
    case ScheduleKind::Daily: return words::kDaily + TimeText(f.dailyTime);
    case ScheduleKind::Weekly: return words::kWeekly + f.weekday + "日" + TimeText(f.weeklyTime);
    case ScheduleKind::Monthly: return words::kMonthly + f.monthDay + "日" + TimeText(f.monthlyTime);
    case ScheduleKind::Yearly: return words::kYearly + f.month + "月" + f.yearDay + "日" + TimeText(f.yearlyTime);
  }
  return std::string();
}

void FillTaskForm(TaskForm& f, const TaskRecord& task, Matchers& matchers, const ScheduleNow& now,
                  const std::string& shortDateFormat) {
  f.type = EditorType(task.type).word;
  f.param = task.param;
  f.onceDate = {now.year, now.month, now.day};
  const std::optional<ScheduleKind> kind = KindOf(task.schedule);
  if (!kind) return;
  const std::vector<std::string> x = matchers.Match(*kind, now, task.schedule).fields;
  f.kind = kind;
  switch (*kind) {
    case ScheduleKind::Idle: f.idleMinutes = x[0]; break;
    case ScheduleKind::AfterBoot:
      f.bootHours = x[0];
      f.bootMinutes = x[1];
      break;
    case ScheduleKind::Once:
      f.onceDate = StrToDate(x[0], shortDateFormat);
      f.onceTime = TimeFrom(x[1], x[2]);
      break;
    case ScheduleKind::Daily: f.dailyTime = TimeFrom(x[0], x[1]); break;
    case ScheduleKind::Weekly:
      f.weekday = x[0];
      f.weeklyTime = TimeFrom(x[1], x[2]);
      break;
    case ScheduleKind::Monthly:
      f.monthDay = x[0];
      f.monthlyTime = TimeFrom(x[1], x[2]);
      break;
    case ScheduleKind::Yearly:
      f.month = x[0];
      f.yearDay = x[1];
      f.yearlyTime = TimeFrom(x[2], x[3]);
      break;
  }
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
  result.stored = list.CommitEditor(editorId, store, schedule, form.type, form.param);
  return result;
}

}  // namespace ordavi
