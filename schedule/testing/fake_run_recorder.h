// The run recorder for unit tests: logs "CountdownEnded(2)" (followed by
// "Action(failed,note)" when its action was not done, done with a note, or underway),
// "CountdownPostponed(08:39)", "PostponedCountdownStarted()",
// "PostponementDropped(1)" (enum values in decimal) and "TaskDue(3)" with the
// task number; a pass is not logged.
#pragma once

#include <string>
#include <vector>

#include "schedule/run_record.h"
#include "store/testing/call_log.h"

namespace ordavi::testing {

class FakeRunRecorder : public Recording, public RunRecorder {
 public:
  using Recording::Recording;
  void PassStarting(const std::vector<UnseenSpan>&) override {}
  void TaskDue(const RunRecord& r) override { Record("TaskDue", {std::to_string(r.taskNumber)}); }
  void CountdownEnded(CountdownEnd how, const ActionOutcome& action = {}) override {
    Record("CountdownEnded", {std::to_string(static_cast<int>(how))});
    if (action.failed || action.note || action.underway) {
      Record("Action", {action.failed ? "failed" : action.underway ? "underway" : "done", action.note ? action.note : ""});
    }
  }
  void CountdownPostponed(const std::string& until) override { Record("CountdownPostponed", {until}); }
  void PostponedCountdownStarted() override { Record("PostponedCountdownStarted"); }
  void PostponementDropped(PostponeDrop why) override {
    Record("PostponementDropped", {std::to_string(static_cast<int>(why))});
  }
};

// A recorder that keeps nothing, for the parts tested without the history.
class NoRunRecorder : public RunRecorder {
 public:
  void PassStarting(const std::vector<UnseenSpan>&) override {}
  void TaskDue(const RunRecord&) override {}
  void CountdownEnded(CountdownEnd, const ActionOutcome& = {}) override {}
};

}  // namespace ordavi::testing
