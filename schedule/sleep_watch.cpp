#include "schedule/sleep_watch.h"

namespace ordavi {

std::uint64_t SleepWatch::AwakeMs() {
  if (const std::optional<std::uint64_t> unbiased = clock_.UnbiasedMs()) return *unbiased;
  // Between a suspend and the next look the clock stands: the agent does
  // nothing in that time but sleep.
  return (suspended_ ? suspendedAt_ : clock_.TickCount64()) - slept_;
}

void SleepWatch::Suspending() {
  if (suspended_) return;
  suspendedAt_ = clock_.TickCount64();
  suspended_ = true;
}

void SleepWatch::Look() {
  const std::uint64_t tick = clock_.TickCount64();
  bool slept = false;
  if (suspended_) {
    if (!clock_.UnbiasedMs()) slept_ += tick - suspendedAt_;
    suspended_ = false;
    slept = true;
  }
  const std::uint64_t awake = AwakeMs();
  if (looked_) {
    const std::uint64_t ticked = tick - lastTick_;
    const std::uint64_t lived = awake >= lastAwake_ ? awake - lastAwake_ : 0;
    if (ticked > lived + kSleepSeenMs) slept = true;
  }
  looked_ = true;
  lastTick_ = tick;
  lastAwake_ = awake;
  if (slept) Signal();
}

void SleepWatch::ResumeMessage(bool byPerson) {
  const std::uint32_t before = resumes_;
  Look();
  // No suspend message and no gap the clocks show (a Windows without the
  // awake clock, a suspend the agent was not told of): the message itself is
  // the resume, unless it is the second message of the last one.
  if (resumes_ == before && !byPerson && (resumes_ == 0 || AwakeMs() - resumedAwake_ > kSameResumeMs)) Signal();
  if (byPerson) person_ = true;
}

void SleepWatch::Signal() {
  ++resumes_;
  resumedAwake_ = AwakeMs();
  resumedTick_ = clock_.TickCount();
  person_ = false;
  listener_();
}

bool SleepWatch::Unattended() {
  if (resumes_ == 0 || person_) return false;
  // Input after the resume: the signed difference, right across a wrap.
  if (static_cast<std::int32_t>(clock_.LastInputTick() - resumedTick_) > 0) person_ = true;
  return !person_;
}

std::uint64_t SleepWatch::SinceResumeMs() { return resumes_ ? AwakeMs() - resumedAwake_ : 0; }

}  // namespace ordavi
