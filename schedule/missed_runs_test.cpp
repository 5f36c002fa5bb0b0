#include "schedule/missed_runs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ordavi {
namespace {

constexpr const char* kFormat = "yyyy/M/d";

std::string Texts(const std::vector<LocalMinute>& minutes) {
  std::string out;
  for (const LocalMinute& m : minutes) out += (out.empty() ? "" : ",") + MinuteText(m);
  return out;
}

// Table: a schedule and the minutes at which it was due between a pass on
// Friday 1 March 2024 at 22:00 and one on Tuesday 5 March at 08:30 (neither
// minute included).
TEST(MissedRuns, DueMinutesBetweenTwoPassesAsTheMatchersDecide) {
  const auto range = UnseenMinutes({2024, 3, 1, 22, 0}, {2024, 3, 5, 8, 30});
  ASSERT_TRUE(range);
  const struct {
    const char* schedule;
    const char* due;
  } cases[] = {
      {"每天8时0分", "2024-03-02 08:00,2024-03-03 08:00,2024-03-04 08:00,2024-03-05 08:00"},
      {"每天22时0分", "2024-03-02 22:00,2024-03-03 22:00,2024-03-04 22:00"},  // the first pass's minute was seen
      {"每天8时30分", "2024-03-02 08:30,2024-03-03 08:30,2024-03-04 08:30"},  // the last pass's minute is seen
      {"每周7日9时15分", "2024-03-03 09:15"},                                  // 7 is Sunday
      {"每月29日0时0分", ""},
      {"每月2日23时59分", "2024-03-02 23:59"},
      {"每年3月4日12时0分", "2024-03-04 12:00"},
      {"一次2024/3/3日6时0分", "2024-03-03 06:00"},
      {"一次2024/3/6日6时0分", ""},
      {"空闲5分钟", ""},   // no clock minute
      {"开机0时10分", ""},  // no clock minute
      {"程序结束后：dl.exe", ""},  // conditions: no clock minute either
      {"网速低于50KB/s持续3分钟", ""},
      {"处理器低于10%持续5分钟", ""},
      {"每天25时0分", ""},  // never due
      {"garbage", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(Texts(DueMinutesIn(c.schedule, *range, kFormat)), c.due) << c.schedule;
}

// Table: two minutes of local time and the range no pass saw: at most seven
// days back; nothing between adjacent minutes or when the clock went back
// (also the hour repeated when daylight saving time ends).
TEST(MissedRuns, UnseenMinutesBetweenPasses) {
  const struct {
    LocalMinute seen, now;
    const char* range;
  } cases[] = {
      {{2024, 3, 5, 8, 29}, {2024, 3, 5, 8, 29}, ""},
      {{2024, 3, 5, 8, 29}, {2024, 3, 5, 8, 30}, ""},
      {{2024, 3, 5, 8, 29}, {2024, 3, 5, 8, 31}, "2024-03-05 08:30..2024-03-05 08:30"},
      {{2024, 2, 28, 23, 58}, {2024, 3, 1, 0, 1}, "2024-02-28 23:59..2024-03-01 00:00"},
      {{2024, 1, 1, 0, 0}, {2024, 3, 5, 8, 30}, "2024-02-27 08:30..2024-03-05 08:29"},  // seven days back
      {{2024, 3, 5, 9, 0}, {2024, 3, 5, 8, 0}, ""},                                      // clock went back
      // Daylight saving time begins (Europe, 31 March 2024): 02:00..02:59 never exist, no pass saw them.
      {{2024, 3, 31, 1, 59}, {2024, 3, 31, 3, 0}, "2024-03-31 02:00..2024-03-31 02:59"},
      // Daylight saving time ends (27 October 2024): after 02:59 summer time comes 02:00 again.
      {{2024, 10, 27, 2, 59}, {2024, 10, 27, 2, 0}, ""},
  };
  for (const auto& c : cases) {
    const auto r = UnseenMinutes(c.seen, c.now);
    EXPECT_EQ(r ? MinuteText(r->first) + ".." + MinuteText(r->last) : "", c.range) << MinuteText(c.now);
  }
}

// Table: two samples of one agent life; the clock was set when UTC moved by
// other than the counter (which runs on through standby).
TEST(MissedRuns, ClockSetByTheUserIsToldApartFromTimePassing) {
  constexpr std::uint32_t kMin = 60000;
  const LocalMinute at{2024, 3, 31, 1, 59};
  const struct {
    const char* what;
    long long localGap, utcGap;
    std::uint32_t tickBefore, tickGap;
    bool set;
  } cases[] = {
      {"one pass later", 0, 0, 5000, 10000, false},
      {"standby of three hours", 180, 180, 5000, 180 * kMin + 700, false},
      {"hibernation across the counter's wrap", 600, 600, 0xFFFF0000u, 600 * kMin, false},
      {"set forward an hour", 61, 61, 5000, 1 * kMin, true},
      {"set back an hour", -59, -59, 5000, 1 * kMin, true},
      {"set forward by a minute is within the slack", 2, 2, 5000, 1 * kMin, false},
      // Daylight saving time moves the local minute only (01:59 to 03:00, or
      // back to 01:00): UTC runs with the counter.
      {"daylight saving time begins", 61, 1, 5000, 1 * kMin, false},
      {"daylight saving time ends", -59, 1, 5000, 1 * kMin, false},
  };
  for (const auto& c : cases) {
    const ClockSample before{at, 28000000, c.tickBefore};
    const ClockSample after{AddMinutes(at, c.localGap), 28000000 + c.utcGap, c.tickBefore + c.tickGap};
    EXPECT_EQ(ClockWasSet(before, after), c.set) << c.what;
  }
}

}  // namespace
}  // namespace ordavi
