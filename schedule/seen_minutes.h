// Which minutes the task tick has seen: the one record of them, kept across
// agent lives, that the tick, the run history and the missed-run search read.
//
// A minute is settled when a pass tested it, or when it was found to be
// unseen and reported. What an unseen minute was is decided from the minute
// alone, whatever order the messages came in: *skipped* when something held
// the tick during it (the reasons named), *missed* when nothing did and still
// no pass came (no agent ran, the PC slept). Holds last through a sleep as
// they were, so monitoring switched off before a standby keeps the standby's
// minutes skipped, and a hold that ended before it leaves them missed. The
// minute's pause after a task lasts sixty seconds, so it holds the minute it
// began and the next one at most.
//
// A start or a resume settles the minutes before its own and leaves its own
// to the first pass; a pass that comes only in a later minute reports it.
// Within the minute of a pass each task runs once (TakeTurn), also across a
// restart or a take-over in that minute: the remembered text (Text) names the
// tasks that ran in it.
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "schedule/local_clock.h"
#include "schedule/missed_runs.h"
#include "schedule/run_record.h"

namespace ordavi {

// Minutes no pass saw, all with the same fate: Missed, or Skipped with the
// reasons in `detail`.
struct UnseenSpan {
  MinuteRange range;
  RunOutcome outcome = RunOutcome::Missed;
  std::string detail;
};

// What an agent life leaves for the next: the last settled minute (local and
// UTC) and the tasks that ran in it.
struct SettledMinute {
  ClockSample sample;  // tickMs is not kept
  std::set<int> ran;
};
// The text kept between lives: "2024-03-05 08:30 28504290\r\n", or with the
// tasks that ran "2024-03-05 08:30 28504290 1,3\r\n"; and back, nothing for
// a damaged text.
std::string SettledMinuteText(const SettledMinute& settled);
std::optional<SettledMinute> ParseSettledMinute(const std::string& text);

class SeenMinutes {
 public:
  SeenMinutes(LocalClock& local, UtcClock& utc, SystemClock& counter) : local_(local), utc_(utc), counter_(counter) {}

  // The agent starts, with what the last life left (nothing the first time
  // or when it was lost): the minutes since then, all missed. A clock set
  // back while no agent ran reports nothing.
  std::vector<UnseenSpan> Start(const std::optional<SettledMinute>& remembered);
  // A pass begins at `now`: the minutes since the last settled one, and
  // `now` becomes the pass's minute.
  std::vector<UnseenSpan> PassAt(const ScheduleNow& now);
  // The PC has resumed: the minutes before this one.
  std::vector<UnseenSpan> Resumed();
  // WM_TIMECHANGE: a clock the user set makes this minute settled, so the
  // minutes jumped over are not reported.
  void TimeChanged();

  // Task `n` is due in the pass's minute: true (and remembered) when it has
  // not run in that minute yet.
  bool TakeTurn(int n);

  // The tick's holds (TickStop bits) from now on; TickRunState tells.
  void HoldsChanged(std::uint8_t held);

  // What the next agent life needs to know.
  SettledMinute Settled() const;

 private:
  ClockSample SampleNow(const LocalMinute& local);
  // The unseen minutes from the last settled one to `now` (neither
  // included), unless the clock was set between.
  std::vector<UnseenSpan> UnseenUpTo(const ClockSample& now);
  std::uint8_t HeldDuring(const LocalMinute& m) const;
  // Forgets the holds' history before the current minute.
  void ForgetHolds();

  LocalClock& local_;
  UtcClock& utc_;
  SystemClock& counter_;
  std::optional<ClockSample> last_;  // the last pass, start, resume or clock setting of this life
  bool lastSettled_ = false;         // whether last_'s own minute is settled (a pass saw it)
  std::optional<LocalMinute> turnsMinute_;
  std::set<int> ran_;                // the tasks that ran in turnsMinute_
  std::uint8_t held_ = 0;
  std::uint8_t heldBefore_ = 0;      // the holds before the first change below
  std::vector<std::pair<LocalMinute, std::uint8_t>> changes_;
  LocalMinute pauseSince_;
};

}  // namespace ordavi
