#include "schedule/tick_state.h"

#include "schedule/seen_minutes.h"

namespace ordavi {

namespace {
constexpr TickStop kAllReasons[] = {TickStop::MonitoringOff, TickStop::Countdown, TickStop::SettingsOpen,
                                    TickStop::Pause, TickStop::JunkCleaning};
}  // namespace

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
  openDialogs_ = 0;
  Apply();
}

void TickRunState::MonitoringSwitchedOn() {
  held_ &= static_cast<std::uint8_t>(~(Bit(TickStop::MonitoringOff) | Bit(TickStop::Pause)));
  Apply();
  timers_.StopTimer(MainTimer::TickPause);
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
  timers_.StopTimer(MainTimer::TickPause);
  timers_.StartTimer(MainTimer::TickPause, kTickPauseIntervalMs);
}

void TickRunState::EndPause() {
  Release(TickStop::Pause);
  timers_.StopTimer(MainTimer::TickPause);
}

std::string HeldText(std::uint8_t held) {
  std::string text;
  for (TickStop r : kAllReasons) {
    if ((held & static_cast<std::uint8_t>(r)) == 0) continue;
    if (!text.empty()) text += "、";
    text += TickStopText(r);
  }
  return text;
}

std::string TickRunState::Describe() const { return Running() ? "运行中" : "已停止：" + HeldText(held_); }

void TickRunState::Hold(TickStop reason) {
  held_ |= Bit(reason);
  Apply();
}

void TickRunState::Release(TickStop reason) {
  held_ &= static_cast<std::uint8_t>(~Bit(reason));
  Apply();
}

void TickRunState::Apply() {
  if (Running()) {
    timers_.StartTimer(MainTimer::TaskTick, kTaskTickIntervalMs);
  } else {
    timers_.StopTimer(MainTimer::TaskTick);
  }
  if (minutes_) minutes_->HoldsChanged(held_);
}

}  // namespace ordavi
