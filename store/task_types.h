// The sixteen task types: what each stored type word (value B) means to the
// task tick, the countdown and the task editor. This is the one place a type
// word is looked up.
#pragma once

#include <optional>
#include <string>

namespace ordavi {

// The seven power actions, each one fixed platform call (actions/power.h).
enum class PowerAction { LogOff, Standby, Hibernate, Restart, ShutDown, FastRestart, FastShutdown };

// What a due task of the type does.
enum class TaskAction {
  Remind, OpenFile, CloseProgram, HangUp, Dial, LogOff, Standby, Hibernate, Restart, ShutDown,
  FastRestart, FastShutdown, CleanJunk, DisableAdapter, EnableAdapter, KeepAwake
};

// How the tick runs it: at once (then the tick pauses), through the shutdown
// countdown, or as junk cleaning (the tick waits for it, then pauses).
enum class TaskRun { Immediate, Countdown, Junk };

struct TaskType {
  const char* word;           // the stored type word, compared exactly
  TaskAction action;
  TaskRun run;
  bool needsParameter;        // value C is read and used
  const char* countdownWord;  // the countdown's pending word ("关机"); null unless run is Countdown
  std::optional<PowerAction> power;  // what the countdown ends in, for the power types
  // The task editor's parameter row for the type: the caption beside the box,
  // the suggestions the box lists once the type is picked (null-terminated;
  // null: none), and an instruction that is both the box's starting text and
  // its tooltip (null: none).
  const char* paramCaption;
  const char* const* suggestions;
  const char* instruction;
  bool startsSomething = false;  // or removes: an import names such tasks first
};

// In the order of the task editor's type list.
// (The rows are in task_types.cpp, which checks that there are this many.)
inline constexpr std::size_t kTaskTypeCount = 16;
extern const TaskType kTaskTypes[kTaskTypeCount];

// The type of a stored type word; null for a word that names no type.
const TaskType* FindTaskType(const std::string& word);
// Whether a stored type word disables or enables a network adapter, whose
// name goes onto a command line.
bool IsAdapterType(const std::string& word);
// Whether a task of the type may run late, once, after its time was missed:
// never a countdown type (the power actions, log-off, the hang-up), never one
// that takes the network away, never a reminder (missed reminders are shown
// together in one notice).
bool CatchUpAllowed(const TaskType& type);

}  // namespace ordavi
