#include "actions/countdown.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "actions/testing/fake_countdown_ports.h"
#include "actions/testing/fake_power.h"
#include "schedule/testing/fake_run_recorder.h"
#include "schedule/testing/fake_timers.h"
#include "store/testing/countdown_types.h"

namespace ordavi {
namespace {

using testing::CallLog;
using testing::FakeCountdownSystem;
using testing::FakeCountdownView;
using testing::FakePower;
using testing::FakeSound;
using testing::FakeTimers;
using Log = CallLog;

class CountdownTest : public ::testing::Test {
 protected:
  CountdownTest() {
    timers.OnFire(MainTimer::CountdownSecond, [this] { countdown.OnSecond(); });
    system.tick = &tick;
    tick.Start();  // the tick runs when a task starts a countdown
  }
  void Start(const std::string& word) { countdown.StartCountdown(*testing::CountdownTypeOf(word)); }
  bool On(MainTimer t) const { return timers.TimerEnabled(t); }

  FakeTimers timers;
  TickRunState tick{timers};
  FakeCountdownView view;  // the countdown window as the user sees it
  Log calls;               // every call to the outside
  FakeSound sound{calls};
  FakeCountdownSystem system{calls};
  FakePower power{calls};
  Options options;
  testing::NoRunRecorder recorder;
  Countdown countdown{options, view, timers, tick, sound, system, power, recorder};
};

TEST_F(CountdownTest, CaptionsNameTheWord) {
  countdown.ShowCaptionsFor("关机");
  EXPECT_EQ(view.doItNow, "立即关机");
  EXPECT_EQ(view.cancel, "取消关机");
  EXPECT_EQ(view.message, "要想取消关机，请按下<取消关机>按钮:剩余");
  EXPECT_EQ(view.caption, "Windows 正在准备关机...");
  countdown.ShowCaptionsFor("断开拨号");
  EXPECT_EQ(view.message, "要想取消断开拨号，请按下<取消断开拨号>按钮:剩余");
  EXPECT_EQ(view.caption, "Windows 正在准备断开拨号...");
}

TEST_F(CountdownTest, SixtySecondsCountDownThenTheActionFollowsInTheLastTick) {
  Start("关机");
  EXPECT_TRUE(view.shown);
  EXPECT_TRUE(countdown.CountdownRunning());
  EXPECT_FALSE(On(MainTimer::TaskTick));
  EXPECT_EQ(view.secondsLeft, "");  // nothing until the first tick
  EXPECT_EQ(view.maximum, 60);
  timers.Advance(1000);
  EXPECT_EQ(view.secondsLeft, "59 秒");
  EXPECT_EQ(view.position, 1);
  timers.Advance(58 * 1000);
  EXPECT_EQ(view.secondsLeft, "1 秒");
  EXPECT_TRUE(calls.empty());
  timers.Advance(1000);
  EXPECT_EQ(view.secondsLeft, "0 秒");
  EXPECT_EQ(calls, Log{"ExitWindowsEx(12,0)"});
  EXPECT_FALSE(view.shown);
  EXPECT_EQ(view.position, 0);
  EXPECT_EQ(countdown.Position(), 0);
  EXPECT_TRUE(On(MainTimer::TaskTick));
  EXPECT_FALSE(countdown.CountdownRunning());
  EXPECT_EQ(countdown.PendingAction(), "关机");  // the word stays
}

TEST_F(CountdownTest, ZeroSecondsCompletesOnTheFirstTick) {
  options.countdownSeconds = 0;
  Start("重启");
  EXPECT_EQ(view.maximum, 0);
  timers.Advance(999);
  EXPECT_TRUE(calls.empty());
  timers.Advance(1);
  EXPECT_EQ(view.secondsLeft, "0 秒");
  EXPECT_EQ(view.position, 0);
  EXPECT_EQ(calls, Log{"ExitWindowsEx(6,0)"});
}

TEST_F(CountdownTest, Label2KeepsThePreviousCountdownsTextUntilTheFirstTick) {
  options.countdownSeconds = 2;
  Start("注销");
  timers.Advance(2000);
  EXPECT_EQ(view.secondsLeft, "0 秒");
  Start("注销");
  EXPECT_EQ(view.secondsLeft, "0 秒");
  timers.Advance(1000);
  EXPECT_EQ(view.secondsLeft, "1 秒");
}

TEST_F(CountdownTest, ShorterCountdownSetWhileRunningCompletesAtTheHeldMaximum) {
  Start("关机");
  timers.Advance(30 * 1000);
  options.countdownSeconds = 10;  // the settings dialog saved a shorter wait
  timers.Advance(1000);
  EXPECT_EQ(view.secondsLeft, "0 秒");
  EXPECT_EQ(calls, Log{"ExitWindowsEx(12,0)"});
}

TEST_F(CountdownTest, SecondStartWhileRunningKeepsCountingWithTheNewWord) {
  options.soundPath = "C:\\w.wav";
  Start("重启");
  timers.Advance(20 * 1000);
  Start("快速关机");
  EXPECT_EQ(view.doItNow, "立即快速关机");
  EXPECT_EQ(countdown.Position(), 20);
  timers.Advance(40 * 1000);
  EXPECT_EQ(calls, (Log{"Play(C:\\w.wav,00020009)", "Play(C:\\w.wav,00020009)", "Stop()", "NtShutdownSystem(2)"}));
}

TEST_F(CountdownTest, SoundLoopsDuringTheCountdownAndStopsWhenItCompletes) {
  options.soundPath = "D:\\声音\\alarm.wav";
  options.countdownSeconds = 3;
  Start("待机");
  EXPECT_EQ(calls, Log{"Play(D:\\声音\\alarm.wav,00020009)"});
  timers.Advance(3000);
  EXPECT_EQ(calls, (Log{"Play(D:\\声音\\alarm.wav,00020009)", "Stop()", "SetSystemPowerState(-1,-1)"}));
}

TEST_F(CountdownTest, NoSoundPathNoSoundCallsExceptTheCancel) {
  Start("关机");
  countdown.DoItNow();
  EXPECT_EQ(calls, Log{"ExitWindowsEx(12,0)"});
  calls.clear();
  Start("关机");
  countdown.Cancel();
  EXPECT_EQ(calls, (Log{"Play(,00000000)", "SwitchMonitoringOff()"}));
}

TEST_F(CountdownTest, DoItNowPlaysOnceThenActsAndRestartsTheTick) {
  options.soundPath = "C:\\a.wav";
  Start("快速重启");
  timers.Advance(5000);
  countdown.DoItNow();
  EXPECT_EQ(calls, (Log{"Play(C:\\a.wav,00020009)", "Play(C:\\a.wav,00000000)", "NtShutdownSystem(1)"}));
  EXPECT_FALSE(view.shown);
  EXPECT_EQ(countdown.Position(), 0);
  EXPECT_TRUE(On(MainTimer::TaskTick));
  EXPECT_FALSE(On(MainTimer::CountdownSecond));
}

TEST_F(CountdownTest, CancelSwitchesMonitoringOffAndDoesNothing) {
  options.soundPath = "C:\\a.wav";
  Start("关机");
  timers.Advance(10 * 1000);
  countdown.Cancel();
  EXPECT_EQ(calls, (Log{"Play(C:\\a.wav,00020009)", "Play(C:\\a.wav,00000000)", "SwitchMonitoringOff()"}));
  EXPECT_FALSE(view.shown);
  EXPECT_EQ(view.position, 0);
  EXPECT_FALSE(On(MainTimer::TaskTick));
  EXPECT_FALSE(On(MainTimer::CountdownSecond));
  timers.Advance(5 * 60 * 1000);
  EXPECT_EQ(calls.size(), 3u);
  // The next countdown starts from zero.
  Start("关机");
  timers.Advance(1000);
  EXPECT_EQ(view.secondsLeft, "59 秒");
}

TEST_F(CountdownTest, ProgramsAreAskedToCloseOnlyBeforeStandbyOrHibernateWithShutappOne) {
  const struct {
    const char* word;
    std::int32_t shutapp;
    bool closes;
  } cases[] = {
      {"待机", 1, true},  {"休眠", 1, true},  {"待机", 0, false},     {"休眠", 2, false},
      {"关机", 1, false}, {"注销", 1, false}, {"断开拨号", 1, false}, {"快速关机", 1, false},
  };
  for (const auto& c : cases) {
    FakeCountdownView v;
    Log log;
    FakeSound s{log};
    FakeCountdownSystem sys{log};
    FakePower p{log};
    FakeTimers t;
    TickRunState ts{t};
    Options o;
    o.closeProgramsFirst = c.shutapp;
    Countdown cd{o, v, t, ts, s, sys, p, recorder};
    cd.StartCountdown(*testing::CountdownTypeOf(c.word));
    EXPECT_EQ(log == Log{"CloseAllPrograms()"}, c.closes) << c.word << " " << c.shutapp;
    // Programs asked to close stay asked when the countdown is cancelled.
    cd.Cancel();
    EXPECT_EQ(!log.empty() && log.front() == "CloseAllPrograms()", c.closes);
  }
}

TEST_F(CountdownTest, RunPendingActionCarriesOutExactlyTheNamedWord) {
  const struct {
    const char* word;
    Log calls;
  } cases[] = {
      {"注销", {"ExitWindowsEx(4,0)"}},
      {"待机", {"SetSystemPowerState(-1,-1)"}},
      {"休眠", {"SetSystemPowerState(0,-1)"}},
      {"重启", {"ExitWindowsEx(6,0)"}},
      {"关机", {"ExitWindowsEx(12,0)"}},
      {"断开拨号", {"HangUpDialup()"}},
      {"快速重启", {"NtShutdownSystem(1)"}},
      {"快速关机", {"NtShutdownSystem(2)"}},
      {"", {}},
      {"关闭计算机", {}},
      {"关机 ", {}},
  };
  // Nothing is pending before the first countdown.
  countdown.RunPendingAction();
  EXPECT_TRUE(calls.empty());
  for (const auto& c : cases) {
    // A word that names no countdown type cannot become the pending action.
    const TaskType* type = testing::CountdownTypeOf(c.word);
    calls.clear();
    if (type) {
      countdown.StartCountdown(*type);
      calls.clear();
      countdown.RunPendingAction();
    }
    EXPECT_EQ(calls, c.calls) << c.word;
  }
}

}  // namespace
}  // namespace ordavi
