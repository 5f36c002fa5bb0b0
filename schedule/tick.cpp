#include "schedule/tick.h"

#include "store/errors.h"
#include "store/task_types.h"
#include "store/text.h"
#include "store/words.h"

namespace ordavi {

std::string FaultyScheduleNotice(int taskNumber, const std::string& scheduleText) {
  return "任务" + Decimal(taskNumber) + "的时间“" + QuoteForMessage(scheduleText) + "”无法识别，已跳过，请修改";
}

std::string UnreadableTaskNotice(int taskNumber, const std::string& valueName) {
  return "任务" + Decimal(taskNumber) + "的“" + valueName + "”无法读取，已跳过，请修改";
}

void TaskTick::RunPass() {
  const ScheduleNow now = clock_.LocalTime();
  state_.PassStarting(now);
  const std::vector<UnseenSpan> unseen = minutes_.PassAt(now);
  recorder_.PassStarting(unseen);
  const std::int32_t count = store_.FollowCounter();  // TaskNum as it is now
  conditions_.BeginPass();
  for (int n = 1; n <= count; ++n) {
    const std::optional<std::string> schedule = Read(TaskField::Schedule, n);
    if (!schedule) continue;
    const std::optional<std::string> enabled = Read(TaskField::Enabled, n);
    if (!enabled) continue;
    if (schedule->empty()) continue;
    if (*enabled != words::kEnabled) continue;
    if (!IsDue(n, now, *schedule)) continue;
    Dispatch(n, now, *schedule);
  }
  conditions_.EndPass();
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
  if (RowOf(*kind).timing == KindTiming::Condition) {
    // Read whole by the grammar: a condition text that is not exact is never due.
    return conditions_.Due(n, schedule, ReadSchedule(schedule, std::string()));
  }
  // A minute seen before the local clock went back runs nothing again.
  if (RowOf(*kind).timing == KindTiming::Clock && minutes_.RepeatedMinute()) return false;
  try {
    const MatchResult match = matchers_.Match(*kind, now, schedule);
    if (!match.due || RowOf(*kind).timing != KindTiming::Counter) return match.due;
    // A counting task's minute is sixty seconds of the counter, which the
    // pass a minute after the run, keeping to the clock's marks, can still
    // find: it runs once in one count.
    return minutes_.TakeCountTurn(n, schedule, match.countFrom);
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

void TaskTick::CatchUp(int n, const LocalMinute& missed) {
  if (n > store_.FollowCounter() || !store_.ReadFlag(TaskField::CatchUp, n)) return;
  const std::optional<std::string> schedule = Read(TaskField::Schedule, n);
  if (schedule && Read(TaskField::Enabled, n) == words::kEnabled) Dispatch(n, clock_.LocalTime(), *schedule, &missed);
}

void TaskTick::Dispatch(int n, const ScheduleNow& now, const std::string& schedule, const LocalMinute* missed) {
  const std::optional<std::string> typeText = Read(TaskField::Type, n);
  if (!typeText) return;
  const TaskType* type = FindTaskType(*typeText);
  if (!type) return;  // a word that names no action
  if (missed && !CatchUpAllowed(*type)) return;
  std::optional<std::string> param;
  if (type->needsParameter) {
    param = Read(TaskField::Param, n);
    if (!param) return;
  }
  if (!missed && !minutes_.TakeTurn(n)) return;
  RunRecord record;
  record.due = missed ? *missed : MinuteOf(now);
  record.caughtUp = missed != nullptr;
  record.taskNumber = n;
  record.type = *typeText;
  record.schedule = schedule;
  record.param = param.value_or(std::string());
  // The ports return nothing, so the entry says what is asked of the
  // system; a reminder's text is the notice shown.
  switch (type->run) {
    case TaskRun::Countdown: {
      // Started first, so a countdown it takes over is reported ended first.
      // A power action the PC cannot do starts no countdown that would end
      // in nothing: the user is told why, and what to do.
      record.outcome = RunOutcome::CountdownStarted;
      if (const char* refusal = countdown_.StartCountdown(*type)) {
        record.outcome = RunOutcome::NotRun;
        record.detail = refusal;
        actions_.ShowNotice(record.detail);
      }
      recorder_.TaskDue(record);
      return;
    }
    case TaskRun::Junk: {
      // The cleaning blocks the thread without pumping messages; the pause
      // counts from its end.
      JunkResult result = JunkResult::Cleaned;
      state_.WhileCleaningJunk([this, &result] {
        result = actions_.CleanJunk(false);
        state_.StartPause();
      });
      // A cleaning that did not run says why: nothing else would.
      switch (result) {
        case JunkResult::Cleaned: record.detail = "清理已结束"; break;
        case JunkResult::OpenFolder: record.detail = "程序文件夹他人可改，已停用清理"; break;
        case JunkResult::NoLog: record.detail = "程序文件夹中无法写入清理日志"; break;
      }
      if (result != JunkResult::Cleaned) record.outcome = RunOutcome::NotRun;
      recorder_.TaskDue(record);
      return;
    }
    case TaskRun::Immediate:
      state_.StartPause();
      // A document's entry says how it was opened, so it is written when the
      // open returns. Every other entry is written first: dialling pumps
      // messages, so the agent may be ended before the action returns, and
      // the next one must know it ran.
      if (type->action == TaskAction::OpenFile || type->action == TaskAction::KeepAwake) {
        const ActionResult result = type->action == TaskAction::KeepAwake
                                        ? actions_.KeepAwake(record)
                                        : actions_.OpenFile(record.param, SplitPath(record.param).dir);
        record.detail = result.detail;
        if (type->action == TaskAction::KeepAwake) record.outcome = RunOutcome::KeepAwake;
        if (result.refused) record.outcome = RunOutcome::NotRun;
        recorder_.TaskDue(record);
        return;
      }
      if (type->action == TaskAction::Remind) record.detail = "已显示提醒";
      recorder_.TaskDue(record);
      RunImmediate(type->action, param.value_or(std::string()));
      return;
  }
}

void TaskTick::RunImmediate(TaskAction action, const std::string& param) {
  switch (action) {
    case TaskAction::Remind: actions_.ShowNotice(param); break;
    case TaskAction::CloseProgram: actions_.CloseProgramByName(SplitPath(param).name); break;
    case TaskAction::Dial: actions_.DialDefaultConnection(); break;
    case TaskAction::DisableAdapter: actions_.SetAdapterState(param, false); break;
    case TaskAction::EnableAdapter: actions_.SetAdapterState(param, true); break;
    default: break;  // 打开文件 and 保持唤醒 run where their outcome is recorded; countdown and junk are not immediate
  }
}

}  // namespace ordavi
