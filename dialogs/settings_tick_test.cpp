#include "dialogs/settings_tick.h"

#include <gtest/gtest.h>

#include "schedule/testing/fake_timers.h"

namespace ordavi {
namespace {

struct FakeCountdown : CountdownControl {
  bool running = false;
  void SetPendingAction(const std::string&) override {}
  void StartCountdown(const std::string&) override {}
  bool CountdownRunning() const override { return running; }
};

TEST(SettingsTickHold, ClosingTheLastDialogRestoresWhatTheTickWouldDo) {
  struct Case {
    const char* what;
    bool monitoring, countdown, pausePending;
    bool timer1AfterClose;
  };
  for (const Case& c : {Case{"tick was running", true, false, false, true},
                        Case{"monitoring off stays off", false, false, false, false},
                        Case{"a running countdown starts the tick at its end", true, true, false, false},
                        Case{"a pending pause starts the tick at its end", true, false, true, false}}) {
    testing::FakeTimers timers;
    FakeCountdown countdown;
    bool monitoring = c.monitoring;
    SettingsTickHold hold(timers, countdown, [&] { return monitoring; });
    timers.SetTimerEnabled(MainTimer::TaskTick, c.monitoring && !c.countdown && !c.pausePending);
    timers.SetTimerEnabled(MainTimer::TickPause, c.pausePending);
    countdown.running = c.countdown;

    hold.DialogOpened();
    hold.DialogOpened();  // a second dialog, opened while the first is open
    EXPECT_FALSE(timers.TimerEnabled(MainTimer::TaskTick)) << c.what;
    hold.DialogClosed();
    EXPECT_TRUE(hold.AnyOpen()) << c.what;
    EXPECT_FALSE(timers.TimerEnabled(MainTimer::TaskTick)) << c.what << ": one dialog is still open";
    hold.DialogClosed();
    EXPECT_FALSE(hold.AnyOpen());
    EXPECT_EQ(timers.TimerEnabled(MainTimer::TaskTick), c.timer1AfterClose) << c.what;
  }
}

}  // namespace
}  // namespace ordavi
