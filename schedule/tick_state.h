// Whether the task tick runs, and if not, why. This is the one place that
// switches the tick's two timers (TaskTick every 10 s, TickPause after one
// minute); everything else that stops the tick holds a reason here and
// releases it when it is over. Nothing runs the tick before Start.
//
// The tick runs exactly when no reason holds it, with one exception the
// user's own choice gives: switching monitoring on also ends a pending pause,
// so the tick runs at once (a task that ran in the pause's minute is not due
// again, since its minute has passed by the time anybody could switch
// monitoring off and on).
//
// With a local clock the tick keeps to it: each pass comes kTickMarginMs after
// a ten-second mark of the local minute (:00, :10, ... :50), so a task due at a
// minute runs in the first second of it, while the rhythm stays ten seconds.
// Each pass sets the wait to the next mark afresh (TaskTick's timer only does
// what the pass says), so the passes do not drift from the clock. Without a
// clock the tick simply runs every ten seconds from when it goes on.
//
// Reasons: monitoring switched off (the tray menu), a countdown running, a
// settings dialog open (counted: the tick runs again when the last one
// closes), the minute's pause after a task that ran at once (TickPause runs
// while it holds), junk cleaning running. Each change of the reasons is told
// to SeenMinutes, which names them for the minutes they held (the run
// history's "skipped"); docs/timing.md has the rest of the time design.
#pragma once

#include <cstdint>
#include <string>

#include "schedule/local_clock.h"
#include "schedule/timers.h"

namespace ordavi {

enum class TickStop : std::uint8_t {
  MonitoringOff = 1 << 0,
  Countdown = 1 << 1,
  SettingsOpen = 1 << 2,
  Pause = 1 << 3,
  JunkCleaning = 1 << 4,
};

// A short Chinese phrase for the reason, for the user ("设置窗口已打开").
const char* TickStopText(TickStop reason);
// The phrases of the reasons in `held` (TickStop bits), joined by "、".
std::string HeldText(std::uint8_t held);

inline constexpr std::uint32_t kTaskTickIntervalMs = 10000;
inline constexpr std::uint32_t kTickPauseIntervalMs = 60000;

// How far after a ten-second mark a pass aims to come: timers are never early
// by this much, so the pass reads the minute the mark began.
inline constexpr std::uint32_t kTickMarginMs = 200;
// How long after a mark a tick that goes on (start-up, a hold released) still
// counts as on time for it and passes at once.
inline constexpr std::uint32_t kTickCatchUpMs = 1000;

// The milliseconds of `now` into its minute.
std::uint32_t MsIntoMinute(const ScheduleNow& now);
// After a pass at `msIntoMinute`: the wait until the next mark's pass.
std::uint32_t NextPassDelayMs(std::uint32_t msIntoMinute);
// When the tick goes on at `msIntoMinute`: the wait until its first pass, at
// once (1 ms) when a mark began less than kTickCatchUpMs ago.
std::uint32_t FirstPassDelayMs(std::uint32_t msIntoMinute);
// A pause that starts at `msIntoMinute`: it lasts until just before the pass
// of the same mark one minute later (one minute, less the time since the mark
// and half the margin), so the tick goes on in time for that pass.
std::uint32_t PauseDelayMs(std::uint32_t msIntoMinute);

class SeenMinutes;

class TickRunState {
 public:
  // Nothing holds the tick yet; the timers are left as they are until the
  // first call. Each change of the holds is told to `minutes`, when given;
  // with `clock` the passes keep to the ten-second marks of its minute.
  explicit TickRunState(TimerPort& timers, SeenMinutes* minutes = nullptr, LocalClock* clock = nullptr)
      : timers_(timers), minutes_(minutes), clock_(clock) {}

  // Start-up: monitoring on, nothing else holds the tick, so it runs.
  void Start();

  // A pass begins at `now` (the time it read): with a clock, the next pass is
  // set for the next mark.
  void PassStarting(const ScheduleNow& now);

  void MonitoringSwitchedOn();  // also ends a pending pause (see above)
  void MonitoringSwitchedOff();
  void CountdownStarted();
  void CountdownEnded();  // completed, cut short or cancelled
  void SettingsDialogOpened();
  void SettingsDialogClosed();
  // The pause after a task that ran at once: the tick stops and TickPause
  // starts afresh, so it lasts a full minute from this task even when a pause
  // was already running (with a clock: until PauseDelayMs, just before the
  // same mark's pass one minute later).
  void StartPause();
  // TickPause has fired: the pause is over and its timer goes off.
  void EndPause();
  // Runs `clean`, the junk cleaning (it blocks the thread), with the tick
  // held for it; the hold ends even when `clean` throws.
  template <typename Clean>
  void WhileCleaningJunk(Clean&& clean) {
    struct Hold {
      explicit Hold(TickRunState& s) : state(s) { state.Hold(TickStop::JunkCleaning); }
      ~Hold() { state.Release(TickStop::JunkCleaning); }
      TickRunState& state;
    } hold(*this);
    clean();
  }

  bool Running() const { return held_ == 0; }
  bool HeldBy(TickStop reason) const { return (held_ & Bit(reason)) != 0; }
  // "运行中", or "已停止：" and the reasons' texts joined by "、".
  std::string Describe() const;

 private:
  static std::uint8_t Bit(TickStop r) { return static_cast<std::uint8_t>(r); }
  void Hold(TickStop reason);
  void Release(TickStop reason);
  // Makes TaskTick follow the reasons, and tells the minutes.
  void Apply();

  TimerPort& timers_;
  SeenMinutes* minutes_;
  LocalClock* clock_;
  std::uint8_t held_ = 0;
  int openDialogs_ = 0;
};

}  // namespace ordavi
