#include "actions/countdown.h"

#include "store/text.h"
#include "store/words.h"

namespace ordavi {

void Countdown::MyChangeCaption(const std::string& word) {
  const std::string cancel = "取消" + word;
  view_.SetButton1Caption("立即" + word);
  view_.SetButton2Caption(cancel);
  view_.SetLabel1("要想" + cancel + "，请按下<" + cancel + ">按钮:剩余");
  view_.SetWindowCaption("Windows 正在准备" + word + "...");
}

bool Countdown::CountdownRunning() const { return timers_.TimerEnabled(MainTimer::Timer2); }

void Countdown::StartCountdown(const std::string& word) {
  // A countdown already running keeps its position: only the captions and
  // the sound start anew.
  MyChangeCaption(word);
  timers_.SetTimerEnabled(MainTimer::Timer2, true);
  timers_.SetTimerEnabled(MainTimer::Timer1, false);
  ShowPosition();
  view_.Show();
  if (!options_.soundpath.empty()) {
    sound_.Play(options_.soundpath, kSndLoopedFile);
    looping_ = true;
  }
  if (options_.shutapp == 1 && (word == words::kStandby || word == words::kHibernate)) system_.CloseAllPrograms();
}

void Countdown::ShowPosition() {
  if (position_ > Maximum()) position_ = Maximum();
  view_.SetProgress(position_, Maximum());
}

void Countdown::Timer2Timer() {
  ++position_;
  ShowPosition();  // held at the maximum
  view_.SetLabel2(Decimal(static_cast<long long>(options_.tishi) - position_) + " 秒");
  if (position_ < options_.tishi) return;
  // Complete. The looped sound would otherwise go on after the window has
  // gone, through a standby or a hang-up and beyond.
  if (looping_) {
    sound_.Stop();
    looping_ = false;
  }
  Finish();
}

void Countdown::BitBtn1Click() {
  // The synchronous playing replaces the looped one and returns when the
  // file has played once.
  if (!options_.soundpath.empty()) {
    sound_.Play(options_.soundpath, kSndSync);
    looping_ = false;
  }
  Finish();
}

void Countdown::Finish() {
  position_ = 0;
  ShowPosition();
  view_.Hide();
  timers_.SetTimerEnabled(MainTimer::Timer1, true);
  timers_.SetTimerEnabled(MainTimer::Timer2, false);
  RunPendingAction();
}

void Countdown::BitBtn2Click() {
  timers_.SetTimerEnabled(MainTimer::Timer1, false);
  timers_.SetTimerEnabled(MainTimer::Timer2, false);
  sound_.Play(options_.soundpath, kSndSync);
  looping_ = false;
  position_ = 0;
  ShowPosition();
  view_.Hide();
  system_.SwitchMonitoringOff();
}

void Countdown::RunPendingAction() {
  if (const auto action = PowerActionForWord(pendingAction_)) {
    PerformPowerAction(*action, power_);
  } else if (pendingAction_ == words::kHangUp) {
    system_.HangUpDialup();
  }
}

}  // namespace ordavi
