#include "schedule/tick_state.h"

namespace ordavi {

namespace {
constexpr TickStop kAllReasons[] = {TickStop::MonitoringOff, TickStop::Countdown, TickStop::SettingsOpen,
                                    TickStop::Pause, TickStop::JunkCleaning};
}  // namespace

std::uint32_t TimerIntervalMs(MainTimer timer) {
  switch (timer) {
    case MainTimer::TaskTick: return kTaskTickIntervalMs;
    case MainTimer::CountdownSecond: return kCountdownSecondIntervalMs;
    case MainTimer::TickPause: return kTickPauseIntervalMs;
  }
  return kTaskTickIntervalMs;
}

const char* TickStopText(TickStop reason) {
  switch (reason) {
    case TickStop::MonitoringOff: return "监控已关闭";
    case TickStop::Countdown: return "倒计时进行中";
    case TickStop::SettingsOpen: return "设置窗口已打开";
    case TickStop::Pause: return "任务刚运行，暂停一分钟";
    case TickStop::JunkCleaning: return "正在清理系统垃圾";
  }
  return "";
}

void TickRunState::Start() {
  held_ = 0;
  heldSinceAsked_ = 0;
  openDialogs_ = 0;
  Apply();
}

void TickRunState::MonitoringSwitchedOn() {
  held_ &= static_cast<std::uint8_t>(~(Bit(TickStop::MonitoringOff) | Bit(TickStop::Pause)));
  Apply();
  timers_.SetTimerEnabled(MainTimer::TickPause, false);
}

void TickRunState::MonitoringSwitchedOff() { Hold(TickStop::MonitoringOff); }
void TickRunState::CountdownStarted() { Hold(TickStop::Countdown); }
void TickRunState::CountdownEnded() { Release(TickStop::Countdown); }

void TickRunState::SettingsDialogOpened() {
  ++openDialogs_;
  Hold(TickStop::SettingsOpen);
}

void TickRunState::SettingsDialogClosed() {
  if (openDialogs_ == 0) return;
  if (--openDialogs_ > 0) return;
  Release(TickStop::SettingsOpen);
}

void TickRunState::StartPause() {
  Hold(TickStop::Pause);
  timers_.SetTimerEnabled(MainTimer::TickPause, false);
  timers_.SetTimerEnabled(MainTimer::TickPause, true);
}

void TickRunState::EndPause() {
  Release(TickStop::Pause);
  timers_.SetTimerEnabled(MainTimer::TickPause, false);
}

std::vector<TickStop> TickRunState::Reasons() const {
  std::vector<TickStop> out;
  for (TickStop r : kAllReasons) {
    if (HeldBy(r)) out.push_back(r);
  }
  return out;
}

std::string TickRunState::Describe() const {
  if (Running()) return "运行中";
  std::string text = "已停止：";
  const std::vector<TickStop> reasons = Reasons();
  for (std::size_t i = 0; i < reasons.size(); ++i) {
    if (i > 0) text += "、";
    text += TickStopText(reasons[i]);
  }
  return text;
}

std::string TickRunState::TakeHeldSinceLastAsked() {
  std::string text;
  for (TickStop r : kAllReasons) {
    if ((heldSinceAsked_ & Bit(r)) == 0) continue;
    if (!text.empty()) text += "、";
    text += TickStopText(r);
  }
  heldSinceAsked_ = held_;
  return text;
}

void TickRunState::Hold(TickStop reason) {
  held_ |= Bit(reason);
  heldSinceAsked_ |= held_;
  Apply();
}

void TickRunState::Release(TickStop reason) {
  held_ &= static_cast<std::uint8_t>(~Bit(reason));
  Apply();
}

void TickRunState::Apply() { timers_.SetTimerEnabled(MainTimer::TaskTick, Running()); }

}  // namespace ordavi
