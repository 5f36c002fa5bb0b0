#include "schedule/missed_runs.h"

#include <cstdlib>

#include "schedule/grammar.h"
#include "schedule/run_record.h"

namespace ordavi {

bool ClockWasSet(const ClockSample& before, const ClockSample& after) {
  // The counter wraps after 49.7 days; unsigned subtraction measures any gap shorter than that.
  const long long counted = static_cast<std::uint32_t>(after.tickMs - before.tickMs) / 60000;
  const long long utc = after.utcMinute - before.utcMinute;
  return std::llabs(utc - counted) > kClockSlackMinutes;
}

std::optional<MinuteRange> UnseenMinutes(const LocalMinute& seen, const LocalMinute& now) {
  if (MinutesBetween(seen, now) < 2) return std::nullopt;
  MinuteRange r{AddMinutes(seen, 1), AddMinutes(now, -1)};
  const LocalMinute oldest = AddMinutes(now, -kMissedDaysBack * 1440);
  if (MinutesBetween(r.first, oldest) > 0) r.first = oldest;
  return r;
}

std::vector<LocalMinute> DueMinutesIn(const std::string& schedule, const MinuteRange& range,
                                      const std::string& shortDateFormat) {
  std::vector<LocalMinute> out;
  // Only a kind whose last field is a minute of the clock falls due at one.
  const std::optional<ScheduleKind> kind = KindOf(schedule);
  if (!kind || RowOf(*kind).timing != KindTiming::Clock) return out;
  LocalMinute from = range.first;
  while (MinutesBetween(from, range.last) >= 0) {
    const NextRun next = NextRunOf(schedule, ScheduleNowAt(from), 0, shortDateFormat);
    if (next.when != NextRun::When::At || MinutesBetween(next.at, range.last) < 0) break;
    out.push_back(next.at);
    from = AddMinutes(next.at, 1);
  }
  return out;
}

std::string MinuteText(const LocalMinute& t) {
  // Each field of two digits written into its place: the program is built
  // for size, and a chain of strings costs several times this.
  char rest[] = "-00-00 00:00";
  const int fields[] = {t.month, t.day, t.hour, t.minute};
  for (int i = 0; i < 4; ++i) {
    rest[1 + 3 * i] = static_cast<char>('0' + fields[i] / 10 % 10);
    rest[2 + 3 * i] = static_cast<char>('0' + fields[i] % 10);
  }
  return std::to_string(t.year) + rest;
}

std::string ClockTime(const LocalMinute& at) {
  const std::string text = MinuteText(at);
  return text.substr(text.size() - 5);
}

LocalMinute MinuteAfter(const ScheduleNow& now, std::uint64_t waitMs) {
  const std::uint64_t intoMinute = now.second * 1000ull + now.millisecond;
  return AddMinutes(MinuteOf(now), static_cast<long long>((intoMinute + waitMs) / 60000));
}

}  // namespace ordavi
