// Deciding whether a stored schedule text is due at a moment.
//
// A matcher cuts all fields of its kind with the grammar's byte scan
// (schedule/grammar.h), then converts and compares them in order, stopping at
// the first difference: a field after a difference is never converted.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "schedule/grammar.h"

namespace ordavi {

// The local date and time of one tick pass, as GetLocalTime gives it.
struct ScheduleNow {
  std::uint16_t year = 0;
  std::uint16_t month = 0;      // 1..12
  std::uint16_t dayOfWeek = 0;  // 0 Sunday .. 6 Saturday
  std::uint16_t day = 0;        // 1..31
  std::uint16_t hour = 0;
  std::uint16_t minute = 0;
  std::uint16_t second = 0;
  std::uint16_t millisecond = 0;
};

struct MatchResult {
  bool due = false;
  std::vector<std::string> fields;  // the field texts, in the kind's order
  // For a kind that counts minutes (idle, after boot): the tick the count
  // began at (the last input; 0 for the system's start), so a task run in
  // one count is told from the same minute of a later one.
  std::uint32_t countFrom = 0;
};

// Port: the millisecond counters behind idle and uptime minutes, and the
// awake time.
class SystemClock {
 public:
  virtual ~SystemClock() = default;
  virtual std::uint32_t TickCount() = 0;      // GetTickCount
  // The same milliseconds since boot in 64 bits (GetTickCount64): they go on
  // while the PC sleeps and never wrap.
  virtual std::uint64_t TickCount64() = 0;
  virtual std::uint32_t LastInputTick() = 0;  // GetLastInputInfo's dwTime
  // The milliseconds since boot the PC was awake (QueryUnbiasedInterruptTime);
  // nothing on a Windows without it.
  virtual std::optional<std::uint64_t> UnbiasedMs() = 0;
};

// Port: the system's short date format ("yyyy/M/d", "dd-MM-yy", ...).
class DateFormatSource {
 public:
  virtual ~DateFormatSource() = default;
  virtual std::string ShortDateFormat() = 0;
};

// Port: whether some program asks now that the display stay on (a video
// player, a presentation).
class DisplayRequests {
 public:
  virtual ~DisplayRequests() = default;
  virtual bool DisplayRequired() = 0;
};

// The input clock as the idle kind reads it: a request to keep the display on
// counts as input, as the system's own display and sleep timers count it, so
// a film watched without touching the mouse is not idle time. The idle time
// counts from the later of the last input and the last reading that found
// such a request.
class ActivityClock : public SystemClock {
 public:
  ActivityClock(SystemClock& inner, DisplayRequests& display) : inner_(inner), display_(display) {}
  std::uint32_t TickCount() override { return inner_.TickCount(); }
  std::uint64_t TickCount64() override { return inner_.TickCount64(); }
  std::uint32_t LastInputTick() override;
  std::optional<std::uint64_t> UnbiasedMs() override { return inner_.UnbiasedMs(); }
  // The PC has resumed: idle time counts from now, not from an input before
  // the sleep.
  void Resumed();

 private:
  SystemClock& inner_;
  DisplayRequests& display_;
  std::uint32_t lastRequest_ = 0;
  bool requested_ = false;
};

std::uint32_t IdleMinutes(SystemClock& clock);
std::uint32_t UptimeMinutes(SystemClock& clock);

class Matchers {
 public:
  Matchers(SystemClock& clock, DateFormatSource& dates) : clock_(clock), dates_(dates) {}

  MatchResult MatchIdle(const ScheduleNow& now, const std::string& text);
  MatchResult MatchAfterBoot(const ScheduleNow& now, const std::string& text);
  MatchResult MatchOnce(const ScheduleNow& now, const std::string& text);
  MatchResult MatchDaily(const ScheduleNow& now, const std::string& text);
  MatchResult MatchWeekly(const ScheduleNow& now, const std::string& text);
  MatchResult MatchMonthly(const ScheduleNow& now, const std::string& text);
  MatchResult MatchYearly(const ScheduleNow& now, const std::string& text);
  MatchResult Match(ScheduleKind kind, const ScheduleNow& now, const std::string& text);

 private:
  SystemClock& clock_;
  DateFormatSource& dates_;
};

}  // namespace ordavi
