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
// minute's pause after a task ends just before the next minute's first pass,
// so it holds only the minute it began. Monitoring switched off when the
// agent ends holds on until the next start: the minutes between are skipped,
// not missed.
//
// A start or a resume settles the minutes before its own and leaves its own
// to the first pass; a pass that comes only in a later minute reports it;
// the agent's end reports the minutes before its own.
// Within the minute of a pass each task runs once (TakeTurn), also across a
// restart or a take-over in that minute: the remembered text (Text) names the
// tasks that ran in it. A minute runs at most once also when the local clock
// goes back while UTC does not jump (the repeated hour of the autumn change,
// a clock stepped back a minute or two, also across a restart): the minutes
// up to the last settled one are then already seen (RepeatedMinute). A
// counting task (idle, after boot) runs once per count (TakeCountTurn),
// also when the agent restarts within the count's minute in the same boot.
#pragma once

#include <cstdint>
#include <map>
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

// A counting task's last run: its schedule text and the tick its count
// began at (MatchResult::countFrom).
struct CountedRun {
  std::string text;  // empty when read back from the last-pass file
  std::uint32_t countFrom = 0;
};

// What an agent life leaves for the next: the last settled minute (local and
// UTC), the tasks that ran in it, monitoring off at the end, the counting
// tasks that ran in this boot and the boot's UTC minute.
struct SettledMinute {
  ClockSample sample;  // tickMs is not kept
  std::set<int> ran;
  std::uint8_t held = 0;  // TickStop bits that last beyond the agent: monitoring off
  long long bootMinute = 0;
  std::map<int, CountedRun> counted;  // their texts are not kept
  // Missed tasks flagged to catch up that have not run yet, with their last
  // missed minute: an agent that ends before they run leaves them to the next.
  std::map<int, LocalMinute> catchUps;
};
// The text kept between lives: "2024-03-05 08:30 28504290\r\n", or with the
// tasks that ran "2024-03-05 08:30 28504290 1,3\r\n", then optionally
// " hold=1", " boot=28400000", " counted=2:0,5:81000" and
// " catchup=4:2024-03-05 07:00"; and back, nothing
// for a damaged text.
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
  // The agent ends: the minutes before this one.
  std::vector<UnseenSpan> Ending();

  // Task `n` is due in the pass's minute: true (and remembered) when it has
  // not run in that minute yet.
  bool TakeTurn(int n);
  // The pass's minute was settled before the local clock went back: no clock
  // task is due in it again.
  bool RepeatedMinute() const { return repeatUntil_.has_value(); }
  // Counting task `n` (schedule `text`) is due in the count begun at
  // `countFrom`: true (and remembered) when it has not run in that count.
  bool TakeCountTurn(int n, const std::string& text, std::uint32_t countFrom);

  // The tick's holds (TickStop bits) from now on; TickRunState tells.
  void HoldsChanged(std::uint8_t held);

  // What the next agent life needs to know.
  SettledMinute Settled() const;

 private:
  ClockSample SampleNow(const LocalMinute& local);
  long long BootMinute();
  // The last minute a pass saw or that was reported.
  std::optional<LocalMinute> SettledUpTo() const;
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
  std::optional<LocalMinute> repeatUntil_;  // the local clock went back: minutes up to this one are seen
  std::map<int, CountedRun> counted_;
  long long bootMinute_ = 0;  // the UTC minute of this boot, for counted_
};

}  // namespace ordavi
