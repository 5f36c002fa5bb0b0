// The settings dialog (window class "TForm3"): the task list with its task
// buttons and state combo, and the program options. Each opening creates a
// new, modeless dialog; the task editors opened from it are its owned windows
// and close with it. What the list shows and every store operation is decided
// by SettingsList; this window mirrors it in its controls.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "actions/power.h"
#include "dialogs/options_form.h"
#include "dialogs/settings_list.h"
#include "dialogs/win32/task_editor.h"
#include "schedule/conditions.h"
#include "schedule/local_clock.h"
#include "schedule/schedule.h"
#include "schedule/tick_state.h"
#include "store/options.h"
#include "store/registry.h"
#include "store/tasks.h"
#include "transfer/export_import.h"
#include "ui/win32/window.h"

namespace ordavi {

// What the dialogs work on, owned by the composition root.
struct SettingsServices {
  TaskStore& tasks;
  Registry& program;   // the program's key
  RegistryRoot& root;  // for the autostart value under the Run key
  Options& options;    // the in-memory copies
  std::string exePath;
  std::function<void(std::int32_t)> setProgressMax;  // the countdown's progress bar
  TickRunState& tickState;  // held while any settings dialog is open
  std::uint32_t osMajor;  // read at start-up
  SystemClock& clock;     // tick count: uptime text, idle and boot schedules
  DateFormatSource& dates;
  LocalClock& localTime;
  ConditionSensors& sensors;  // the editor's list of running programs
  const PowerSystem& power;   // whether the power plan lets wake timers wake the PC, what the PC can do
  // The 下次运行 column's cells are filled (the benchmark's floor leaves them
  // empty, to weigh what the column costs).
  bool showNextRuns = true;
  // Told when a dialog closes: its tasks may have changed (the wake timer).
  std::function<void()> tasksMayHaveChanged = nullptr;
  // How far the condition tasks have come, for the 下次运行 column; none: the
  // column says only what each waits for.
  const Conditions* conditions = nullptr;
};

class SettingsDialog : public Window, private TaskEditorHost {
 public:
  // Stops the task tick, then creates, fills and shows the dialog. There is
  // one at a time: while it is open, it and its task editors come to the
  // front instead.
  static HWND Open(const SettingsServices& services);

 private:
  explicit SettingsDialog(const SettingsServices& services)
      : Window(Lifetime::FreedWhenDestroyed), services_(services) {}

  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void CreateControls();
  void Fill();
  void ShowRows();
  void OnCommand(int id, int code, HWND control);
  LRESULT OnNotify(const NMHDR& header);
  void PlaceStateCombo();
  // The 下次运行 column of every row, as of now.
  void ShowNextRuns();

  void AddClick();
  void ModifyClick();
  void DeleteClick();
  void BrowseSoundClick();
  // Export and import work on the dialog's store, the task file's text
  // through `codec`.
  TaskFileStore FileStore(GbkCodec& codec) const;
  void ExportClick();
  void ImportClick();
  void OkClick();

  // The host of the task editors opened from this dialog.
  HWND OwnerWindow() const override { return hwnd_; }
  ScheduleNow LocalTime() const override { return services_.localTime.LocalTime(); }
  std::uint32_t TickCount() const override { return services_.clock.TickCount(); }
  std::string ShortDateFormat() const override { return services_.dates.ShortDateFormat(); }
  std::uint32_t OsMajor() const override { return services_.osMajor; }
  std::optional<std::vector<std::string>> RunningPrograms() const override {
    return services_.sensors.RunningPrograms();
  }
  std::optional<bool> WakeTimersAllowed() const override { return services_.power.WakeTimersAllowed(); }
  std::optional<ordavi::PowerCapabilities> PowerCapabilities() const override { return services_.power.Capabilities(); }
  TaskRecord ReadTask(int task) const override { return services_.tasks.ReadTask(task); }
  EditorOkResult StoreTask(int editorId, TaskForm& form, const ScheduleNow& now, bool pastConfirmed) override;
  void EditorClosed(int editorId) override { list_.CloseEditor(editorId); }

  SettingsServices services_;
  SettingsList list_;
  int shownMinute_ = -1;  // the minute of the day the next-run cells were shown for
  bool syncing_ = false;  // rows are being shown: selection notices are the dialog's own
  HFONT font_ = nullptr;
  HWND tips_ = nullptr;
  HWND listView_ = nullptr, stateCombo_ = nullptr;
  HWND autostart_ = nullptr, soundPath_ = nullptr;
};

}  // namespace ordavi
