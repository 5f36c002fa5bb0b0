// The task tick's ports for unit tests: the actions of due tasks, logged as
// "ShowNotice(text)", "OpenFile(path,dir)", "CloseProgramByName(name)",
// "DialDefaultConnection()", "KeepAwake(param)", "SetAdapterState(name,true|false)",
// "CleanJunk(true|false)"; and the countdown's start, logged as
// "StartCountdown(关机)" with the type's pending word.
#pragma once

#include <cstdint>
#include <string>

#include "schedule/countdown_control.h"
#include "schedule/testing/fake_timers.h"
#include "schedule/tick.h"
#include "store/testing/call_log.h"

namespace ordavi::testing {

// Time passes inside an action as the test asks: an immediate action with
// `pumpMs` set runs a message loop that long (as dialling does), so the timers
// go on firing inside it (once); junk cleaning blocks the thread `junkMs`.
class FakeTickActions : public Recording, public TickActions {
 public:
  FakeTickActions(CallLog& shared, FakeTimers& t) : Recording(shared), timers_(t) {}

  void ShowNotice(const std::string& text) override { Act("ShowNotice", {text}); }
  OpenedFile OpenFile(const std::string& path, const std::string& dir) override {
    Act("OpenFile", {path, dir});
    return openFile;
  }
  void CloseProgramByName(const std::string& name) override { Act("CloseProgramByName", {name}); }
  ActionResult KeepAwake(const RunRecord& task) override {
    Act("KeepAwake", {task.param});
    return keepAwake;
  }
  void DialDefaultConnection() override { Act("DialDefaultConnection", {}); }
  void SetAdapterState(const std::string& name, bool enable) override {
    Act("SetAdapterState", {name, enable ? "true" : "false"});
  }
  JunkResult CleanJunk(bool openLog) override {
    Record("CleanJunk", {openLog ? "true" : "false"});
    timers_.Busy(junkMs);
    return junkResult;
  }

  std::uint64_t junkMs = 0;
  OpenedFile openFile;  // what OpenFile says of how it opened
  ActionResult keepAwake;  // what KeepAwake says
  JunkResult junkResult = JunkResult::Cleaned;
  std::uint64_t pumpMs = 0;

 private:
  void Act(const std::string& method, const std::vector<std::string>& args) {
    Record(method, args);
    if (pumpMs == 0) return;
    const std::uint64_t ms = pumpMs;
    pumpMs = 0;
    timers_.Advance(ms);
  }
  FakeTimers& timers_;
};

// Logs each start and hands it on to the real countdown.
class RecordingCountdownControl : public Recording, public CountdownControl {
 public:
  RecordingCountdownControl(CallLog& shared, CountdownControl& countdown) : Recording(shared), countdown_(countdown) {}
  const char* StartCountdown(const TaskType& type) override {
    Record("StartCountdown", {type.countdownWord ? type.countdownWord : ""});
    return countdown_.StartCountdown(type);
  }

 private:
  CountdownControl& countdown_;
};

}  // namespace ordavi::testing
