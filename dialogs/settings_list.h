// The settings dialog's task list as plain data: one row per stored task, the
// selected row, the state combo that sits over a row's "是否启用" cell, and the
// task editors opened from the dialog. The window shows these rows and turns
// clicks into the calls below; every store operation and every decision about
// the rows is taken here.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "schedule/conditions.h"
#include "schedule/schedule.h"
#include "store/tasks.h"
#include "ui/user_message.h"

namespace ordavi {

inline constexpr const char* kSelectTaskToDelete = "请选择要删除的任务";
inline constexpr const char* kSelectTaskToModify = "请选择要修改的任务";
// The store changed under the dialog (another program, another user's agent,
// a registry import): the rows were read again and nothing was changed.
inline constexpr const char* kTasksChangedElsewhere = "任务已在别处被更改，列表已重新读取，请重新选择后再操作。";

// The state combo: visible over the row of `task` or hidden; item 0 is "启用",
// item 1 "禁用", -1 no choice yet.
struct StateCombo {
  bool visible = false;
  int task = 0;
  int item = -1;
};

class SettingsList {
 public:
  // Rows of tasks 1..counter whose schedule text is not empty, in number
  // order. A value that cannot be read (wrong registry type) shows empty, and
  // the task still gets its row, so that the user can rewrite or delete it.
  void Load(TaskStore& store);

  const std::vector<TaskRecord>& rows() const { return rows_; }
  const StateCombo& stateCombo() const { return combo_; }
  // The row the visible state combo covers; nothing when it is hidden.
  std::optional<std::size_t> StateComboRow() const;

  // The row the user selected, by its position in the list; nothing selected
  // when empty.
  void Select(std::optional<std::size_t> index);
  std::optional<std::size_t> selected() const { return selected_; }
  std::optional<int> SelectedTask() const;

  // Deletes the selected task at once: later tasks and their rows move down by
  // one number. With no row selected, the message to show instead.
  std::optional<UserMessage> DeleteSelected(TaskStore& store);

  // A click in the list: over a selected row the state combo shows that task's
  // stored enabled word; with no row selected it hides.
  void ClickList(TaskStore& store);
  // A word picked in the state combo: "启用" or "禁用" is stored for the task
  // under the combo and shown in its row.
  //
  // Delete, modify and the state combo act on a task by its number, and the
  // store may have changed since the rows were read. Each first checks that
  // the task under the row still holds the row's schedule, type and
  // parameter; if not, the rows are read again, nothing is changed and the
  // returned message says so.
  std::optional<UserMessage> PickState(TaskStore& store, const std::string& word);

  // Task editors. Each one remembers whether it adds a task or rewrites a
  // given one; the numbers of the tasks being rewritten follow deletes made
  // meanwhile, and an editor whose task was deleted adds its task anew.
  int OpenAddEditor();
  // Opens an editor for the selected task; with no row selected, nothing
  // opens and `refusal` holds the message.
  struct ModifyOpening {
    std::optional<UserMessage> refusal;
    int editorId = 0;
    int task = 0;
  };
  ModifyOpening OpenModifyEditor(TaskStore& store);
  void CloseEditor(int editorId);
  // The editor's OK: stores the task (AddTask or ModifyTask), moves its row to
  // the bottom of the list, hides the state combo and forgets the editor. A
  // refused write leaves the list and the editor as they were.
  TaskRecord CommitEditor(int editorId, TaskStore& store, const std::string& schedule, const std::string& type,
                          const std::string& param, bool wake = false, bool catchUp = false);
  // The task a modify editor rewrites, if it still exists.
  std::optional<int> EditorTarget(int editorId) const;

 private:
  std::optional<std::size_t> RowOf(int task) const;
  // Nothing when the row still shows its stored task; otherwise the rows are
  // read again and the message tells the user.
  std::optional<UserMessage> CheckRowIsCurrent(TaskStore& store, std::size_t row);
  void RemoveRow(std::size_t index);

  std::vector<TaskRecord> rows_;
  std::optional<std::size_t> selected_;
  StateCombo combo_;
  // Open editors and the task each rewrites (nothing: adds a task).
  std::map<int, std::optional<int>> editors_;
  int nextEditor_ = 1;
};

}  // namespace ordavi
