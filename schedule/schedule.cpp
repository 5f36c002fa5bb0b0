#include "schedule/schedule.h"

#include <cstdint>

#include "store/errors.h"
#include "store/text.h"

namespace ordavi {

namespace {

// Converts a field and tells whether it equals `value`; the comparison is made
// in 64 bits so that a negative field never equals an unsigned clock value.
bool FieldIs(const std::string& field, long long value) { return StrToInt(field) == value; }

// Cuts the fields of `kind` and, for a text holding nothing but its kind word,
// answers "not due" at once.
MatchResult Cut(ScheduleKind kind, const std::string& text, bool& done) {
  MatchResult r;
  r.fields = CutFields(kind, text);
  done = text.size() <= kKindWordBytes;
  return r;
}

}  // namespace

std::uint32_t IdleMinutes(SystemClock& clock) {
  const std::uint32_t lastInput = clock.LastInputTick();
  const std::uint32_t now = clock.TickCount();
  const std::uint32_t elapsed = now - lastInput;  // unsigned: right across a wrap of the tick count
  return elapsed / 1000u / 60u;
}

std::uint32_t ActivityClock::LastInputTick() {
  const std::uint32_t input = inner_.LastInputTick();
  const std::uint32_t now = inner_.TickCount();
  if (display_.DisplayRequired()) {
    lastRequest_ = now;
    requested_ = true;
  }
  if (!requested_) return input;
  // The later of the two is the nearer one back from now, also across a wrap.
  return now - lastRequest_ < now - input ? lastRequest_ : input;
}

void ActivityClock::Resumed() {
  lastRequest_ = inner_.TickCount();
  requested_ = true;
}

// In 64 bits: after the 32-bit counter's wrap (49.7 days) the uptime goes on,
// so an after-boot minute that has passed never comes round again.
std::uint32_t UptimeMinutes(SystemClock& clock) {
  const std::uint64_t minutes = clock.TickCount64() / 60000u;
  return minutes > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(minutes);
}

MatchResult Matchers::MatchIdle(const ScheduleNow&, const std::string& text) {
  bool done = false;
  MatchResult r = Cut(ScheduleKind::Idle, text, done);
  if (done) return r;
  r.countFrom = clock_.LastInputTick();
  r.due = FieldIs(r.fields[0], IdleMinutes(clock_));
  return r;
}

MatchResult Matchers::MatchAfterBoot(const ScheduleNow&, const std::string& text) {
  bool done = false;
  MatchResult r = Cut(ScheduleKind::AfterBoot, text, done);
  if (done) return r;
  const std::int32_t total = BootTotal(StrToInt(r.fields[0]), StrToInt(r.fields[1]));
  r.due = static_cast<long long>(total) == static_cast<long long>(UptimeMinutes(clock_));
  return r;
}

MatchResult Matchers::MatchOnce(const ScheduleNow& now, const std::string& text) {
  bool done = false;
  MatchResult r = Cut(ScheduleKind::Once, text, done);
  if (done) return r;
  const Date d = StrToDate(r.fields[0], dates_.ShortDateFormat());
  r.due = d.year == now.year && d.month == now.month && d.day == now.day && FieldIs(r.fields[1], now.hour) &&
          FieldIs(r.fields[2], now.minute);
  return r;
}

MatchResult Matchers::MatchDaily(const ScheduleNow& now, const std::string& text) {
  bool done = false;
  MatchResult r = Cut(ScheduleKind::Daily, text, done);
  if (done) return r;
  r.due = FieldIs(r.fields[0], now.hour) && FieldIs(r.fields[1], now.minute);
  return r;
}

MatchResult Matchers::MatchWeekly(const ScheduleNow& now, const std::string& text) {
  bool done = false;
  MatchResult r = Cut(ScheduleKind::Weekly, text, done);
  if (done) return r;
  r.fields[0] = WeekdayText(r.fields[0]);  // Sunday is day 0 of the clock
  r.due = FieldIs(r.fields[0], now.dayOfWeek) && FieldIs(r.fields[1], now.hour) && FieldIs(r.fields[2], now.minute);
  return r;
}

MatchResult Matchers::MatchMonthly(const ScheduleNow& now, const std::string& text) {
  bool done = false;
  MatchResult r = Cut(ScheduleKind::Monthly, text, done);
  if (done) return r;
  r.due = FieldIs(r.fields[0], now.day) && FieldIs(r.fields[1], now.hour) && FieldIs(r.fields[2], now.minute);
  return r;
}

MatchResult Matchers::MatchYearly(const ScheduleNow& now, const std::string& text) {
  bool done = false;
  MatchResult r = Cut(ScheduleKind::Yearly, text, done);
  if (done) return r;
  r.due = FieldIs(r.fields[0], now.month) && FieldIs(r.fields[1], now.day) && FieldIs(r.fields[2], now.hour) &&
          FieldIs(r.fields[3], now.minute);
  return r;
}

MatchResult Matchers::Match(ScheduleKind kind, const ScheduleNow& now, const std::string& text) {
  switch (kind) {
    case ScheduleKind::Idle: return MatchIdle(now, text);
    case ScheduleKind::AfterBoot: return MatchAfterBoot(now, text);
    case ScheduleKind::Once: return MatchOnce(now, text);
    case ScheduleKind::Daily: return MatchDaily(now, text);
    case ScheduleKind::Weekly: return MatchWeekly(now, text);
    case ScheduleKind::Monthly: return MatchMonthly(now, text);
    case ScheduleKind::Yearly: return MatchYearly(now, text);
    case ScheduleKind::ProgramEnds:
    case ScheduleKind::NetworkQuiet:
    case ScheduleKind::ProcessorQuiet: break;  // watched by Conditions (schedule/conditions.h), not the clock
  }
  return {};
}

}  // namespace ordavi
