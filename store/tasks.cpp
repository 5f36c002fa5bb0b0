#include "store/tasks.h"

#include "store/errors.h"
#include "store/text.h"
#include "store/words.h"

namespace ordavi {

namespace {
constexpr const char* kTaskNum = "TaskNum";
constexpr TaskField kAllFields[] = {TaskField::Schedule, TaskField::Type, TaskField::Param, TaskField::Enabled};
constexpr TaskField kFlagFields[] = {TaskField::Wake, TaskField::CatchUp};

// The values one store operation is about to change, as they were before, so
// that a refused write can be undone: a task is then changed completely or
// not at all, and the counter keeps matching the stored tasks. The undo
// itself is best effort (a registry that refuses one write may refuse the
// next); the refused write is reported either way.
class StoredValues {
 public:
  explicit StoredValues(Registry& reg) : reg_(reg) {}

  // `number`: the value is a REG_DWORD (TaskNum always is).
  void Remember(const std::string& name, bool number = false) {
    Saved v{name, reg_.ValueExists(name), false, number || name == kTaskNum, 0, std::string()};
    try {
      if (v.existed && v.isNumber) {
        v.number = reg_.ReadInteger(name);
      } else if (v.existed) {
        v.text = reg_.ReadString(name);
      }
    } catch (const FrameworkError&) {
      v.unreadable = true;  // left as it is: what was there cannot be written back
    }
    saved_.push_back(v);
  }

  void Restore() noexcept {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
      try {
        if (it->unreadable) continue;
        if (!it->existed) {
          reg_.DeleteValue(it->name);
        } else if (it->isNumber) {
          reg_.WriteInteger(it->name, it->number);
        } else {
          reg_.WriteString(it->name, it->text);
        }
      } catch (const FrameworkError&) {
      }
    }
  }

 private:
  struct Saved {
    std::string name;
    bool existed;
    bool unreadable;
    bool isNumber;
    std::int32_t number;
    std::string text;
  };
  Registry& reg_;
  std::vector<Saved> saved_;
};

// Remembers every value of task n (A to D and the flags) for an undo.
void RememberTask(StoredValues& before, int n) {
  for (TaskField f : kAllFields) before.Remember(TaskValueName(f, n));
  for (TaskField f : kFlagFields) before.Remember(TaskValueName(f, n), true);
}

// Removes every value of task n.
void RemoveTask(Registry& reg, int n) {
  for (TaskField f : {TaskField::Schedule, TaskField::Type, TaskField::Param, TaskField::Enabled, TaskField::Wake,
                      TaskField::CatchUp}) {
    const std::string name = TaskValueName(f, n);
    if (reg.ValueExists(name) && !reg.DeleteValue(name)) throw SetDataError(name);
  }
}

// Runs `writes`; when one of them is refused, puts the remembered values
// back and reports the refusal.
template <typename Writes>
void AllOrNothing(StoredValues& before, Writes&& writes) {
  try {
    writes();
  } catch (const FrameworkError&) {
    before.Restore();
    throw;
  }
}

}  // namespace

std::string TaskValueName(TaskField field, int n) { return std::string(1, static_cast<char>(field)) + Decimal(n); }

void TaskStore::LoadTaskCounter() {
  const std::optional<RegValue> stored = reg_.Raw(kTaskNum);
  if (!stored) {
    // Absent: 0 on a first start; tasks stored without a counter are not
    // hidden (nor overwritten by the next new task).
    counter_ = HighestStoredTask();
    reg_.WriteInteger(kTaskNum, counter_);
    lastStored_ = reg_.Raw(kTaskNum);
    followed_ = true;
    return;
  }
  std::optional<FrameworkError> problem;
  counter_ = CounterFor(stored, problem);
  lastStored_ = stored;
  followed_ = true;
  if (problem) throw *problem;
}

std::int32_t TaskStore::CounterFor(const std::optional<RegValue>& stored, std::optional<FrameworkError>& problem) {
  // An absent or unreadable counter: the highest stored task stands in, so
  // that no stored task is hidden and a new task never overwrites one, and
  // the bad value is reported. The value itself is left as it is until the
  // next add or delete writes it anew.
  if (!stored) return HighestStoredTask();
  if (stored->type != RegType::Dword) {
    problem = InvalidTypeError(kTaskNum);
    return HighestStoredTask();
  }
  if (stored->data.size() != 4) {
    problem = GetDataError(kTaskNum);
    return HighestStoredTask();
  }
  std::uint32_t u = 0;
  for (int i = 3; i >= 0; --i) u = (u << 8) | static_cast<unsigned char>(stored->data[static_cast<std::size_t>(i)]);
  const std::int32_t value = static_cast<std::int32_t>(u);
  if (value < 0 || value > kMaxTasks) {
    // A negative counter would make the next task number 0 or less; a huge one
    // would make every tick pass walk millions of empty slots.
    problem = FrameworkError("值 " + Decimal(value) + " 超出范围");
    return HighestStoredTask();
  }
  // A counter below the highest stored task would hide the tasks above it
  // and let the next new task overwrite one of them.
  const std::int32_t highest = HighestStoredTask();
  if (value < highest) {
    problem = FrameworkError("值 " + Decimal(value) + " 小于最大任务号 " + Decimal(highest) + "，按 " + Decimal(highest) +
                             " 计");
    return highest;
  }
  return value;
}

