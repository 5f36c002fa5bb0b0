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

namespace {
constexpr std::uint32_t kMarkMs = 10000;
}  // namespace

std::uint32_t MsIntoMinute(const ScheduleNow& now) { return (now.second % 60u) * 1000u + now.millisecond % 1000u; }

std::uint32_t NextPassDelayMs(std::uint32_t msIntoMinute) {
  const std::uint32_t sinceMark = msIntoMinute % kMarkMs;
  return kMarkMs - sinceMark + kTickMarginMs;  // a pass runs after its mark's margin: never 0
}

std::uint32_t FirstPassDelayMs(std::uint32_t msIntoMinute) {
  const std::uint32_t sinceMark = msIntoMinute % kMarkMs;
  if (sinceMark < kTickMarginMs) return kTickMarginMs - sinceMark;
  if (sinceMark < kTickCatchUpMs) return 1;
  return kMarkMs - sinceMark + kTickMarginMs;
}

std::uint32_t PauseDelayMs(std::uint32_t msIntoMinute) {
  return kTickPauseIntervalMs - msIntoMinute % kMarkMs + kTickMarginMs / 2;
}

void TickRunState::Start() {
  held_ = 0;
  openDialogs_ = 0;
  Apply();
}

void TickRunState::PassStarting(const ScheduleNow& now) {
  if (!clock_ || !Running()) return;
  timers_.StopTimer(MainTimer::TaskTick);
  timers_.StartTimer(MainTimer::TaskTick, NextPassDelayMs(MsIntoMinute(now)));
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
  timers_.StartTimer(MainTimer::TickPause,
                     clock_ ? PauseDelayMs(MsIntoMinute(clock_->LocalTime())) : kTickPauseIntervalMs);
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
    // A running timer is left as it is (the port ignores the start).
    timers_.StartTimer(MainTimer::TaskTick,
                       clock_ ? FirstPassDelayMs(MsIntoMinute(clock_->LocalTime())) : kTaskTickIntervalMs);
  } else {
    timers_.StopTimer(MainTimer::TaskTick);
  }
  if (minutes_) minutes_->HoldsChanged(held_);
}

}  // namespace ordavi
