#include "schedule/soonest_run.h"

#include <gtest/gtest.h>

#include <vector>

#include "store/testing/fake_registry.h"

namespace ordavi {
namespace {

using testing::FakeRegistryKey;

struct Stored {
  const char* schedule;
  const char* enabled;
  bool wake;
};

// Tuesday 8 December 2026, 21:05; up for 600 minutes.
std::optional<SoonestRun> SoonestWake(const std::vector<Stored>& tasks) {
  FakeRegistryKey key;
  Registry reg{key};
  TaskStore store{reg};
  store.LoadTaskCounter();
  int n = 0;
  for (const Stored& t : tasks) {
    store.AddTask(t.schedule, "提醒", "x", t.wake);
    store.SetTaskEnabled(++n, t.enabled);
  }
  key.Plant("A1", RegType::Binary, "x");  // the first task is unreadable: left out
  ScheduleNow now;
  now.year = 2026, now.month = 12, now.day = 8, now.dayOfWeek = 2, now.hour = 21, now.minute = 5;
  return SoonestRunAfter(store, now, 600, "yyyy/M/d", true);
}

// Every kind with the wake flag, and the tasks that must not wake the PC
// whatever their flag: off, disabled, a past once-date, this minute's run
// (its pass has run it), idle and after-boot tasks, an unreadable one.
TEST(SoonestRunAfter, TheSoonestEnabledWakeTaskWithAClockTime) {
  const std::vector<Stored> neverWake = {
      {"每天21时6分", "启用", true},  // task 1, made unreadable
      {"每年12月8日21时6分", "启用", false},
      {"每天21时10分", "禁用", true},
      {"一次2026/12/1日8时0分", "启用", true},
      {"空闲1分钟", "启用", true},
      {"开机10时2分", "启用", true},
  };
  const struct {
    std::vector<Stored> more;
    std::optional<LocalMinute> at;
  } cases[] = {
      {{}, std::nullopt},
      {{{"每天21时5分", "启用", true}}, LocalMinute{2026, 12, 9, 21, 5}},
      {{{"每月9日7时0分", "启用", true}, {"每周3日6时0分", "启用", true}}, LocalMinute{2026, 12, 9, 6, 0}},
      {{{"每年1月1日0时0分", "启用", true}, {"一次2026/12/8日23时59分", "启用", true}},
       LocalMinute{2026, 12, 8, 23, 59}},
      {{{"每年1月1日0时0分", "启用", true}}, LocalMinute{2027, 1, 1, 0, 0}},
      {{{"每天7时0分", "启用", true}, {"每周2日23时0分", "启用", true}}, LocalMinute{2026, 12, 8, 23, 0}},
  };
  for (const auto& c : cases) {
    std::vector<Stored> tasks = neverWake;
    tasks.insert(tasks.end(), c.more.begin(), c.more.end());
    const std::optional<SoonestRun> soonest = SoonestWake(tasks);
    ASSERT_EQ(soonest.has_value(), c.at.has_value()) << c.more.size();
    if (c.at) {
      EXPECT_EQ(soonest->next.at, *c.at) << soonest->task.schedule;
      EXPECT_TRUE(soonest->task.wake);
    }
  }
}

}  // namespace
}  // namespace ordavi
