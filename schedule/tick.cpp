#include "schedule/tick.h"

#include "store/errors.h"
#include "store/text.h"
#include "store/words.h"

namespace ordavi {

std::uint32_t TimerIntervalMs(MainTimer timer) {
  switch (timer) {
    case MainTimer::Timer1: return kTimer1IntervalMs;
    case MainTimer::Timer2: return kTimer2IntervalMs;
    case MainTimer::Timer3: return kTimer3IntervalMs;
  }
  return kTimer1IntervalMs;
}

std::string PendingWordForType(const std::string& typeWord) {
  static const struct {
    const char* type;
    const char* pending;
  } kCountdownTypes[] = {
      {words::kHangUp, words::kHangUp},           {words::kLogOffPc, words::kLogOff},
      {words::kStandbyPc, words::kStandby},       {words::kHibernatePc, words::kHibernate},
      {words::kRestartPc, words::kRestart},       {words::kShutDownPc, words::kShutDown},
      {words::kFastRestart, words::kFastRestart}, {words::kFastShutdown, words::kFastShutdown},
  };
  for (const auto& t : kCountdownTypes) {
    if (typeWord == t.type) return t.pending;
  }
  return std::string();
}

std::string FaultyScheduleNotice(int taskNumber, const std::string& scheduleText) {
  return "任务" + Decimal(taskNumber) + "的时间“" + scheduleText + "”无法识别，已跳过，请修改";
}

std::string UnreadableTaskNotice(int taskNumber, const std::string& valueName) {
  return "任务" + Decimal(taskNumber) + "的“" + valueName + "”无法读取，已跳过，请修改";
}

void TaskTick::Timer1Timer() {
  const ScheduleNow now = clock_.LocalTime();
  const std::int32_t count = store_.Count();
  for (int n = 1; n <= count; ++n) {
    const std::optional<std::string> schedule = Read(TaskField::Schedule, n);
    if (!schedule) continue;
    const std::optional<std::string> enabled = Read(TaskField::Enabled, n);
    if (!enabled) continue;
    if (schedule->empty()) continue;
    if (*enabled != words::kEnabled) continue;
    if (!IsDue(n, now, *schedule)) continue;
    Dispatch(n);
  }
}

// A value of the wrong type would otherwise stop every pass at this task with
// an error box, every ten seconds. The task is skipped and the user hears of
// it once, until the value can be read again.
std::optional<std::string> TaskTick::Read(TaskField field, int n) {
  const std::string name = TaskValueName(field, n);
  try {
    std::string text = store_.ReadField(field, n);
    unreadable_.erase(name);
    return text;
  } catch (const FrameworkError&) {
    if (unreadable_.insert(name).second) actions_.ShowNotice(UnreadableTaskNotice(n, name));
    return std::nullopt;
  }
}

bool TaskTick::IsDue(int n, const ScheduleNow& now, const std::string& schedule) {
  // A reported task whose text has changed since may be reported again.
  const auto reported = reportedFaulty_.find(n);
  if (reported != reportedFaulty_.end() && reported->second != schedule) reportedFaulty_.erase(reported);

  const std::optional<ScheduleKind> kind = KindOf(schedule);
  if (!kind) return false;
  try {
    return matchers_.Match(*kind, now, schedule).due;
  } catch (const FrameworkError&) {
    // A text the matcher cannot convert would otherwise stop every pass at
    // this task. The task is skipped and the user hears of it once.
    if (reportedFaulty_.count(n) == 0) {
      reportedFaulty_[n] = schedule;
      actions_.ShowNotice(FaultyScheduleNotice(n, schedule));
    }
    return false;
  }
}

void TaskTick::Dispatch(int n) {
  const std::optional<std::string> typeText = Read(TaskField::Type, n);
  if (!typeText) return;
  const std::string& type = *typeText;
  const bool withParam = type == words::kRemind || type == words::kOpenFile || type == words::kCloseProgram ||
                         type == words::kDisableAdapter || type == words::kEnableAdapter;
  std::optional<std::string> param;
  if (withParam) {
    param = Read(TaskField::Param, n);
    if (!param) return;
  }
  if (type == words::kRemind) {
    actions_.ShowNotice(*param);
  } else if (type == words::kOpenFile) {
    actions_.OpenFile(*param, SplitPath(*param).dir);
  } else if (type == words::kCloseProgram) {
    actions_.CloseProgramByName(SplitPath(*param).name);
  } else if (type == words::kDial) {
    actions_.DialDefaultConnection();
  } else if (type == words::kDisableAdapter) {
    actions_.SetAdapterState(*param, false);
  } else if (type == words::kEnableAdapter) {
    actions_.SetAdapterState(*param, true);
  } else if (type == words::kCleanJunk) {
    actions_.CleanJunk(false);
  } else {
    const std::string pending = PendingWordForType(type);
    if (!pending.empty()) {
      countdown_.SetPendingAction(pending);
      countdown_.StartCountdown(pending);
    }
    return;  // a countdown type, or a word that names no action
  }
  Pause();
}

void TaskTick::Pause() {
  timers_.SetTimerEnabled(MainTimer::Timer1, false);
  timers_.SetTimerEnabled(MainTimer::Timer3, true);
}

void TaskTick::Timer3Timer() {
  const bool mayRun = guards_.MonitoringOn() && !guards_.SettingsDialogOpen() && !countdown_.CountdownRunning();
  if (mayRun) timers_.SetTimerEnabled(MainTimer::Timer1, true);
  timers_.SetTimerEnabled(MainTimer::Timer3, false);
}

}  // namespace ordavi
