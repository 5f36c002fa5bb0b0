// The clocks and the date format for unit tests. Given fake timers, the
// clocks run on with the timers' clock; without, they stand still.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "schedule/local_clock.h"
#include "schedule/missed_runs.h"
#include "schedule/schedule.h"
#include "schedule/sleep_watch.h"
#include "schedule/testing/fake_timers.h"

namespace ordavi::testing {

// GetTickCount is `tick` when the timers' clock is at zero; the last input
// is at `lastInput`. The awake time is the count less the timers' sleeps,
// unless `unbiased` is false (a Windows without it).
struct FakeSystemClock : SystemClock {
  FakeSystemClock() = default;
  explicit FakeSystemClock(const FakeTimers& t) : timers(&t) {}
  std::uint32_t TickCount() override { return static_cast<std::uint32_t>(TickCount64()); }
  std::uint64_t TickCount64() override { return tick + (timers ? timers->Now() : 0); }
  std::uint32_t LastInputTick() override { return lastInput; }
  std::optional<std::uint64_t> UnbiasedMs() override {
    if (!unbiased) return std::nullopt;
    return TickCount64() - (timers ? timers->Slept() : 0);
  }

  const FakeTimers* timers = nullptr;
  std::uint64_t tick = 0;
  std::uint32_t lastInput = 0;
  bool unbiased = true;
};

// An awake clock that runs with the timers, less their sleeps, from `ms`.
struct FakeAwakeClock : AwakeClock {
  FakeAwakeClock() = default;
  explicit FakeAwakeClock(const FakeTimers& t) : timers(&t) {}
  std::uint64_t AwakeMs() override { return ms + (timers ? timers->Now() - timers->Slept() : 0); }

  const FakeTimers* timers = nullptr;
  std::uint64_t ms = 0;
};

// Whether another program asks that the display stay on.
struct FakeDisplayRequests : DisplayRequests {
  bool DisplayRequired() override { return required; }
  bool required = false;
};

struct FixedDateFormat : DateFormatSource {
  std::string ShortDateFormat() override { return format; }
  std::string format = "yyyy/M/d";
};

// The local time: Tuesday 5 March 2024 at `startSecondOfDay` (08:29:05 unless
// set) when the timers' clock is at zero; `offsetSeconds` moves it (a clock
// set, or a change to or from daylight saving time).
struct FakeLocalClock : LocalClock {
  FakeLocalClock() = default;
  explicit FakeLocalClock(const FakeTimers& t) : timers(&t) {}
  ScheduleNow LocalTime() override {
    const std::uint64_t s = startSecondOfDay + offsetSeconds + (timers ? timers->Now() / 1000 : 0);
    ScheduleNow now;
    now.year = 2024;
    now.month = 3;
    now.day = static_cast<std::uint16_t>(5 + s / 86400);
    now.dayOfWeek = static_cast<std::uint16_t>((2 + s / 86400) % 7);
    now.hour = static_cast<std::uint16_t>(s % 86400 / 3600);
    now.minute = static_cast<std::uint16_t>(s % 3600 / 60);
    now.second = static_cast<std::uint16_t>(s % 60);
    now.millisecond = static_cast<std::uint16_t>(timers ? timers->Now() % 1000 : 0);
    return now;
  }

  const FakeTimers* timers = nullptr;
  std::uint64_t startSecondOfDay = 8 * 3600 + 29 * 60 + 5;
  std::int64_t offsetSeconds = 0;
};

// The UTC minute: `minute` plus the timers' clock, when given.
struct FakeUtcClock : UtcClock {
  FakeUtcClock() = default;
  explicit FakeUtcClock(const FakeTimers& t) : timers(&t) {}
  long long UtcMinute() override { return minute + static_cast<long long>(timers ? timers->Now() / 60000 : 0); }

  const FakeTimers* timers = nullptr;
  long long minute = 28500000;
};

}  // namespace ordavi::testing
