#include "dialogs/next_run_cell.h"

#include <gtest/gtest.h>

namespace ordavi {
namespace {

// The next-run cell: what the tick will do with the row, enabled or not.
TEST(NextRunCell, SaysWhenOrWhyNot) {
  ScheduleNow now;  // Tuesday 8 December 2026, 21:05
  now.year = 2026, now.month = 12, now.day = 8, now.dayOfWeek = 2, now.hour = 21, now.minute = 5;
  const struct {
    const char* schedule;
    const char* enabled;
    const char* cell;
    bool wake = false;
  } cases[] = {
      {"每天22时30分", "启用", "今天 22:30"},
      {"每天8时0分", "启用", "明天 08:00"},
      {"空闲15分钟", "启用", "空闲15分钟后"},
      {"每天22时30分", "禁用", "不会运行（未启用）"},
      {"每天22时30分", "", "不会运行（未启用）"},
      {"一次2026/12/1日8时0分", "启用", "不会运行（日期已过）"},
      {"乱写", "启用", "不会运行（时间无法识别）"},
      {"每天7时0分", "启用", "明天 07:00（唤醒）", true},
      {"空闲15分钟", "启用", "空闲15分钟后", true},  // no time of day to wake for
      {"一次2026/12/1日8时0分", "启用", "不会运行（日期已过）", true},
  };
  for (const auto& c : cases) {
    TaskRecord row;
    row.schedule = c.schedule;
    row.enabled = c.enabled;
    row.wake = c.wake;
    EXPECT_EQ(NextRunCell(row, now, 600, "yyyy/M/d"), c.cell) << c.schedule << " " << c.enabled;
  }
}

}  // namespace
}  // namespace ordavi
