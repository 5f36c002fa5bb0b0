// The task editor as plain data: the state of its controls (TaskForm), the
// schedule text composed from it, the checks made before a task is stored,
// filling the form from a stored task, the parameter suggestions of each type
// and the uptime text. The window only moves these values in and out of its
// controls.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "actions/power.h"
#include "dialogs/settings_list.h"
#include "schedule/grammar.h"
#include "schedule/schedule.h"
#include "store/task_types.h"
#include "store/tasks.h"

namespace ordavi {

// The type the editor selects for a stored type word: the word's own type,
// or the first of the list ("提醒") for a word that names none.
const TaskType& EditorType(const std::string& typeWord);

// The parameter row: the caption beside the box, the box's list, its text and
// its tooltip (empty: none).
struct ParamHints {
  std::string caption;
  std::vector<std::string> items;
  std::string text;
  std::string tooltip;
};
// The caption the parameter row has before any type is picked.
inline constexpr const char* kInitialParamCaption = "提醒语:";

// What the parameter row shows after the user picks `typeWord`; whatever was
// typed into the box before is replaced. `osMajor` is the operating system's
// major version (10 and later call the wired connection "以太网").
ParamHints HintsForPickedType(const std::string& typeWord, std::uint32_t osMajor);
// What the parameter row shows when a stored task fills the editor: caption
// and tooltip of EditorType, no list, the stored parameter.
ParamHints HintsForStoredTask(const std::string& typeWord, const std::string& param);

// The editor's controls. For each row of the grammar's table
// (kScheduleKinds), the texts of its fields as its boxes and pickers hold
// them: a box's or list's text as typed, a time picker's hour and minute in
// decimal. A Date field's value is `date`, the date picker; its text is
// unused.
struct TaskForm {
  TaskForm();  // every list at 1, every time at 0:00, every box empty
  std::optional<ScheduleKind> kind;                    // the selected radio button
  std::vector<std::string> fields[kScheduleKindCount];  // by the row's index in kScheduleKinds
  Date date{2009, 1, 19};                              // DateTimePicker1
  std::string type;                                    // ComboBox5 text (empty: none picked)
  std::string param;                                   // ComboBox6 text
  bool wake = false;  // 唤醒计算机运行此任务 (stored only for a kind with a clock time)
  bool catchUp = false;  // 错过后补运行 (stored only where CatchUpOffered)

  std::vector<std::string>& FieldsOf(ScheduleKind k) { return fields[&RowOf(k) - kScheduleKinds]; }
  const std::vector<std::string>& FieldsOf(ScheduleKind k) const { return fields[&RowOf(k) - kScheduleKinds]; }
};

// The wake box's caption, and what the editor says below it when the active
// power plan keeps wake timers off (Windows then ignores them).
inline constexpr const char* kWakeBoxCaption = "唤醒计算机运行此任务";
inline constexpr const char* kWakeTimersOffNote =
    "当前电源计划不允许唤醒定时器。请在“电源选项 > 更改高级电源设置 > 睡眠 > 允许使用唤醒定时器”中选“启用”。";

// The catch-up box's caption, and whether the editor offers it: for a kind
// with a clock time (only such a task's minutes can be missed) and a type
// that may run late (CatchUpAllowed).
inline constexpr const char* kCatchUpBoxCaption = "错过后补运行";
bool CatchUpOffered(std::optional<ScheduleKind> kind, const std::string& typeWord);

// What the editor says beside the type: 本机不支持 for a power type this PC
// cannot do (PlanPowerAction), which stays in the list, since a task may be
// meant for another PC; empty otherwise.
std::string TypeMark(const std::string& typeWord, const std::optional<PowerCapabilities>& caps);

// A new editor's form: nothing selected, the once date today.
TaskForm NewTaskForm(const ScheduleNow& today);

// "已开机时间:26时3分4秒" for a tick count of 93 784 000 ms.
std::string UptimeText(std::uint32_t tickMs);

// Why the form cannot be stored (caption "提示", information icon): no kind
// chosen; a field of the chosen kind that is no number written in digits
// (an empty after-boot box is 0), or that makes a text the grammar never
// finds due, named with the grammar's rule of the field ("“每周”的星期应为0到7
// （0和7都是星期日）"); or an adapter name that cannot be put on the netsh
// command line. Nothing when it can be stored.
std::optional<UserMessage> CheckTaskForm(const TaskForm& form);

// The schedule text of the chosen kind, written by the grammar
// (schedule/grammar.h). For the boot kind an empty box becomes "0", and a
// number typed with leading zeros ("07") loses them (PlainNumber: the tick
// reads a weekday "07" as no day), in the form as well. `shortDateFormat`
// renders the once date.
std::string ComposeSchedule(TaskForm& form, const std::string& shortDateFormat);

// Fills the form from a stored task: type and parameter, the once date today
// (for a task of another kind), then the kind's radio button and fields, as
// the grammar cuts them (a number box shows the stored text, a weekday 7 as
// 0). A field that does not convert raises its conversion error and leaves
// the form with the type and parameter filled in, and nothing else changed.
void FillTaskForm(TaskForm& form, const TaskRecord& task, const ScheduleNow& now, const std::string& shortDateFormat);

// Whether a once task's date and minute lie before the minute of `now`: such a
// task would never run.
bool OnceInThePast(const TaskForm& form, const ScheduleNow& now);
// The question OK asks about such a task (是/否, 否 the default).
inline constexpr const char* kOnceInThePastQuestion = "该“一次”任务的日期和时间已经过去，永远不会执行。仍然保存吗？";

// The editor's OK: checks the form, composes the schedule text and stores the
// task through the settings list (which moves its row to the bottom). Either
// `refusal` is set and nothing was written, or `question` is set (a once task
// in the past, not yet confirmed: nothing was written; OK again with
// `pastConfirmed` when the user says 是), or `stored` is the task's row.
struct EditorOkResult {
  std::optional<UserMessage> refusal;
  std::optional<std::string> question;
  std::optional<TaskRecord> stored;
};
EditorOkResult EditorOk(SettingsList& list, int editorId, TaskStore& store, TaskForm& form,
                        const std::string& shortDateFormat, const ScheduleNow& now, bool pastConfirmed);

}  // namespace ordavi
