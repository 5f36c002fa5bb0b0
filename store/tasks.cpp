#include "store/tasks.h"

#include "store/errors.h"
#include "store/text.h"
#include "store/words.h"

namespace ordavi {

namespace {
constexpr const char* kTaskNum = "TaskNum";
constexpr TaskField kAllFields[] = {TaskField::Schedule, TaskField::Type, TaskField::Param, TaskField::Enabled};
}  // namespace

std::string TaskValueName(TaskField field, int n) { return std::string(1, static_cast<char>(field)) + Decimal(n); }

void TaskStore::LoadTaskCounter() {
  if (!reg_.ValueExists(kTaskNum)) {
    counter_ = 0;
    reg_.WriteInteger(kTaskNum, 0);
    return;
  }
  std::int32_t stored = 0;
  try {
    stored = reg_.ReadInteger(kTaskNum);
  } catch (const FrameworkError&) {
    // Unreadable: count the stored tasks instead, so that a new task never
    // overwrites task 1, and report the bad value. The value itself is left
    // as it is until the next add or delete writes it anew.
    counter_ = CountStoredSlots();
    throw;
  }
  if (stored < 0 || stored > kMaxTasks) {
    // A negative counter would make the next task number 0 or less; a huge one
    // would make every tick pass walk millions of empty slots.
    counter_ = CountStoredSlots();
    throw FrameworkError("值 " + Decimal(stored) + " 超出范围");
  }
  counter_ = stored;
}

std::int32_t TaskStore::CountStoredSlots() {
  std::int32_t n = 0;
  while (n < kMaxTasks) {
    bool any = false;
    for (TaskField f : kAllFields) any = any || reg_.ValueExists(TaskValueName(f, n + 1));
    if (!any) break;
    ++n;
  }
  return n;
}

std::string TaskStore::ReadField(TaskField field, int n) { return reg_.ReadString(TaskValueName(field, n)); }

TaskRecord TaskStore::ReadTask(int n) {
  TaskRecord r;
  r.number = n;
  r.schedule = ReadField(TaskField::Schedule, n);
  r.type = ReadField(TaskField::Type, n);
  r.param = ReadField(TaskField::Param, n);
  r.enabled = ReadField(TaskField::Enabled, n);
  return r;
}

int TaskStore::AddTask(const std::string& schedule, const std::string& type, const std::string& param) {
  // The counter follows TaskNum only once the write went through, so a refused
  // write leaves memory and registry in agreement.
  if (counter_ >= kMaxTasks) throw FrameworkError("已有" + Decimal(kMaxTasks) + "个任务，不能再添加");
  const std::int32_t n = counter_ + 1;
  reg_.WriteInteger(kTaskNum, n);
  counter_ = n;
  reg_.WriteString(TaskValueName(TaskField::Schedule, n), schedule);
  reg_.WriteString(TaskValueName(TaskField::Type, n), type);
  reg_.WriteString(TaskValueName(TaskField::Param, n), param);
  reg_.WriteString(TaskValueName(TaskField::Enabled, n), words::kEnabled);
  return n;
}

std::string TaskStore::ModifyTask(int n, const std::string& schedule, const std::string& type,
                                  const std::string& param) {
  // The new texts are written over the old ones directly: blanking them first
  // would lose the schedule if a later write were refused.
  const std::string old = ReadField(TaskField::Enabled, n);
  reg_.WriteString(TaskValueName(TaskField::Schedule, n), schedule);
  reg_.WriteString(TaskValueName(TaskField::Type, n), type);
  reg_.WriteString(TaskValueName(TaskField::Param, n), param);
  if (old.empty()) {
    reg_.WriteString(TaskValueName(TaskField::Enabled, n), words::kEnabled);
    return words::kEnabled;
  }
  return old;
}

void TaskStore::DeleteTask(int k) {
  const std::int32_t c = counter_;
  if (k < 1 || k > c) return;  // no such task: deleting it must not remove the last one
  for (int i = k + 1; i <= c; ++i) {
    for (TaskField f : kAllFields) reg_.WriteString(TaskValueName(f, i - 1), ReadField(f, i));
  }
  for (TaskField f : kAllFields) reg_.DeleteValue(TaskValueName(f, c));
  reg_.WriteInteger(kTaskNum, c - 1);
  counter_ = c - 1;
}

void TaskStore::SetTaskEnabled(int n, const std::string& word) {
  reg_.WriteString(TaskValueName(TaskField::Enabled, n), word);
}

}  // namespace ordavi
