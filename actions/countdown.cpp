#include "actions/countdown.h"

#include "store/task_types.h"
#include "store/text.h"

namespace ordavi {

void Countdown::ShowCaptionsFor(const std::string& word) {
  const std::string cancel = "取消" + word;
  view_.SetDoItNowCaption("立即" + word);
  view_.SetCancelCaption(cancel);
  view_.SetMessage("要想" + cancel + "，请按下<" + cancel + ">按钮:剩余");
  view_.SetWindowCaption("Windows 正在准备" + word + "...");
}

const char* Countdown::StartCountdown(const TaskType& type) {
  // A countdown that would end in nothing is not started.
  if (type.power) {
    const PowerPlan plan = PlanPowerAction(*type.power, power_.Capabilities());
    if (plan.call == PowerCall::None) return plan.note;
  }
  if (running_) recorder_.CountdownEnded(CountdownEnd::Replaced);
  pending_ = &type;
  running_ = true;
  // A countdown already running keeps its position: only the captions and
  // the sound start anew.
  ShowCaptionsFor(type.countdownWord ? type.countdownWord : "");
  timers_.StartTimer(MainTimer::CountdownSecond, kCountdownSecondIntervalMs);
  tick_.CountdownStarted();
  ShowPosition();
  view_.Show();
  if (!options_.soundPath.empty()) {
    sound_.Play(options_.soundPath, kSndLoopedFile);
    looping_ = true;
  }
  const bool sleeps = type.power == PowerAction::Standby || type.power == PowerAction::Hibernate;
  if (FlagIsOn(kShutappValue, options_.closeProgramsFirst) && sleeps) {
    system_.CloseAllPrograms();
  }
  return nullptr;
}

const char* Countdown::StartFullCountdown(const TaskType& type) {
  position_ = 0;
  return StartCountdown(type);
}

const TaskType* Countdown::Interrupt() {
  if (!running_) return nullptr;
  Stop();
  if (looping_) {
    sound_.Stop();
    looping_ = false;
  }
  position_ = 0;
  ShowPosition();
  view_.Hide();
  tick_.CountdownEnded();
  return pending_;
}

void Countdown::AgentEnding(bool sessionEnding) {
  if (!running_) return;
  Stop();
  if (looping_) {
    sound_.Stop();
    looping_ = false;
  }
  view_.Hide();
  tick_.CountdownEnded();
  recorder_.CountdownEnded(sessionEnding ? CountdownEnd::SessionEnded : CountdownEnd::AgentEnded);
}

void Countdown::ShowPosition() {
  if (position_ > Maximum()) position_ = Maximum();
  view_.SetProgress(position_, Maximum());
}

void Countdown::OnSecond() {
  ++position_;
  ShowPosition();  // held at the maximum
  view_.SetSecondsLeft(Decimal(static_cast<long long>(options_.countdownSeconds) - position_) + " 秒");
  if (position_ < options_.countdownSeconds) return;
  // Complete. The looped sound would otherwise go on after the window has
  // gone, through a standby or a hang-up and beyond.
  if (looping_) {
    sound_.Stop();
    looping_ = false;
  }
  Finish(CountdownEnd::Completed);
}

void Countdown::DoItNow() {
  // The synchronous playing replaces the looped one and returns when the
  // file has played once.
  if (!options_.soundPath.empty()) {
    sound_.Play(options_.soundPath, kSndSync);
    looping_ = false;
  }
  Finish(CountdownEnd::DoneNow);
}

void Countdown::Finish(CountdownEnd how) {
  position_ = 0;
  ShowPosition();
  view_.Hide();
  tick_.CountdownEnded();
  Stop();
  // Written after the action, with what it came to; ExitWindowsEx returns at
  // once and a standby when the PC is awake again. A fast shutdown or restart
  // does not return when it works, so its line is written before, and again
  // if it fails.
  const bool mayNotReturn =
      pending_ && (pending_->power == PowerAction::FastShutdown || pending_->power == PowerAction::FastRestart);
  if (mayNotReturn) recorder_.CountdownEnded(how, {false, true});
  const ActionOutcome outcome = RunPendingAction();
  if (!mayNotReturn || outcome.failed) recorder_.CountdownEnded(how, outcome);
}

void Countdown::Stop() {
  running_ = false;
  timers_.StopTimer(MainTimer::CountdownSecond);
}

void Countdown::Close() {
  sound_.Play(options_.soundPath, kSndSync);
  looping_ = false;
  position_ = 0;
  ShowPosition();
  view_.Hide();
}

const TaskType* Countdown::Postpone(const std::string& until) {
  if (!running_) return nullptr;
  Stop();
  Close();
  tick_.CountdownEnded();
  recorder_.CountdownPostponed(until);
  return pending_;
}

void Countdown::Cancel(CountdownEnd how) {
  Stop();
  Close();
  // Monitoring goes off before the countdown lets go of the tick, so the tick
  // stays off throughout.
  system_.SwitchMonitoringOff();
  tick_.CountdownEnded();
  recorder_.CountdownEnded(how);
}

ActionOutcome Countdown::RunPendingAction() {
  ActionOutcome outcome;
  if (!pending_) return outcome;
  if (pending_->power) {
    outcome = PerformPowerAction(*pending_->power, power_);
    if (outcome.failed) system_.ShowNotice(ActionNote(outcome));
  } else if (pending_->action == TaskAction::HangUp) {
    system_.HangUpDialup();
  }
  return outcome;
}

}  // namespace ordavi