std::int32_t TaskStore::FollowCounter() {
  try {
    const std::optional<RegValue> stored = reg_.Raw(kTaskNum);
    if (followed_ && stored == lastStored_) return counter_;
    std::optional<FrameworkError> problem;  // reported once, at start-up
    counter_ = CounterFor(stored, problem);
    lastStored_ = stored;
    followed_ = true;
  } catch (const FrameworkError&) {
    // The value names could not be listed: the last counter stays.
  }
  return counter_;
}

// After a change, the next FollowCounter looks the stored task numbers over
// again: a refused change may have left the values otherwise than before (a
// value that could not be read cannot be put back) with TaskNum's bytes the
// same.
class TaskStore::ChangeScope {
 public:
  explicit ChangeScope(TaskStore& store) : store_(store) { store_.Resync(); }
  ~ChangeScope() { store_.followed_ = false; }
  ChangeScope(const ChangeScope&) = delete;
  ChangeScope& operator=(const ChangeScope&) = delete;

 private:
  TaskStore& store_;
};

void TaskStore::Resync() {
  std::optional<FrameworkError> problem;
  const std::optional<RegValue> stored = reg_.Raw(kTaskNum);
  counter_ = CounterFor(stored, problem);
  lastStored_ = stored;
  followed_ = true;
}

std::string TaskStore::NoSuchTaskText(int n) { return "任务" + Decimal(n) + "已不存在（任务已在别处被修改），未作更改"; }

std::int32_t TaskStore::HighestStoredTask() {
  std::int32_t highest = 0;
  for (const std::string& name : reg_.ValueNames()) {
    // A task value's name: A, B, C or D, then a number without a sign or
    // leading zero, within the numbers the counter accepts.
    if (name.size() < 2 || name.size() > 6 || name[0] < 'A' || name[0] > 'D') continue;
    std::int32_t n = 0;
    bool digits = name[1] != '0';
    for (std::size_t i = 1; i < name.size() && digits; ++i) {
      digits = name[i] >= '0' && name[i] <= '9';
      n = n * 10 + (name[i] - '0');
    }
    if (digits && n <= kMaxTasks && n > highest) highest = n;
  }
  return highest;
}

std::string TaskStore::ReadField(TaskField field, int n) { return reg_.ReadString(TaskValueName(field, n)); }

TaskRecord TaskStore::ReadTask(int n) {
  TaskRecord r;
  r.number = n;
  r.schedule = ReadField(TaskField::Schedule, n);
  r.type = ReadField(TaskField::Type, n);
  r.param = ReadField(TaskField::Param, n);
  r.enabled = ReadField(TaskField::Enabled, n);
  r.wake = ReadFlag(TaskField::Wake, n);
  r.catchUp = ReadFlag(TaskField::CatchUp, n);
  return r;
}

bool TaskStore::ReadFlag(TaskField flag, int n) {
  try {
    const std::optional<RegValue> v = reg_.Raw(TaskValueName(flag, n));
    return v && v->type == RegType::Dword && v->data == std::string("\x01\0\0\0", 4);
  } catch (const FrameworkError&) {
    return false;
  }
}

void TaskStore::WriteFlags(int n, bool wake, bool catchUp) {
  WriteFlag(TaskField::Wake, n, wake);
  WriteFlag(TaskField::CatchUp, n, catchUp);
}

void TaskStore::WriteFlag(TaskField flag, int n, bool on) {
  const std::string name = TaskValueName(flag, n);
  if (on) {
    reg_.WriteInteger(name, 1);
  } else if (reg_.ValueExists(name) && !reg_.DeleteValue(name)) {
    throw SetDataError(name);
  }
}

int TaskStore::AddTask(const std::string& schedule, const std::string& type, const std::string& param, bool wake,
                       bool catchUp) {
  // The counter follows TaskNum only once every write went through; a refused
  // write undoes the others, so the new task is stored whole or not at all.
  // Beyond the highest number start-up accepts, nothing is written.
  ChangeScope change(*this);
  if (counter_ >= kMaxTasks) throw FrameworkError("已有" + Decimal(kMaxTasks) + "个任务，不能再添加");
  const std::int32_t n = counter_ + 1;
  StoredValues before(reg_);
  before.Remember(kTaskNum);
  RememberTask(before, n);
  AllOrNothing(before, [&] {
    reg_.WriteInteger(kTaskNum, n);
    reg_.WriteString(TaskValueName(TaskField::Schedule, n), schedule);
    reg_.WriteString(TaskValueName(TaskField::Type, n), type);
    reg_.WriteString(TaskValueName(TaskField::Param, n), param);
    reg_.WriteString(TaskValueName(TaskField::Enabled, n), words::kEnabled);
    WriteFlags(n, wake, catchUp);  // also clears a flag left above the tasks
  });
  counter_ = n;
  return n;
}

