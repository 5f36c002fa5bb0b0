// Task records in the program's registry key.
//
// Task n (1..task counter, without gaps) is four REG_SZ values: A n schedule
// text, B n type word, C n parameter text, D n enabled word ("启用"/"禁用").
// A task that wakes the PC to run also has W n (REG_DWORD 1); without it (or
// with any other value) the task does not wake the PC, so a key without wake
// tasks holds what it always held and a program reading only A to D reads
// every task as before. M n (REG_DWORD 1), its catch-up flag, is kept the
// same way: a run missed while no agent ran or the PC slept is made up once.
// W n and M n move with their task like A to D.
// TaskNum (REG_DWORD) holds the number of tasks. The only task state held in
// memory is the task counter, the copy of TaskNum as last read. The store
// follows the key as it is, not as it was at start: every add, modify, delete
// and enable/disable first reads TaskNum again, and the tick reads it on every
// pass (FollowCounter), so tasks written by another program, another user's
// agent or a `reg import` are seen and never overwritten.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "store/errors.h"
#include "store/registry.h"

namespace ordavi {

struct TaskRecord {
  int number = 0;
  std::string schedule;  // A
  std::string type;      // B
  std::string param;     // C
  std::string enabled;   // D
  bool wake = false;     // W: wake the PC to run it
  bool catchUp = false;  // M: run it once when the agent is back after missing it
};

// A value written in the same all-or-nothing step as imported tasks (an
// option): a number (REG_DWORD) or a text (REG_SZ).
struct ValueToWrite {
  std::string name;
  bool isNumber = false;
  std::int32_t number = 0;
  std::string text;
};
// Stores one such value (SetDataError when refused).
void WriteValue(Registry& reg, const ValueToWrite& value);

enum class TaskField : char { Schedule = 'A', Type = 'B', Param = 'C', Enabled = 'D', Wake = 'W', CatchUp = 'M' };

// The value name of a task field: "A7", "D12".
std::string TaskValueName(TaskField field, int n);

class TaskStore {
 public:
  explicit TaskStore(Registry& reg) : reg_(reg) {}

  // The most tasks the store believes a stored counter for.
  static constexpr std::int32_t kMaxTasks = 10000;

  // Reads TaskNum into the counter, or writes TaskNum = 0 when it is absent.
  // A TaskNum of the wrong type, negative or above kMaxTasks, or below the
  // highest stored task, raises a FrameworkError after setting the counter to
  // the highest stored task (so that no stored task is hidden and none is
  // overwritten by the next new one), so the agent can report it and go on.
  void LoadTaskCounter();
  // The counter as last read.
  std::int32_t Count() const { return counter_; }
  // Reads TaskNum as it is now, with the rules of LoadTaskCounter for a
  // damaged one, and returns the counter; never writes and never throws. An
  // unchanged TaskNum costs one registry read: the stored task numbers are
  // looked over only when its bytes differ from the last read. For a task
  // tick pass and the settings list.
  std::int32_t FollowCounter();

  TaskRecord ReadTask(int n);
  std::string ReadField(TaskField field, int n);

  // Whether a flag of task n (Wake, CatchUp) is on: its value is a REG_DWORD
  // 1. Never throws (an unreadable flag is off).
  bool ReadFlag(TaskField flag, int n);

  // Appends a task, enabled, after the highest task stored now; returns its
  // number. Beyond kMaxTasks nothing is written and a FrameworkError says
  // why: start-up would not accept the counter.
  int AddTask(const std::string& schedule, const std::string& type, const std::string& param, bool wake = false,
              bool catchUp = false);
  // Rewrites A, B, C, W and M of task n; returns the enabled word afterwards (an
  // empty one becomes "启用", any other is kept). A task number beyond the
  // tasks stored now writes nothing and raises a FrameworkError.
  std::string ModifyTask(int n, const std::string& schedule, const std::string& type, const std::string& param,
                         bool wake = false, bool catchUp = false);
  // Removes task k; later tasks move down by one.
  void DeleteTask(int k);
  // Writes D n; a task number beyond the tasks stored now writes nothing and
  // raises a FrameworkError.
  void SetTaskEnabled(int n, const std::string& word);

  // Stores `tasks` (schedule, type, parameter, enabled word and flags each; their
  // numbers are ignored) in one step: with `replace` they become the whole
  // task list and every slot above them is removed, otherwise they follow the
  // existing tasks. `alsoWrite` is written in the same step. A refused write
  // puts back every value the step touched and is reported; more tasks than
  // kMaxTasks are refused before anything is written.
  void ImportTasks(const std::vector<TaskRecord>& tasks, bool replace, const std::vector<ValueToWrite>& alsoWrite);

  // The message for a task that is no longer stored.
  static std::string NoSuchTaskText(int n);

 private:
  // The counter a stored TaskNum stands for, by the damaged-counter rules;
  // `problem` gets the reason when the stored value cannot be used as it is.
  std::int32_t CounterFor(const std::optional<RegValue>& stored, std::optional<FrameworkError>& problem);
  // Before a change: the counter from TaskNum and the task values as they
  // are now.
  void Resync();
  class ChangeScope;
  // Writes a flag of task n: 1, or no value at all.
  void WriteFlag(TaskField flag, int n, bool on);
  // Writes both flags of task n.
  void WriteFlags(int n, bool wake, bool catchUp);
  // The highest task number (up to kMaxTasks) that has any value stored.
  std::int32_t HighestStoredTask();

  Registry& reg_;
  std::int32_t counter_ = 0;
  // TaskNum as it was when counter_ was last worked out from it.
  std::optional<RegValue> lastStored_;
  bool followed_ = false;
};

}  // namespace ordavi
