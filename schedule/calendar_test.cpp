#include "schedule/calendar.h"

#include <gtest/gtest.h>

namespace ordavi {
namespace {

TEST(Calendar, DaysOfTheWeekAndMinutesAcrossMonthsYearsAndLeapDays) {
  EXPECT_EQ(DayOfWeek(2024, 3, 5), 2);  // a Tuesday
  EXPECT_EQ(DayOfWeek(2000, 1, 1), 6);
  EXPECT_EQ(DayOfWeek(2100, 3, 1), 1);
  const LocalMinute t = AddMinutes(LocalMinute{2099, 12, 31, 23, 59}, 1);
  EXPECT_TRUE((t == LocalMinute{2100, 1, 1, 0, 0}));
  EXPECT_TRUE((AddMinutes(LocalMinute{2100, 3, 1, 0, 0}, -1) == LocalMinute{2100, 2, 28, 23, 59}));
  EXPECT_EQ(MinutesBetween(LocalMinute{2024, 2, 28, 0, 0}, LocalMinute{2024, 3, 1, 0, 0}), 2 * 1440);
}

}  // namespace
}  // namespace ordavi