std::string TaskStore::ModifyTask(int n, const std::string& schedule, const std::string& type,
                                  const std::string& param, bool wake, bool catchUp) {
  // The new texts are written over the old ones directly (blanking them first
  // would lose the schedule if a later write were refused), and a refused
  // write puts the old texts back: a task never runs its old action at its
  // new time.
  ChangeScope change(*this);
  if (n < 1 || n > counter_) throw FrameworkError(NoSuchTaskText(n));
  const std::string old = ReadField(TaskField::Enabled, n);
  StoredValues before(reg_);
  RememberTask(before, n);
  AllOrNothing(before, [&] {
    reg_.WriteString(TaskValueName(TaskField::Schedule, n), schedule);
    reg_.WriteString(TaskValueName(TaskField::Type, n), type);
    reg_.WriteString(TaskValueName(TaskField::Param, n), param);
    if (old.empty()) reg_.WriteString(TaskValueName(TaskField::Enabled, n), words::kEnabled);
    WriteFlags(n, wake, catchUp);
  });
  return old.empty() ? std::string(words::kEnabled) : old;
}

void TaskStore::DeleteTask(int k) {
  ChangeScope change(*this);
  const std::int32_t c = counter_;
  if (k < 1 || k > c) return;  // no such task: deleting it must not remove the last one
  // Every value from task k up is rewritten; a refused write or delete puts
  // them all back, so no task is lost, doubled or mixed with its neighbour.
  StoredValues before(reg_);
  for (int i = k; i <= c; ++i) RememberTask(before, i);
  before.Remember(kTaskNum);
  AllOrNothing(before, [&] {
    for (int i = k + 1; i <= c; ++i) {
      for (TaskField f : kAllFields) reg_.WriteString(TaskValueName(f, i - 1), ReadField(f, i));
      for (TaskField f : kFlagFields) WriteFlag(f, i - 1, ReadFlag(f, i));
    }
    RemoveTask(reg_, c);
    reg_.WriteInteger(kTaskNum, c - 1);
  });
  counter_ = c - 1;
}

void TaskStore::SetTaskEnabled(int n, const std::string& word) {
  ChangeScope change(*this);
  if (n < 1 || n > counter_) throw FrameworkError(NoSuchTaskText(n));
  reg_.WriteString(TaskValueName(TaskField::Enabled, n), word);
}

void WriteValue(Registry& reg, const ValueToWrite& value) {
  if (value.isNumber) {
    reg.WriteInteger(value.name, value.number);
  } else {
    reg.WriteString(value.name, value.text);
  }
}

void TaskStore::ImportTasks(const std::vector<TaskRecord>& tasks, bool replace,
                            const std::vector<ValueToWrite>& alsoWrite) {
  // Like every change, the import works on the task count stored now.
  ChangeScope change(*this);
  const std::int32_t first = replace ? 1 : counter_ + 1;
  if (tasks.size() > static_cast<std::size_t>(kMaxTasks - (first - 1))) {
    throw FrameworkError("最多" + Decimal(kMaxTasks) + "个任务，不能导入" + Decimal(static_cast<long long>(tasks.size())) +
                         "个");
  }
  const std::int32_t last = first - 1 + static_cast<std::int32_t>(tasks.size());
  // With replace, every slot the old list had (or a damaged key still holds)
  // above the new last task is removed.
  std::int32_t oldTop = counter_;
  if (replace) {
    const std::int32_t highest = HighestStoredTask();
    if (highest > oldTop) oldTop = highest;
  }
  const std::int32_t top = last > oldTop ? last : oldTop;
  StoredValues before(reg_);
  before.Remember(kTaskNum);
  for (int i = first; i <= top; ++i) RememberTask(before, i);
  for (const ValueToWrite& v : alsoWrite) before.Remember(v.name, v.isNumber);
  AllOrNothing(before, [&] {
    int n = first;
    for (const TaskRecord& t : tasks) {
      reg_.WriteString(TaskValueName(TaskField::Schedule, n), t.schedule);
      reg_.WriteString(TaskValueName(TaskField::Type, n), t.type);
      reg_.WriteString(TaskValueName(TaskField::Param, n), t.param);
      reg_.WriteString(TaskValueName(TaskField::Enabled, n), t.enabled);
      WriteFlags(n, t.wake, t.catchUp);
      ++n;
    }
    for (int i = last + 1; replace && i <= oldTop; ++i) RemoveTask(reg_, i);
    reg_.WriteInteger(kTaskNum, last);
    for (const ValueToWrite& v : alsoWrite) WriteValue(reg_, v);
  });
  counter_ = last;
}

}  // namespace ordavi
