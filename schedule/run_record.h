// What became of a due task, as the tick and the countdown report it, and
// the port they report it to (the run history, app/run_history.h). The tick
// and the countdown work the same without it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "schedule/calendar.h"
#include "schedule/schedule.h"

namespace ordavi {

enum class RunOutcome : std::uint8_t {
  Ran,                 // an immediate action or junk cleaning ran
  CountdownStarted,    // a countdown type's countdown began
  CountdownCancelled,  // ... and the user cancelled it (see CountdownEnd)
  CountdownCompleted,  // ... and its action was carried out
  Skipped,             // due in a minute the tick was held (the reasons in `detail`)
  NotRun,              // dispatched, but its action refused to run (why in `detail`)
  Missed,              // due in a minute no pass saw: the agent was not running, or the PC slept
  Postponed,           // a countdown was postponed until the clock time in `detail`
  PostponementDropped, // ... and its held action was dropped (why in `detail`)
  KeepAwake,           // a keep-awake started or ended, as `detail` says
  ActionUnderway,      // a countdown ended in an action that does not return when it works (a fast shutdown)
};

// What the action at a countdown's end came to: done (with what the user is
// told beside, if anything), not done (why), or called and not yet returned.
// ActionNote (actions/power.h) gives its text.
struct ActionOutcome {
  bool failed = false;
  bool underway = false;
  const char* note = nullptr;  // GBK: why not, or what was done instead
  const char* word = nullptr;  // with `error`: the action's countdown word ("休眠")
  std::uint32_t error = 0;     // the error of the call Windows refused
};

// What a junk cleaning came to: it ran, or why nothing was cleaned.
enum class JunkResult : std::uint8_t {
  Cleaned,
  OpenFolder,  // an agent with administrator rights in a folder others can change
  NoLog,       // its log could not be written beside the agent
};

// How a countdown ended.
enum class CountdownEnd : std::uint8_t {
  Completed,    // the seconds ran out
  DoneNow,      // the do-it-now button
  CancelButton, // the cancel button, Esc or Enter (one command reaches the window for all three)
  CloseBox,     // the window's close box, Alt+F4 or the system menu's close
  CommandLine,  // Ordavi.exe /cancel
  Replaced,     // another task's countdown took it over; its action was not carried out
  AgentEnded,   // the agent ended while it ran (退出, /quit, a take-over)
  SessionEnded, // the user's session ended while it ran (log-off, or another program shut down)
};

// Why a postponed action was dropped before its countdown came back.
enum class PostponeDrop : std::uint8_t {
  TrayMenu,     // the tray menu's cancel item
  CommandLine,  // Ordavi.exe /cancel
  AgentEnded,   // the agent ended
  Replaced,     // another countdown was postponed while it was held
  SessionEnded, // the user's session ended
  ExpiredInSleep,  // its time passed while the PC slept, and nobody was there when it woke
  PcCannot,     // the PC can no longer do it (PlanPowerAction)
};

// One entry. Texts are GBK, as stored.
struct RunRecord {
  LocalMinute due;
  int taskNumber = 0;
  std::string type;      // the stored type word ("提醒")
  std::string schedule;  // the schedule text
  std::string param;     // the parameter, empty for types without one
  RunOutcome outcome = RunOutcome::Ran;
  std::string detail;    // the result where one is known, or why it was skipped
  bool caughtUp = false; // run late, once, after `due` was missed (the task's catch-up flag)
};

// What an 打开文件 or 保持唤醒 task's action gave: the run history's word on
// it (empty when nothing), and whether it was refused (not run).
struct ActionResult {
  std::string detail;
  bool refused = false;
};
using OpenedFile = ActionResult;

struct UnseenSpan;

// Port: where the tick and the countdown report.
class RunRecorder {
 public:
  virtual ~RunRecorder() = default;
  // A pass begins, before any task is tested; `unseen` are the minutes
  // before it that no pass saw (schedule/seen_minutes.h).
  virtual void PassStarting(const std::vector<UnseenSpan>& unseen) = 0;
  // A due task was dispatched (ran or started its countdown).
  virtual void TaskDue(const RunRecord& record) = 0;
  // The running countdown ended; `action` is what its action came to when it
  // was carried out (Completed, DoneNow). An action that is underway is
  // reported again when it returns.
  virtual void CountdownEnded(CountdownEnd how, const ActionOutcome& action = {}) = 0;
  // The running countdown was postponed until `until` ("22:40"): it closed
  // and its action is held.
  virtual void CountdownPostponed(const std::string& until) { (void)until; }
  // The held action's countdown has started again.
  virtual void PostponedCountdownStarted() {}
  // The PC slept while the countdown ran: its action is held for a person.
  virtual void CountdownInterruptedBySleep() {}
  // The held action was dropped.
  virtual void PostponementDropped(PostponeDrop why) { (void)why; }
  // A keep-awake started or ended (RunOutcome::KeepAwake).
  virtual void KeepAwakeLine(const RunRecord& line) { (void)line; }
};

inline LocalMinute MinuteOf(const ScheduleNow& now) { return {now.year, now.month, now.day, now.hour, now.minute}; }

}  // namespace ordavi
