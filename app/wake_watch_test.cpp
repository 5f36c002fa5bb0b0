#include "app/wake_watch.h"

#include <gtest/gtest.h>

#include "app/testing/fake_wake.h"
#include "schedule/testing/fake_clocks.h"
#include "store/testing/fake_registry.h"

namespace ordavi {
namespace {

using testing::CallLog;

class WakeWatchTest : public ::testing::Test {
 protected:
  testing::FakeRegistryKey key;
  Registry reg{key};
  TaskStore store{reg};
  testing::FakeWakeSystem system;
  testing::FakeAwakeClock awake;
  WakeWatch watch{store, system, awake};
  long long slept = 0;  // minutes

  // A pass at 2026-12-`day` hour:minute; returns the calls it made. The PC
  // was awake all the time but `slept` minutes.
  CallLog Pass(int day, int hour, int minute) {
    system.log.clear();
    const LocalMinute at{2026, 12, day, hour, minute};
    awake.ms = static_cast<std::uint64_t>(MinutesBetween(LocalMinute{2026, 12, 1, 0, 0}, at) - slept) * 60000u;
    ScheduleNow now = ScheduleNowAt(at);
    watch.AfterPass(now, 600, "yyyy/M/d");
    return system.log;
  }
};

// A day of passes: the timer follows the soonest wake task as tasks change
// and minutes pass, the woken minute keeps the PC awake for ten minutes (the
// screen too for a reminder), and monitoring off cancels everything.
TEST_F(WakeWatchTest, TheTimerFollowsTheSoonestWakeTask) {
  store.LoadTaskCounter();
  store.AddTask("每天7时0分", "提醒", "起床", true);
  store.AddTask("每天22时0分", "提醒", "no wake");
  EXPECT_EQ(Pass(8, 21, 5), CallLog{"SetWakeTimer(2026-12-09 07:00)"});
  EXPECT_EQ(Pass(8, 21, 5), CallLog{});  // the same minute: the tasks are not read again
  EXPECT_EQ(Pass(8, 21, 6), CallLog{});  // read again, nothing changed

  store.AddTask("一次2026/12/8日23时0分", "关闭计算机", "", true);
  EXPECT_EQ(Pass(8, 21, 6), CallLog{});  // not told yet
  watch.TasksChanged();
  EXPECT_EQ(Pass(8, 21, 6), CallLog{"SetWakeTimer(2026-12-08 23:00)"});

  EXPECT_EQ(Pass(8, 23, 0), (CallLog{"KeepAwake(1,0)", "SetWakeTimer(2026-12-09 07:00)"}));
  EXPECT_EQ(Pass(8, 23, 9), CallLog{});
  slept = 20;  // the lid closed at 23:09 and opened at 23:29: ten awake minutes end at 23:30
  EXPECT_EQ(Pass(8, 23, 29), CallLog{});
  EXPECT_EQ(Pass(8, 23, 30), CallLog{"KeepAwake(0,0)"});
  EXPECT_EQ(Pass(9, 7, 0), (CallLog{"KeepAwake(1,1)", "SetWakeTimer(2026-12-10 07:00)"}));

  watch.TasksChanged();  // a clock change: set again for the same minute
  EXPECT_EQ(Pass(9, 7, 1), CallLog{"SetWakeTimer(2026-12-10 07:00)"});

  system.log.clear();
  watch.Stop();
  EXPECT_EQ(system.log, (CallLog{"CancelWakeTimer()", "KeepAwake(0,0)"}));

  store.SetTaskEnabled(1, "禁用");  // monitoring on again with no wake task left
  EXPECT_EQ(Pass(9, 7, 2), CallLog{"CancelWakeTimer()"});
  EXPECT_EQ(Pass(9, 7, 3), CallLog{});
}

}  // namespace
}  // namespace ordavi
