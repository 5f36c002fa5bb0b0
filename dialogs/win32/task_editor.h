// The task editor (window class "TForm5"): when a task runs (the grammar's
// schedule kinds with their boxes and pickers; the conditions in a column of
// their own on the right) and what it does (type and parameter).
// Opened from a settings dialog, as its owned window, to add a task or to
// rewrite one; its controls are read into a TaskForm and everything else is
// decided by the editor model (dialogs/task_form.h).
#pragma once

#include <windows.h>

#include "dialogs/task_form.h"
#include "ui/win32/window.h"

namespace ordavi {

class SettingsDialog;

class TaskEditor : public Window {
 public:
  // An empty editor whose once date is today.
  static void OpenForAdd(SettingsDialog& owner, int editorId);
  // An editor filled from stored task `task`. A stored text that does not
  // convert raises its error after the editor has opened, filled up to there.
  static void OpenForModify(SettingsDialog& owner, int editorId, int task);

 private:
  TaskEditor(SettingsDialog& owner, int editorId)
      : Window(Lifetime::FreedWhenDestroyed), owner_(owner), editorId_(editorId) {}
  static TaskEditor* Create(SettingsDialog& owner, int editorId);

  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void CreateControls();
  TaskForm ReadForm() const;
  void ShowForm(const TaskForm& form);
  // The boxes whose text composing the schedule may have changed (an empty
  // boot box became "0", leading zeros dropped).
  void ShowComposedBoxes(const TaskForm& form);
  void ShowHints(const ParamHints& hints);
  // The wake box can be ticked only for a kind with a clock time.
  void ShowWakeBox(std::optional<ScheduleKind> kind);
  void FillFromStore(int task);

  // The radio buttons are two groups (the conditions' column is created last):
  // a click on one clears every other.
  void RadioClicked(int index);
  void TypeChange();
  void BrowseClick();
  void OkClick();

  SettingsDialog& owner_;
  int editorId_;
  HFONT font_ = nullptr;
  HWND tips_ = nullptr;
  HWND radios_[sizeof kScheduleKinds / sizeof kScheduleKinds[0]] = {};
  HWND idleMinutes_ = nullptr, onceDate_ = nullptr, onceTime_ = nullptr, dailyTime_ = nullptr;
  HWND weekday_ = nullptr, weeklyTime_ = nullptr, monthDay_ = nullptr, monthlyTime_ = nullptr;
  HWND month_ = nullptr, yearDay_ = nullptr, yearlyTime_ = nullptr;
  HWND bootHours_ = nullptr, bootMinutes_ = nullptr, uptime_ = nullptr;
  HWND type_ = nullptr, paramCaption_ = nullptr, param_ = nullptr;
  HWND wake_ = nullptr;
  HWND programName_ = nullptr, networkKBps_ = nullptr, networkMinutes_ = nullptr;
  HWND processorPercent_ = nullptr, processorMinutes_ = nullptr;
};

}  // namespace ordavi
