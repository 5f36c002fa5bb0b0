#include "actions/junk.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "actions/testing/fake_junk_system.h"
#include "schedule/testing/fake_clocks.h"

namespace ordavi {
namespace {

using testing::FakeJunkSystem;
using testing::FakeLocalClock;

ScheduleNow At(int y, int mo, int d, int h, int mi, int s) {
  ScheduleNow n;
  n.year = static_cast<std::uint16_t>(y);
  n.month = static_cast<std::uint16_t>(mo);
  n.day = static_cast<std::uint16_t>(d);
  n.hour = static_cast<std::uint16_t>(h);
  n.minute = static_cast<std::uint16_t>(mi);
  n.second = static_cast<std::uint16_t>(s);
  return n;
}

TEST(JunkLogName, NumbersAreWrittenWithoutPadding) {
  const struct {
    ScheduleNow now;
    const char* name;
  } cases[] = {
      {At(2024, 3, 5, 8, 7, 9), "清理系统垃圾列表202435_879.txt"},
      {At(2024, 12, 31, 23, 59, 59), "清理系统垃圾列表20241231_235959.txt"},
      {At(2024, 1, 1, 0, 0, 0), "清理系统垃圾列表202411_000.txt"},
      // Different moments can share a name.
      {At(2024, 11, 1, 1, 1, 10), "清理系统垃圾列表2024111_1110.txt"},
      {At(2024, 1, 11, 11, 1, 0), "清理系统垃圾列表2024111_1110.txt"},
  };
  for (const auto& c : cases) EXPECT_EQ(JunkLogName(c.now), c.name);
}

TEST(JunkCommandLine, QuotesBothPathsInsideOuterQuotes) {
  EXPECT_EQ(JunkCommandLine("C:\\Program Files\\Ordavi\\", "C:\\Program Files\\Ordavi\\log.txt"),
            "cmd.exe /c \"\"C:\\Program Files\\Ordavi\\QLLJ.bat\" > \"C:\\Program Files\\Ordavi\\log.txt\"\"");
}

TEST(CleanJunk, TheLogIsOpenedOnlyWhenAskedAndOnlyAfterTheScriptRan) {
  const std::string dir = "D:\\工具\\";
  const std::string log = dir + "清理系统垃圾列表202435_879.txt";
  const std::string run = "RunHiddenAndWait(" + JunkCommandLine(dir, log) + ")";
  const struct {
    bool openLog;
    bool starts;
    std::vector<std::string> calls;
  } cases[] = {
      {true, true, {run, "OpenLog(" + log + "," + dir + ")"}},
      {false, true, {run}},
      {true, false, {run}},  // the process could not be started: nothing more
  };
  for (const auto& c : cases) {
    FakeJunkSystem sys;
    sys.scriptStarts = c.starts;
    FakeLocalClock clock;  // 2024-03-05
    clock.startSecondOfDay = 8 * 3600 + 7 * 60 + 9;
    JunkCleaner cleaner{sys, clock, dir};
    cleaner.CleanJunk(c.openLog);
    EXPECT_EQ(sys.log, c.calls);
  }
}

}  // namespace
}  // namespace ordavi
