// Time across a sleep: the awake clock that durations are measured on, and
// the one resume that every part keeping time hears.
//
// What is due at a time of day is asked of the local clock. How long
// something lasted as a person lives it (a quiet spell, a postponement's
// wait, the PC kept awake after a wake) is measured on the awake clock, which
// stops while the PC sleeps: QueryUnbiasedInterruptTime where Windows has it,
// else the tick count less the sleeps seen between a suspend and a resume.
//
// A resume is told once to every listener, whichever comes first: the power
// message, a timer that fires overdue after the sleep, or a pass that finds
// the tick count ahead of the awake clock. From a resume until a person shows
// (PBT_APMRESUMESUSPEND, or input since the resume) the PC is unattended:
// what waits for a person is then not shown to an empty room.
#pragma once

#include <cstdint>
#include <functional>

#include "schedule/schedule.h"

namespace ordavi {

// Milliseconds the PC was awake, from an arbitrary start.
class AwakeClock {
 public:
  virtual ~AwakeClock() = default;
  virtual std::uint64_t AwakeMs() = 0;
};

// The tick count ahead of the awake clock by more than this between two
// looks is a sleep (a pass or a timer comes every ten seconds at most).
inline constexpr std::uint64_t kSleepSeenMs = 30000;
// A resume message this long (awake) after the last resume is a resume of
// its own, not the second message of the same one.
inline constexpr std::uint64_t kSameResumeMs = 60000;
// How long after a resume the agent waits for a person before what waits
// for one is given up.
inline constexpr std::uint64_t kAttendanceGraceMs = 30000;

class SleepWatch : public AwakeClock {
 public:
  // `resumed` is called at every resume (one listener, which tells every
  // part in order).
  SleepWatch(SystemClock& clock, std::function<void()> resumed) : clock_(clock), listener_(std::move(resumed)) {}

  std::uint64_t AwakeMs() override;

  void Suspending();  // PBT_APMSUSPEND
  // PBT_APMRESUMEAUTOMATIC (byPerson false, after every resume) or
  // PBT_APMRESUMESUSPEND (true: a person woke the PC or has come since).
  void ResumeMessage(bool byPerson);
  // Before a pass or a timer that counts time: a sleep since the last look
  // is a resume.
  void Look();

  // Since the last resume of this agent life no person has shown.
  bool Unattended();
  // Awake milliseconds since the last resume; 0 when none came.
  std::uint64_t SinceResumeMs();

 private:
  void Signal();

  SystemClock& clock_;
  std::function<void()> listener_;
  bool looked_ = false;
  std::uint64_t lastTick_ = 0, lastAwake_ = 0;
  // Without the system's awake clock: the sleeps counted so far, and the
  // count at a suspend not yet followed by a look.
  std::uint64_t slept_ = 0;
  bool suspended_ = false;
  std::uint64_t suspendedAt_ = 0;
  std::uint32_t resumes_ = 0;
  std::uint64_t resumedAwake_ = 0;
  std::uint32_t resumedTick_ = 0;
  bool person_ = true;
};

}  // namespace ordavi
