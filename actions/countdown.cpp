#include "actions/countdown.h"

#include "store/task_types.h"
#include "store/text.h"
#include "store/words.h"

namespace ordavi {

void Countdown::ShowCaptionsFor(const std::string& word) {
  const std::string cancel = "取消" + word;
  view_.SetDoItNowCaption("立即" + word);
  view_.SetCancelCaption(cancel);
  view_.SetMessage("要想" + cancel + "，请按下<" + cancel + ">按钮:剩余");
  view_.SetWindowCaption("Windows 正在准备" + word + "...");
}

bool Countdown::CountdownRunning() const { return timers_.TimerEnabled(MainTimer::CountdownSecond); }

void Countdown::StartCountdown(const std::string& word) {
  // A countdown already running keeps its position: only the captions and
  // the sound start anew.
  ShowCaptionsFor(word);
  timers_.SetTimerEnabled(MainTimer::CountdownSecond, true);
  timers_.SetTimerEnabled(MainTimer::TaskTick, false);
  ShowPosition();
  view_.Show();
  if (!options_.soundPath.empty()) {
    sound_.Play(options_.soundPath, kSndLoopedFile);
    looping_ = true;
  }
  if (options_.closeProgramsFirst == 1 && (word == words::kStandby || word == words::kHibernate)) {
    system_.CloseAllPrograms();
  }
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
  Finish();
}

void Countdown::DoItNow() {
  // The synchronous playing replaces the looped one and returns when the
  // file has played once.
  if (!options_.soundPath.empty()) {
    sound_.Play(options_.soundPath, kSndSync);
    looping_ = false;
  }
  Finish();
}

void Countdown::Finish() {
  position_ = 0;
  ShowPosition();
  view_.Hide();
  timers_.SetTimerEnabled(MainTimer::TaskTick, true);
  timers_.SetTimerEnabled(MainTimer::CountdownSecond, false);
  RunPendingAction();
}

void Countdown::Cancel() {
  timers_.SetTimerEnabled(MainTimer::TaskTick, false);
  timers_.SetTimerEnabled(MainTimer::CountdownSecond, false);
  sound_.Play(options_.soundPath, kSndSync);
  looping_ = false;
  position_ = 0;
  ShowPosition();
  view_.Hide();
  system_.SwitchMonitoringOff();
}

void Countdown::RunPendingAction() {
  const TaskType* type = FindCountdownType(pendingAction_);
  if (!type) return;
  if (type->power) {
    PerformPowerAction(*type->power, power_);
  } else if (type->action == TaskAction::HangUp) {
    system_.HangUpDialup();
  }
}

}  // namespace ordavi
