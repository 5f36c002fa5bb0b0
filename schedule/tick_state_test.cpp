#include "schedule/tick_state.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "schedule/testing/fake_clocks.h"
#include "schedule/testing/fake_timers.h"

namespace ordavi {
namespace {

using testing::FakeLocalClock;
using testing::FakeTimers;

TEST(TickRunState, ClosingTheLastSettingsDialogRestoresWhatTheTickWouldDo) {
  struct Case {
    const char* what;
    bool monitoring, countdown, pausePending;
    bool tickAfterClose;
  };
  for (const Case& c : {Case{"tick was running", true, false, false, true},
                        Case{"monitoring off stays off", false, false, false, false},
                        Case{"a running countdown starts the tick at its end", true, true, false, false},
                        Case{"a pending pause starts the tick at its end", true, false, true, false}}) {
    FakeTimers timers;
    TickRunState state(timers);
    state.Start();
    if (!c.monitoring) state.MonitoringSwitchedOff();
    if (c.countdown) state.CountdownStarted();
    if (c.pausePending) state.StartPause();

    state.SettingsDialogOpened();
    state.SettingsDialogOpened();  // a second dialog, opened while the first is open
    EXPECT_FALSE(timers.TimerEnabled(MainTimer::TaskTick)) << c.what;
    state.SettingsDialogClosed();
    EXPECT_TRUE(state.HeldBy(TickStop::SettingsOpen)) << c.what;
    EXPECT_FALSE(timers.TimerEnabled(MainTimer::TaskTick)) << c.what << ": one dialog is still open";
    state.SettingsDialogClosed();
    EXPECT_FALSE(state.HeldBy(TickStop::SettingsOpen)) << c.what;
    EXPECT_EQ(timers.TimerEnabled(MainTimer::TaskTick), c.tickAfterClose) << c.what;
    state.SettingsDialogClosed();  // one close too many changes nothing
    EXPECT_EQ(timers.TimerEnabled(MainTimer::TaskTick), c.tickAfterClose) << c.what;
  }
}

// Each step is one event; after it the tick runs exactly when nothing holds
// it, except that monitoring switched on also ends a pending pause.
TEST(TickRunState, TheTickRunsWhenNoReasonIsLeft) {
  using Step = void (TickRunState::*)();
  struct Case {
    const char* what;
    std::vector<Step> steps;
    bool running;
    std::string described;
  };
  const Case cases[] = {
      {"start-up", {}, true, "运行中"},
      {"a countdown ends while monitoring is off",
       {&TickRunState::CountdownStarted, &TickRunState::MonitoringSwitchedOff, &TickRunState::CountdownEnded},
       false, "已停止：监控已关闭"},
      {"a short countdown ends within the pause of a task that ran in the same pass",
       {&TickRunState::StartPause, &TickRunState::CountdownStarted, &TickRunState::CountdownEnded},
       false, "已停止：任务刚运行，暂停一分钟"},
      {"the pause ends while a countdown runs and a dialog is open",
       {&TickRunState::StartPause, &TickRunState::CountdownStarted, &TickRunState::SettingsDialogOpened,
        &TickRunState::EndPause},
       false, "已停止：倒计时进行中、设置窗口已打开"},
      {"monitoring switched on during a pause runs the tick at once",
       {&TickRunState::StartPause, &TickRunState::MonitoringSwitchedOff, &TickRunState::MonitoringSwitchedOn},
       true, "运行中"},
      {"monitoring switched on does not end a countdown's hold",
       {&TickRunState::CountdownStarted, &TickRunState::MonitoringSwitchedOff, &TickRunState::MonitoringSwitchedOn},
       false, "已停止：倒计时进行中"},
      {"a cancelled countdown leaves monitoring off",
       {&TickRunState::CountdownStarted, &TickRunState::MonitoringSwitchedOff, &TickRunState::CountdownEnded,
        &TickRunState::EndPause},
       false, "已停止：监控已关闭"},
  };
  for (const Case& c : cases) {
    FakeTimers timers;
    TickRunState state(timers);
    state.Start();
    for (Step step : c.steps) (state.*step)();
    EXPECT_EQ(state.Running(), c.running) << c.what;
    EXPECT_EQ(timers.TimerEnabled(MainTimer::TaskTick), c.running) << c.what;
    EXPECT_EQ(timers.TimerEnabled(MainTimer::TickPause), state.HeldBy(TickStop::Pause)) << c.what;
    EXPECT_EQ(state.Describe(), c.described) << c.what;
  }
}

TEST(TickRunState, APauseLastsAFullMinuteFromTheLatestTaskAndJunkCleaningHoldsUntilItEnds) {
  FakeTimers timers;
  TickRunState state(timers);
  int ends = 0;
  timers.OnFire(MainTimer::TickPause, [&] {
    ++ends;
    state.EndPause();
  });
  state.Start();
  state.StartPause();
  timers.Advance(40000);
  state.StartPause();  // a second task ran 40 s into the pause
  timers.Advance(59999);
  EXPECT_EQ(ends, 0);
  timers.Advance(1);
  EXPECT_EQ(ends, 1);
  EXPECT_TRUE(state.Running());

  // A cleaning that fails still lets go of the tick.
  EXPECT_THROW(state.WhileCleaningJunk([&] {
    EXPECT_EQ(state.Describe(), "已停止：正在清理系统垃圾");
    throw std::runtime_error("script missing");
  }),
               std::runtime_error);
  EXPECT_TRUE(state.Running());
  EXPECT_TRUE(timers.TimerEnabled(MainTimer::TaskTick));
}

TEST(TickAlignment, EachWaitEndsJustAfterATenSecondMarkOfTheMinute) {
  struct Case {
    std::uint32_t msIntoMinute;
    std::uint32_t next, first, pause;
  };
  for (const Case& c : {
           Case{0, 10200, 200, 60100},         // on the mark
           Case{200, 10000, 1, 59900},         // a pass on time
           Case{999, 9201, 1, 59101},          // late, but still in the mark's first second
           Case{1000, 9200, 9200, 59100},      // too late: the next mark
           Case{59990, 210, 210, 50110},       // just before the minute
           Case{35500, 4700, 4700, 54600},
       }) {
    EXPECT_EQ(NextPassDelayMs(c.msIntoMinute), c.next) << c.msIntoMinute;
    EXPECT_EQ(FirstPassDelayMs(c.msIntoMinute), c.first) << c.msIntoMinute;
    EXPECT_EQ(PauseDelayMs(c.msIntoMinute), c.pause) << c.msIntoMinute;
  }
}

// The agent starts at 08:29:05.3; a task runs at once in the pass of 08:30
// (a pause), and the passes go on from 08:31:00.
TEST(TickAlignment, PassesComeInTheFirstSecondOfEachMarkAlsoAfterAPause) {
  FakeTimers timers;
  FakeLocalClock clock(timers);
  TickRunState state(timers, nullptr, &clock);
  std::vector<std::string> passes;
  timers.OnFire(MainTimer::TaskTick, [&] {
    const ScheduleNow now = clock.LocalTime();
    state.PassStarting(now);
    char at[32];
    std::snprintf(at, sizeof at, "%02d:%02d.%03d", now.minute, now.second, now.millisecond);
    passes.push_back(at);
    if (now.minute == 30 && now.second == 0) state.StartPause();
    timers.Busy(150);  // the pass reads the tasks
  });
  timers.OnFire(MainTimer::TickPause, [&] { state.EndPause(); });
  timers.Advance(300);
  state.Start();
  timers.Advance(140000);
  EXPECT_EQ(passes, (std::vector<std::string>{"29:10.200", "29:20.200", "29:30.200", "29:40.200", "29:50.200",
                                              "30:00.200", "31:00.200", "31:10.200", "31:20.200"}));
}

}  // namespace
}  // namespace ordavi
