// Which minutes no tick pass saw, and which tasks were due in them, decided
// on local minutes with the next-run arithmetic (schedule/next_run.h), so a
// task counts as due exactly when the matchers would have found it due.
//
// Telling a clock the user set apart from time that passed: each pass keeps
// a sample of the local minute, the UTC minute and the millisecond counter
// (GetTickCount, which goes on counting through standby and hibernation).
// Between two samples of one agent life, a UTC gap that differs from the
// counter's gap by more than kClockSlackMinutes means the clock was set: the
// minutes in between were not lived through and are not reported. A change to
// or from daylight saving time moves the local minute but not UTC, so it is no
// clock setting: the local minutes skipped in spring were never seen by a pass
// (their tasks count), the hour repeated in autumn lies before the last pass
// (nothing counts). Across a restart only the remembered local and UTC
// minutes exist: a clock set while no agent ran cannot be told from time
// passing, except that a clock set back reports nothing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "schedule/local_clock.h"
#include "schedule/next_run.h"

namespace ordavi {

inline constexpr long long kMissedDaysBack = 7;
inline constexpr long long kClockSlackMinutes = 2;

struct ClockSample {
  LocalMinute local;
  long long utcMinute = 0;   // minutes since 1970-01-01 00:00 UTC
  std::uint32_t tickMs = 0;  // GetTickCount
};

// True when the UTC clock moved by other than the time the counter measured
// between two samples of the same agent life.
bool ClockWasSet(const ClockSample& before, const ClockSample& after);

struct MinuteRange {
  LocalMinute first, last;  // both included
};
// The local minutes after `seen` and before `now` (both excluded) that lie
// within kMissedDaysBack days before `now`; nothing when there are none.
std::optional<MinuteRange> UnseenMinutes(const LocalMinute& seen, const LocalMinute& now);

// The minutes of `range` at which `schedule` is due. Only clock schedules
// count (once, daily, weekly, monthly, yearly): idle and after-boot tasks
// depend on the PC's state, not on a minute.
std::vector<LocalMinute> DueMinutesIn(const std::string& schedule, const MinuteRange& range,
                                      const std::string& shortDateFormat);

// "2024-03-05 08:30", as the run history and the notices write a minute.
std::string MinuteText(const LocalMinute& t);
// "22:40": the hour and minute of MinuteText.
std::string ClockTime(const LocalMinute& at);
// The minute `waitMs` after `now` (its seconds counted), as a wait shown to
// the user ends.
LocalMinute MinuteAfter(const ScheduleNow& now, std::uint64_t waitMs);

}  // namespace ordavi
