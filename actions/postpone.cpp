#include "actions/postpone.h"

#include "schedule/missed_runs.h"
#include "schedule/next_run.h"

namespace ordavi {

std::string ExpiredInSleepNotice(const std::string& word, const std::string& until) {
  return "推迟的" + word + "（" + until + "）已取消：醒来时无人在场";
}

std::string InterruptedCountdownNotice(const std::string& word) {
  return word + "的倒计时已取消：睡眠中断，醒来时无人";
}

bool Postponement::Postpone(std::uint32_t minutes) {
  if (!countdown_.CountdownRunning()) return false;
  const std::uint64_t waitMs = static_cast<std::uint64_t>(minutes) * msPerMinute_;
  const LocalMinute until = MinuteAfter(local_.LocalTime(), waitMs);
  if (held_) Drop(PostponeDrop::Replaced);
  held_ = countdown_.Postpone(ClockTime(until));
  if (!held_) return false;
  untilMinute_ = until;
  startAwake_ = sleep_.AwakeMs();
  waitMs_ = waitMs;
  waitingForPerson_ = false;
  interrupted_ = false;
  Arm(waitMs);
  return true;
}

void Postponement::Arm(std::uint64_t waitMs) {
  timers_.StopTimer(MainTimer::Postponed);
  const std::uint64_t ms = waitMs > 0xFFFFFFF0u ? 0xFFFFFFF0u : waitMs;
  timers_.StartTimer(MainTimer::Postponed, ms > 0 ? static_cast<std::uint32_t>(ms) : 1);
}

void Postponement::OnTimer() {
  timers_.StopTimer(MainTimer::Postponed);
  if (!held_) return;
  if (waitingForPerson_) return Decide();
  // A timer that fell due in a sleep fires at the resume: only awake time counts.
  const std::uint64_t passed = sleep_.AwakeMs() - startAwake_;
  if (passed < waitMs_) return Arm(waitMs_ - passed);
  Return();
}

void Postponement::Return() {
  const TaskType& type = *held_;
  held_ = nullptr;
  waitingForPerson_ = interrupted_ = false;
  timers_.StopTimer(MainTimer::Postponed);
  // The PC may have lost what the action needs while it was held (hibernation
  // switched off): it is dropped, and the user told why.
  if (const char* refusal = countdown_.StartFullCountdown(type)) {
    notices_.ShowNotice(refusal);
    recorder_.PostponementDropped(PostponeDrop::PcCannot);
    return;
  }
  recorder_.PostponedCountdownStarted();
}

void Postponement::Resumed() {
  const ScheduleNow now = local_.LocalTime();
  if (countdown_.CountdownRunning()) {
    if (held_) Drop(PostponeDrop::Replaced);
    held_ = countdown_.Interrupt();
    recorder_.CountdownInterruptedBySleep();
    untilMinute_ = MinuteOf(now);
    interrupted_ = waitingForPerson_ = true;
    return Decide();
  }
  if (!held_ || waitingForPerson_) return;
  if (MinutesBetween(untilMinute_, MinuteOf(now)) >= 0) {
    // The time the user was told passed in the sleep.
    waitingForPerson_ = true;
    return Decide();
  }
  const std::uint64_t passed = sleep_.AwakeMs() - startAwake_;
  const std::uint64_t left = passed < waitMs_ ? waitMs_ - passed : 0;
  untilMinute_ = MinuteAfter(now, left);
  Arm(left);
}

void Postponement::PersonMayBeBack() {
  if (held_ && waitingForPerson_) Decide();
}

void Postponement::Decide() {
  if (!sleep_.Unattended()) return Return();
  const std::uint64_t since = sleep_.SinceResumeMs();
  if (since < kAttendanceGraceMs) return Arm(kAttendanceGraceMs - since);
  notices_.ShowNotice(interrupted_ ? InterruptedCountdownNotice(held_->word) : ExpiredInSleepNotice(held_->word, ClockTime(untilMinute_)));
  Drop(PostponeDrop::ExpiredInSleep);
}

bool Postponement::Cancel(CountdownEnd how) {
  if (!held_) return false;
  countdown_.HeldActionCancelled();
  Drop(how == CountdownEnd::CommandLine ? PostponeDrop::CommandLine : PostponeDrop::TrayMenu);
  return true;
}

void Postponement::AgentEnding(bool sessionEnding) {
  if (held_) Drop(sessionEnding ? PostponeDrop::SessionEnded : PostponeDrop::AgentEnded);
}

void Postponement::Drop(PostponeDrop why) {
  timers_.StopTimer(MainTimer::Postponed);
  held_ = nullptr;
  waitingForPerson_ = interrupted_ = false;
  recorder_.PostponementDropped(why);
}

std::string Postponement::Line() const {
  return held_ ? std::string("推迟的") + held_->word + "：" + ClockTime(untilMinute_) : std::string();
}

std::string Postponement::CancelCaption() const {
  return held_ ? std::string("取消推迟的") + held_->word + "（" + ClockTime(untilMinute_) + "）(&N)" : std::string();
}

}  // namespace ordavi
