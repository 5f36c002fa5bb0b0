#include "schedule/next_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "schedule/testing/fake_clocks.h"
#include "store/errors.h"

namespace ordavi {
namespace {

using testing::FakeSystemClock;
using testing::FixedDateFormat;

constexpr const char* kFormat = "yyyy/M/d";

ScheduleNow NowAt(const LocalMinute& t) {
  ScheduleNow now = ScheduleNowAt(t);
  now.second = 17;
  return now;
}

// Table: schedule, the minute the search starts, the answer as the user reads
// it (Tuesday 5 March 2024, 08:29).
TEST(NextRun, EachKindAsTheUserReadsIt) {
  const LocalMinute start{2024, 3, 5, 8, 29};
  const struct {
    const char* schedule;
    const char* text;
  } cases[] = {
      {"每天8时30分", "今天 08:30"},
      {"每天8时29分", "今天 08:29"},  // the start minute itself counts
      {"每天8时28分", "明天 08:28"},
      {"每天08时05分", "明天 08:05"},  // leading zeros read as the matcher reads them
      {"每周7日22时0分", "2024/3/10 22:00"},  // 7 is Sunday
      {"每周2日8时0分", "2024/3/12 08:00"},
      {"每周2日8时29分", "今天 08:29"},  // due this very minute: not next week
      {"每周07日22时0分", "不会运行（时间不存在）"},  // "07" is not turned into Sunday
      {"每月31日9时0分", "2024/3/31 09:00"},
      {"每月5日8时0分", "2024/4/5 08:00"},
      {"每月30日8时0分", "2024/3/30 08:00"},
      {"每年2月29日0时0分", "2028/2/29 00:00"},
      {"每年4月31日0时0分", "不会运行（时间不存在）"},
      {"一次2024/3/6日7时0分", "明天 07:00"},
      {"一次2024/3/5日8时0分", "不会运行（日期已过）"},
      {"一次2024-3-6日7时0分", "不会运行（时间无法识别）"},  // another date format
      {"每天24时0分", "不会运行（时间不存在）"},
      {"每天8时x分", "不会运行（时间无法识别）"},
      {"每天", "不会运行（时间无法识别）"},
      {"空闲15分钟", "空闲15分钟后"},
      {"空闲-1分钟", "不会运行（时间不存在）"},
      {"开机0时30分", "今天 08:39"},  // uptime 20 minutes: 10 minutes from now
      {"开机0时10分", "已过"},
      {"开机1193时2分", "2024/4/24 01:11"},  // the counter's last minute: 71562 minutes from now
      {"开机1193时3分", "不会运行（超过开机计时的上限）"},
      {"开机1200时0分", "不会运行（超过开机计时的上限）"},
      {"开机71582789时0分", "今天 08:53"},  // the total wraps to 44 minutes
      {"空闲71582分钟", "空闲71582分钟后"},
      {"空闲71583分钟", "不会运行（超过开机计时的上限）"},
      {"提醒8时30分", "不会运行（时间无法识别）"},
      {"程序结束后：thunder.exe", "等待：thunder.exe结束"},
      {"网速低于50KB/s持续3分钟", "等待：网速低于50KB/s持续3分钟"},
      {"处理器低于10%持续5分钟", "等待：处理器低于10%持续5分钟"},
      {"处理器低于0%持续5分钟", "不会运行（数值超出范围）"},
      {"网速低于50KB/s持续3分", "不会运行（时间无法识别）"},
  };
  for (const auto& c : cases) {
    const NextRun next = NextRunOf(c.schedule, NowAt(start), 20, kFormat);
    EXPECT_EQ(NextRunText(next, NowAt(start), kFormat), c.text) << c.schedule;
  }
}

// Table: a condition task's cell as far as the agent has watched it.
TEST(NextRun, AConditionSaysHowFarItHasCome) {
  using S = ConditionState::Stage;
  const LocalMinute start{2024, 3, 5, 8, 29};
  const struct {
    const char* schedule;
    ConditionState state;
    const char* text;
  } cases[] = {
      {"程序结束后：dl.exe", {S::Waiting, 0}, "等待：dl.exe结束"},
      {"程序结束后：dl.exe", {S::Watching, 0}, "等待：dl.exe结束（正在运行）"},
      {"程序结束后：dl.exe", {S::Unread, 0}, "不会运行（无法读取正在运行的程序）"},
      {"网速低于50KB/s持续3分钟", {S::Watching, 0}, "等待：网速低于50KB/s持续3分钟"},
      {"网速低于50KB/s持续3分钟", {S::Quiet, 2}, "等待：网速低于50KB/s已持续2分钟（需3分钟）"},
      {"网速低于50KB/s持续3分钟", {S::Unread, 0}, "不会运行（无法读取网速）"},
      {"处理器低于10%持续5分钟", {S::Quiet, 0}, "等待：处理器低于10%已持续0分钟（需5分钟）"},
      {"处理器低于10%持续5分钟", {S::Unread, 0}, "不会运行（无法读取处理器占用）"},
      {"每天8时30分", {S::Unread, 0}, "今天 08:30"},  // not a condition: as it is
  };
  for (const auto& c : cases) {
    const NextRun next = WithConditionState(NextRunOf(c.schedule, NowAt(start), 0, kFormat), c.schedule, c.state);
    EXPECT_EQ(NextRunText(next, NowAt(start), kFormat), c.text) << c.schedule;
  }
}

// The next run is the first minute at or after the start at which the matcher
// answers due, and "never" exactly when there is none: checked minute by
// minute against the matchers for random schedules and start minutes. The
// matcher must be due at the answer, and not due at any minute before it
// within the window; ORDAVI_LONG_TESTS=1 widens the window to eight years
// (about four million matcher calls a schedule, minutes of run time).
TEST(NextRun, AgreesWithTheMatchersMinuteByMinute) {
  const bool longRun = std::getenv("ORDAVI_LONG_TESTS") != nullptr;
  const int schedules = longRun ? 400 : 120;
  std::mt19937 rng(20261208);
  auto pick = [&](std::initializer_list<const char*> options) {
    const std::vector<const char*> v(options);
    return std::string(v[std::uniform_int_distribution<std::size_t>(0, v.size() - 1)(rng)]);
  };
  auto number = [&](int lo, int hi) { return std::to_string(std::uniform_int_distribution<int>(lo, hi)(rng)); };
  auto hour = [&] { return rng() % 4 ? number(0, 23) : pick({"24", "08", "x", "-1", ""}); };
  auto minute = [&] { return rng() % 4 ? number(0, 59) : pick({"60", "05", "+5", ""}); };

  FakeSystemClock clock;
  FixedDateFormat dates;
  dates.format = kFormat;
  Matchers matchers(clock, dates);
  auto due = [&](ScheduleKind kind, const LocalMinute& t, const std::string& text) {
    try {
      return matchers.Match(kind, NowAt(t), text).due;
    } catch (const FrameworkError&) {
      return false;  // the tick skips a text it cannot convert
    }
  };
  for (int i = 0; i < schedules; ++i) {
    std::string text;
    const std::string time = hour() + "时" + minute() + "分";
    switch (rng() % 5) {
      case 0: text = "每天" + time; break;
      case 1: text = "每周" + (rng() % 5 ? number(0, 7) : pick({"07", "8", "-0"})) + "日" + time; break;
      case 2: text = "每月" + (rng() % 3 ? number(28, 31) : number(0, 32)) + "日" + time; break;
      case 3: text = "每年" + number(0, 13) + "月" + (rng() % 3 ? "29" : number(1, 31)) + "日" + time; break;
      case 4: text = "一次" + number(2023, 2031) + "/" + number(1, 12) + "/" + number(1, 30) + "日" + time; break;
    }
    LocalMinute start{std::uniform_int_distribution<int>(2024, 2099)(rng),
                      std::uniform_int_distribution<int>(1, 12)(rng), 1,
                      std::uniform_int_distribution<int>(0, 23)(rng),
                      std::uniform_int_distribution<int>(0, 59)(rng)};
    // Every day of the month, the last days (and 28/29 February) most often.
    const int last = DaysInMonth(start.year, start.month);
    start.day = rng() % 2 ? std::uniform_int_distribution<int>(1, last)(rng) : last - static_cast<int>(rng() % 3);
    const NextRun next = NextRunOf(text, NowAt(start), 0, kFormat);
    ASSERT_TRUE(next.when == NextRun::When::At || next.when == NextRun::When::Never) << text;
    const ScheduleKind kind = *KindOf(text);
    const bool never = next.when == NextRun::When::Never;
    const std::string where = text + " from " + std::to_string(start.year) + "/" + std::to_string(start.month) + "/" +
                              std::to_string(start.day) + " " + std::to_string(start.hour) + ":" +
                              std::to_string(start.minute);
    if (!never) {
      EXPECT_TRUE(AddMinutes(next.at, 0) == next.at) << where << ": not a real minute of the calendar";
      EXPECT_TRUE(due(kind, next.at, text)) << where;
    }
    const long long window = longRun ? MinutesBetween(start, LocalMinute{start.year + 8, start.month, start.day, 23, 59})
                                     : 3 * 1440;
    const long long until = never ? window : std::min(window, MinutesBetween(start, next.at) - 1);
    for (long long k = 0; k <= until; ++k) {
      if (due(kind, AddMinutes(start, k), text)) {
        ADD_FAILURE() << where << ": due " << k << " minutes after the start, before the answer";
        break;
      }
    }
  }
}

// The kinds the counters decide, checked against the matchers minute by
// minute near each end of the counter and around the answer: idle schedules
// at each idle minute, after-boot ones at each uptime from a random one on.
// And a 29 February two months into the next year, minute by minute.
// The counter's minutes within 400 of any of `points`, in order, once each.
std::vector<std::int64_t> Near(std::initializer_list<std::int64_t> points) {
  std::vector<std::int64_t> out;
  for (std::int64_t m = 0; m <= kLastCounterMinute; ++m) {
    for (std::int64_t p : points) {
      if (m >= p - 400 && m <= p + 400) {
        out.push_back(m);
        break;
      }
    }
  }
  return out;
}

TEST(NextRun, CounterKindsAndLeapDaysAgreeWithTheMatchers) {
  std::mt19937 rng(20261209);
  FakeSystemClock clock;
  FixedDateFormat dates;
  dates.format = kFormat;
  Matchers matchers(clock, dates);
  const LocalMinute start{2024, 3, 5, 8, 29};
  auto due = [&](const std::string& text, const LocalMinute& at) {
    try {
      return matchers.Match(*KindOf(text), NowAt(at), text).due;
    } catch (const FrameworkError&) {
      return false;
    }
  };
  const auto atUptime = [&](std::int64_t u) { clock.tick = static_cast<std::uint32_t>(u * 60000 + 30000); };
  for (const char* idle : {"0", "15", "015", "+3", "71582", "71583", "-1", "4294967295", "1e3"}) {
    const std::string text = std::string("空闲") + idle + "分钟";
    const NextRun next = NextRunOf(text, NowAt(start), 0, kFormat);
    if (next.when == NextRun::When::AfterIdle) {
      EXPECT_LE(next.idleMinutes, kLastCounterMinute) << text;
    }
    clock.lastInput = 1000;
    for (std::int64_t m : Near({0, next.idleMinutes, kLastCounterMinute})) {
      clock.tick = static_cast<std::uint32_t>(1000 + m * 60000 + 30000);
      const bool expected = next.when == NextRun::When::AfterIdle && next.idleMinutes == m;
      if (due(text, start) != expected) {
        ADD_FAILURE() << text << ": idle " << m << " minutes";
        break;
      }
    }
  }
  const std::vector<std::string> hours = {"0", "1", "1192", "1193", "1200", "-1", "71582789", "+2", "x"};
  const std::vector<std::string> minutes = {"0", "2", "3", "59", "61", "-5", "05", ""};
  for (int i = 0; i < 16; ++i) {
    const std::string text = "开机" + hours[rng() % hours.size()] + "时" + minutes[rng() % minutes.size()] + "分";
    const std::int64_t uptime = rng() % 2 ? rng() % 200 : kLastCounterMinute - static_cast<std::int64_t>(rng() % 200);
    const NextRun next = NextRunOf(text, NowAt(start), static_cast<std::uint32_t>(uptime), kFormat);
    // Never: at no uptime at all; passed: not again before the wrap.
    const std::int64_t from = next.when == NextRun::When::Never ? 0 : uptime;
    const std::int64_t answer =
        next.when == NextRun::When::At ? uptime + MinutesBetween(start, next.at) : kLastCounterMinute + 1;
    ASSERT_NE(next.when, NextRun::When::AfterIdle) << text;
    EXPECT_LE(answer, kLastCounterMinute + 1) << text << ": a minute the counter never shows";
    for (std::int64_t u : Near({from, answer, kLastCounterMinute})) {
      if (u < from || u > answer) continue;
      atUptime(u);
      if (due(text, AddMinutes(start, u - uptime)) != (u == answer)) {
        ADD_FAILURE() << text << " from uptime " << uptime << ": at uptime " << u;
        break;
      }
    }
  }
  for (const char* text : {"每年2月29日0时0分", "每年2月29日23时59分"}) {
    const LocalMinute from{2027, 12, 31, 23, 0};
    const NextRun next = NextRunOf(text, NowAt(from), 0, kFormat);
    ASSERT_EQ(NextRunText(next, NowAt(from), kFormat).substr(0, 9), "2028/2/29") << text;
    const long long until = MinutesBetween(from, next.at);
    for (long long k = 0; k <= until; ++k) {
      if (due(text, AddMinutes(from, k)) != (k == until)) {
        ADD_FAILURE() << text << ": " << k << " minutes after the start";
        break;
      }
    }
  }
}

}  // namespace
}  // namespace ordavi
