// The task tick: every ten seconds one pass over the task store tests each
// enabled task against the local time and dispatches the due ones.
//
// Whether the tick runs is kept by TickRunState (schedule/tick_state.h): a
// pass that runs a task at once starts the minute's pause there, and junk
// cleaning holds the tick while it runs. Which minutes the tick has seen, and
// which tasks ran in the pass's minute, are kept by SeenMinutes
// (schedule/seen_minutes.h): a task runs once per due minute, also when the
// pause is cut short, a countdown ends within the minute or the agent was
// restarted in it. Everything the tick does to the
// system goes through TickActions and CountdownControl. What a type word
// means comes from the one task-type table (store/task_types.h).
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>

#include "schedule/conditions.h"
#include "schedule/countdown_control.h"
#include "schedule/local_clock.h"
#include "schedule/run_record.h"
#include "schedule/schedule.h"
#include "schedule/seen_minutes.h"
#include "schedule/tick_state.h"
#include "store/task_types.h"
#include "store/tasks.h"

namespace ordavi {

// Port: the actions a due task of an immediate type or of the junk-cleaning
// type runs.

class TickActions {
 public:
  virtual ~TickActions() = default;
  virtual void ShowNotice(const std::string& text) = 0;
  // Opens `path`, hidden, with `dir` as working directory.
  virtual OpenedFile OpenFile(const std::string& path, const std::string& dir) = 0;
  virtual void CloseProgramByName(const std::string& name) = 0;
  virtual void DialDefaultConnection() = 0;
  virtual void SetAdapterState(const std::string& name, bool enable) = 0;
  // Keeps the PC awake as the 保持唤醒 task `task` asks (its parameter).
  virtual ActionResult KeepAwake(const RunRecord& task) = 0;
  // Returns when the cleaning script has ended, saying whether it cleaned.
  virtual JunkResult CleanJunk(bool openLog) = 0;
};

// The notice shown once for a task whose schedule text cannot be converted.
std::string FaultyScheduleNotice(int taskNumber, const std::string& scheduleText);
// The notice shown once for a task one of whose values cannot be read (a value
// of the wrong type): names the task and the value.
std::string UnreadableTaskNotice(int taskNumber, const std::string& valueName);

class TaskTick {
 public:
  // `conditions` watches the condition kinds; `recorder` hears of each pass
  // and each due task (the run history).
  TaskTick(TaskStore& store, Matchers& matchers, Conditions& conditions, LocalClock& clock, TickRunState& state,
           SeenMinutes& minutes, TickActions& actions, CountdownControl& countdown, RunRecorder& recorder)
      : store_(store),
        matchers_(matchers),
        conditions_(conditions),
        clock_(clock),
        state_(state),
        minutes_(minutes),
        actions_(actions),
        countdown_(countdown),
        recorder_(recorder) {}

  // One pass of the task tick: the local time is taken once, then tasks 1 to
  // the task counter are tested and dispatched in number order. A due task
  // does not end the pass.
  void RunPass();

  // Runs task n, whose due minute `missed` no pass saw (the run history's
  // catch-up, RunWatch::CatchUpsDue), once, now, as its minute would have:
  // only while it is enabled, its catch-up flag on, of a type that may run
  // late. Reported with the missed minute, as caught up.
  void CatchUp(int n, const LocalMinute& missed);

 private:
  bool IsDue(int n, const ScheduleNow& now, const std::string& schedule);
  // Runs task n unless it ran in this minute already; skips it when its type
  // or parameter cannot be read. An
  // immediate action runs with the tick already paused, so an action that
  // pumps messages (dialling waits in a modal loop) cannot let the next pass
  // run the same task again in its minute.
  // `missed`: a catch-up of that minute, which takes no turn in this one.
  void Dispatch(int n, const ScheduleNow& now, const std::string& schedule, const LocalMinute* missed = nullptr);
  // Returns what the run history says of the action beyond its outcome.
  void RunImmediate(TaskAction action, const std::string& param);
  // A field of task n, or nothing when the registry refuses to give it.
  std::optional<std::string> Read(TaskField field, int n);

  TaskStore& store_;
  Matchers& matchers_;
  Conditions& conditions_;
  LocalClock& clock_;
  TickRunState& state_;
  SeenMinutes& minutes_;
  TickActions& actions_;
  CountdownControl& countdown_;
  RunRecorder& recorder_;
  // Tasks whose schedule text could not be converted, with the text the user
  // was told about: each faulty text is reported once.
  std::map<int, std::string> reportedFaulty_;
  // Values ("A3", "D7") that could not be read, reported once each until a
  // pass reads them again.
  std::set<std::string> unreadable_;
};

}  // namespace ordavi
