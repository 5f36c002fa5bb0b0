#include "dialogs/settings_list.h"

#include "store/errors.h"
#include "store/words.h"

namespace ordavi {

namespace {

// A field that cannot be read shows as empty; the row stays so the task can
// still be rewritten or deleted from the list.
std::string ReadOrEmpty(TaskStore& store, TaskField field, int n) {
  try {
    return store.ReadField(field, n);
  } catch (const FrameworkError&) {
    return std::string();
  }
}

bool Readable(TaskStore& store, TaskField field, int n) {
  try {
    store.ReadField(field, n);
    return true;
  } catch (const FrameworkError&) {
    return false;
  }
}

}  // namespace

void SettingsList::Load(TaskStore& store) {
  rows_.clear();
  selected_.reset();
  combo_ = StateCombo();
  const std::int32_t count = store.FollowCounter();  // the tasks stored now
  for (int n = 1; n <= count; ++n) {
    TaskRecord r;
    r.number = n;
    r.schedule = ReadOrEmpty(store, TaskField::Schedule, n);
    if (r.schedule.empty() && Readable(store, TaskField::Schedule, n)) continue;
    r.type = ReadOrEmpty(store, TaskField::Type, n);
    r.param = ReadOrEmpty(store, TaskField::Param, n);
    r.enabled = ReadOrEmpty(store, TaskField::Enabled, n);
    r.wake = store.ReadFlag(TaskField::Wake, n);
    r.catchUp = store.ReadFlag(TaskField::CatchUp, n);
    rows_.push_back(r);
  }
}

void SettingsList::Select(std::optional<std::size_t> index) {
  selected_ = index && *index < rows_.size() ? index : std::nullopt;
}

std::optional<int> SettingsList::SelectedTask() const {
  if (!selected_) return std::nullopt;
  return rows_[*selected_].number;
}

std::optional<std::size_t> SettingsList::RowOf(int task) const {
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    if (rows_[i].number == task) return i;
  }
  return std::nullopt;
}

std::optional<std::size_t> SettingsList::StateComboRow() const {
  if (!combo_.visible) return std::nullopt;
  return RowOf(combo_.task);
}

std::optional<UserMessage> SettingsList::CheckRowIsCurrent(TaskStore& store, std::size_t row) {
  const TaskRecord& shown = rows_[row];
  const int n = shown.number;
  if (ReadOrEmpty(store, TaskField::Schedule, n) == shown.schedule &&
      ReadOrEmpty(store, TaskField::Type, n) == shown.type && ReadOrEmpty(store, TaskField::Param, n) == shown.param) {
    return std::nullopt;
  }
  Load(store);
  return UserMessage{kTasksChangedElsewhere, kInfoCaption, MessageIcon::Information};
}

void SettingsList::RemoveRow(std::size_t index) {
  rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(index));
  // The selection stays on its task: it is cleared only with its own row.
  if (selected_ && *selected_ == index) {
    selected_.reset();
  } else if (selected_ && *selected_ > index) {
    --*selected_;
  }
}

std::optional<UserMessage> SettingsList::DeleteSelected(TaskStore& store) {
  const std::optional<int> k = SelectedTask();
  if (!k) return UserMessage{kSelectTaskToDelete, kErrorCaption, MessageIcon::Error};
  if (auto changed = CheckRowIsCurrent(store, *selected_)) return changed;
  store.DeleteTask(*k);
  for (TaskRecord& r : rows_) {
    if (r.number > *k) --r.number;
  }
  RemoveRow(*selected_);
  // The row under the combo is gone, and its number may now name another task.
  combo_.visible = false;
  for (auto& editor : editors_) {
    std::optional<int>& target = editor.second;
    if (!target) continue;
    if (*target == *k) {
      target.reset();
    } else if (*target > *k) {
      --*target;
    }
  }
  return std::nullopt;
}

void SettingsList::ClickList(TaskStore& store) {
  const std::optional<int> n = SelectedTask();
  if (!n) {
    combo_.visible = false;
    return;
  }
  combo_.task = *n;
  const std::string word = store.ReadField(TaskField::Enabled, *n);
  if (word == words::kEnabled) combo_.item = 0;
  if (word == words::kDisabled) combo_.item = 1;
  combo_.visible = true;
}

std::optional<UserMessage> SettingsList::PickState(TaskStore& store, const std::string& word) {
  if (!combo_.visible || (word != words::kEnabled && word != words::kDisabled)) return std::nullopt;
  if (const auto row = RowOf(combo_.task)) {
    if (auto changed = CheckRowIsCurrent(store, *row)) return changed;
  }
  store.SetTaskEnabled(combo_.task, word);
  combo_.item = word == words::kEnabled ? 0 : 1;
  // The row of the task under the combo, also when the selection has moved
  // with the keyboard since the click.
  if (const auto row = RowOf(combo_.task)) rows_[*row].enabled = word;
  return std::nullopt;
}

int SettingsList::OpenAddEditor() {
  const int id = nextEditor_++;
  editors_[id] = std::nullopt;
  return id;
}

SettingsList::ModifyOpening SettingsList::OpenModifyEditor(TaskStore& store) {
  ModifyOpening opening;
  const std::optional<int> n = SelectedTask();
  if (!n) {
    opening.refusal = UserMessage{kSelectTaskToModify, kErrorCaption, MessageIcon::Error};
    return opening;
  }
  if (auto changed = CheckRowIsCurrent(store, *selected_)) {
    opening.refusal = changed;
    return opening;
  }
  opening.editorId = nextEditor_++;
  opening.task = *n;
  editors_[opening.editorId] = *n;
  return opening;
}

void SettingsList::CloseEditor(int editorId) { editors_.erase(editorId); }

std::optional<int> SettingsList::EditorTarget(int editorId) const {
  const auto it = editors_.find(editorId);
  return it == editors_.end() ? std::nullopt : it->second;
}

TaskRecord SettingsList::CommitEditor(int editorId, TaskStore& store, const std::string& schedule,
                                      const std::string& type, const std::string& param, bool wake,
                                      bool catchUp) {
  const std::optional<int> target = EditorTarget(editorId);
  TaskRecord r;
  r.schedule = schedule;
  r.type = type;
  r.param = param;
  r.wake = wake;
  r.catchUp = catchUp;
  // The store goes first: a refused write leaves the rows as they are.
  if (target) {
    r.enabled = store.ModifyTask(*target, schedule, type, param, wake, catchUp);
    r.number = *target;
  } else {
    r.number = store.AddTask(schedule, type, param, wake, catchUp);
    r.enabled = words::kEnabled;
  }
  if (const auto row = RowOf(r.number)) RemoveRow(*row);
  rows_.push_back(r);
  if (target) combo_.visible = false;
  editors_.erase(editorId);
  return r;
}

}  // namespace ordavi
