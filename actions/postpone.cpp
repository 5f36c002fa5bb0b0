#include "actions/postpone.h"

#include "schedule/missed_runs.h"
#include "schedule/next_run.h"

namespace ordavi {

namespace {

// The clock time `waitMs` after `now`, as "hh:mm".
std::string ClockTimeAfter(const ScheduleNow& now, std::uint64_t waitMs) {
  const std::uint64_t intoMinute = now.second * 1000ull + now.millisecond;
  const LocalMinute at = AddMinutes(MinuteOf(now), static_cast<long long>((intoMinute + waitMs) / 60000));
  const std::string text = MinuteText(at);  // "2024-03-05 22:40"
  return text.substr(text.size() - 5);
}

}  // namespace

bool Postponement::Postpone(std::uint32_t minutes) {
  if (!countdown_.CountdownRunning()) return false;
  const std::uint32_t waitMs = minutes * msPerMinute_;
  const std::string until = ClockTimeAfter(local_.LocalTime(), waitMs);
  if (held_) Drop(PostponeDrop::Replaced);
  held_ = countdown_.Postpone(until);
  if (!held_) return false;
  until_ = until;
  startTick_ = ticks_.TickCount();
  waitMs_ = waitMs;
  Arm(waitMs);
  return true;
}

void Postponement::Arm(std::uint32_t waitMs) {
  timers_.StopTimer(MainTimer::Postponed);
  timers_.StartTimer(MainTimer::Postponed, waitMs > 0 ? waitMs : 1);
}

void Postponement::OnTimer() {
  timers_.StopTimer(MainTimer::Postponed);
  if (!held_) return;
  const TaskType& type = *held_;
  held_ = nullptr;
  countdown_.StartCountdown(type);
  if (recorder_) recorder_->PostponedCountdownStarted();
}

void Postponement::Resumed() {
  if (!held_) return;
  const std::uint32_t passed = ticks_.TickCount() - startTick_;
  if (passed >= waitMs_) {
    OnTimer();
  } else {
    Arm(waitMs_ - passed);
  }
}

bool Postponement::Cancel(CountdownEnd how) {
  if (!held_) return false;
  countdown_.HeldActionCancelled();
  Drop(how == CountdownEnd::CommandLine ? PostponeDrop::CommandLine : PostponeDrop::TrayMenu);
  return true;
}

void Postponement::AgentEnding() {
  if (held_) Drop(PostponeDrop::AgentEnded);
}

void Postponement::Drop(PostponeDrop why) {
  timers_.StopTimer(MainTimer::Postponed);
  held_ = nullptr;
  if (recorder_) recorder_->PostponementDropped(why);
}

std::string Postponement::Line() const {
  return held_ ? std::string("推迟的") + held_->word + "：" + until_ : std::string();
}

std::string Postponement::CancelCaption() const {
  return held_ ? std::string("取消推迟的") + held_->word + "（" + until_ + "）(&N)" : std::string();
}

}  // namespace ordavi
