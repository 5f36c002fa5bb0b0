// The task editor (window class "TForm5"): when a task runs (the grammar's
// schedule kinds with their boxes and pickers; the conditions in a column of
// their own on the right) and what it does (type and parameter).
// Opened from its host, the settings dialog, as its owned window, to add a task or to
// rewrite one; its controls are read into a TaskForm and everything else is
// decided by the editor model (dialogs/task_form.h).
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "dialogs/task_form.h"
#include "ui/win32/window.h"

namespace ordavi {

// What an editor asks of the window that opened it (the settings dialog): the
// clocks and the system's version, the running programs and the power plan's
// wake timers, the stored task it is filled from, and the store and list its
// OK writes to and its closing is told to.
class TaskEditorHost {
 public:
  virtual ~TaskEditorHost() = default;
  virtual HWND OwnerWindow() const = 0;
  virtual ScheduleNow LocalTime() const = 0;
  virtual std::uint32_t TickCount() const = 0;
  virtual std::string ShortDateFormat() const = 0;
  virtual std::uint32_t OsMajor() const = 0;
  // The executable names of this session's running programs, as the
  // condition kind watches them; nothing when the system cannot give them.
  virtual std::optional<std::vector<std::string>> RunningPrograms() const = 0;
  virtual std::optional<bool> WakeTimersAllowed() const = 0;  // PowerSystem::WakeTimersAllowed
  virtual std::optional<PowerCapabilities> PowerCapabilities() const = 0;  // PowerSystem::Capabilities
  virtual TaskRecord ReadTask(int task) const = 0;
  // EditorOk on the host's list and store; a stored task's row is shown.
  virtual EditorOkResult StoreTask(int editorId, TaskForm& form, const ScheduleNow& now, bool pastConfirmed) = 0;
  virtual void EditorClosed(int editorId) = 0;
};

class TaskEditor : public Window {
 public:
  // An empty editor whose once date is today.
  static void OpenForAdd(TaskEditorHost& owner, int editorId);
  // An editor filled from stored task `task`. A stored text that does not
  // convert raises its error after the editor has opened, filled up to there.
  static void OpenForModify(TaskEditorHost& owner, int editorId, int task);

 private:
  TaskEditor(TaskEditorHost& owner, int editorId)
      : Window(Lifetime::FreedWhenDestroyed), owner_(owner), editorId_(editorId) {}
  static TaskEditor* Create(TaskEditorHost& owner, int editorId);

  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void CreateControls();
  // The radio button of the table's row `index` and the controls of its
  // fields, on line `line` of the left column or of the conditions' column.
  void CreateKindLine(int index, int line, bool conditionColumn);
  TaskForm ReadForm() const;
  void ShowForm(const TaskForm& form);
  // Every field's control; with `composedOnly`, just the boxes whose text
  // composing the schedule may have changed (an empty boot box became "0",
  // leading zeros dropped).
  void ShowFields(const TaskForm& form, bool composedOnly);
  void ShowHints(const ParamHints& hints);
  // The wake box can be ticked only for a kind with a clock time, the
  // catch-up box only where CatchUpOffered; beside the type, TypeMark.
  void ShowFlagBoxes();
  void FillFromStore(int task);

  // The radio buttons are two groups (the conditions' column is created last):
  // a click on one clears every other.
  void RadioClicked(int index);
  void TypeChange();
  void BrowseClick();
  void OkClick();

  TaskEditorHost& owner_;
  int editorId_;
  HFONT font_ = nullptr;
  HWND tips_ = nullptr;
  HWND radios_[kScheduleKindCount] = {};
  // By the table's row, the control of each field (an hour and its minute
  // share their time picker).
  std::vector<HWND> fields_[kScheduleKindCount];
  HWND type_ = nullptr, paramCaption_ = nullptr, param_ = nullptr;
  HWND wake_ = nullptr, catchUp_ = nullptr, typeMark_ = nullptr;
};

}  // namespace ordavi
