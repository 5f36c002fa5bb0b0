#include "actions/postpone.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "actions/testing/fake_countdown_ports.h"
#include "actions/testing/fake_notices.h"
#include "actions/testing/fake_power.h"
#include "schedule/testing/fake_clocks.h"
#include "schedule/testing/fake_run_recorder.h"
#include "schedule/testing/fake_timers.h"
#include "store/testing/countdown_types.h"

namespace ordavi {
namespace {

using namespace ordavi::testing;

constexpr std::uint64_t kMinute = 60000;

// A shutdown countdown runs at 08:29:05 when each case begins; everything the
// agent does to the outside, and what the run history hears, goes to `calls`.
struct Agent {
  Agent() {
    timers.OnFire(MainTimer::CountdownSecond, [this] { countdown.OnSecond(); });
    timers.OnFire(MainTimer::Postponed, [this] { postponement.OnTimer(); });
    ticks.unbiased = false;  // a Windows without the awake clock: the tick count less the sleeps seen
    options.countdownSeconds = 30;
    options.soundPath = "C:\\a.wav";
    tick.Start();
    countdown.StartCountdown(*CountdownTypeOf("关机"));
    calls.clear();
  }
  // The PC sleeps for `ms` (the timers stand still, the clocks but the awake
  // one go on) and resumes, with a person there or not.
  void Sleep(std::uint64_t ms, bool person) {
    sleep.Suspending();
    timers.Sleep(ms);
    sleep.ResumeMessage(false);
    if (!person) return;
    sleep.ResumeMessage(true);
    postponement.PersonMayBeBack();
  }

  CallLog calls;
  FakeTimers timers;
  FakeSystemClock ticks{timers};
  FakeLocalClock local{timers};
  TickRunState tick{timers};
  FakeCountdownView view;
  FakeSound sound{calls};
  FakeCountdownSystem system{calls};
  FakePower power{calls};
  FakeRunRecorder recorder{calls};
  FakeNotices notices{calls};
  SleepWatch sleep{ticks, [this] { postponement.Resumed(); }};
  Options options;
  Countdown countdown{options, view, timers, tick, sound, system, power, recorder};
  Postponement postponement{countdown, timers, sleep, local, notices, recorder};
};

TEST(Postponement, TheActionWaitsForItsCountdownWhateverHappensMeanwhile) {
  struct Case {
    const char* what;
    std::function<void(Agent&)> steps;
    bool countdownShown;
    std::string line;  // the tray tip's line afterwards
    CallLog calls;
  };
  const std::string looped = "Play(C:\\a.wav,00020009)", once = "Play(C:\\a.wav,00000000)";
  const Case cases[] = {
      {"postponed 10 minutes: closed, held, nothing before its time",
       [](Agent& a) {
         EXPECT_TRUE(a.postponement.Postpone(10));
         a.timers.Advance(10 * kMinute - 1);
       },
       false, "推迟的关闭计算机：08:39", {once, "CountdownPostponed(08:39)"}},
      {"its time comes: the countdown again, with its sound, and monitoring stays on",
       [](Agent& a) {
         a.postponement.Postpone(10);
         a.timers.Advance(10 * kMinute);
       },
       true, "", {once, "CountdownPostponed(08:39)", looped, "PostponedCountdownStarted()"}},
      {"postponed again when it comes back",
       [](Agent& a) {
         a.postponement.Postpone(10);
         a.timers.Advance(10 * kMinute);
         a.postponement.Postpone(60);
       },
       false, "推迟的关闭计算机：09:39",
       {once, "CountdownPostponed(08:39)", looped, "PostponedCountdownStarted()", once,
        "CountdownPostponed(09:39)"}},
      {"cancelled from the tray menu",
       [](Agent& a) {
         a.postponement.Postpone(30);
         EXPECT_TRUE(a.postponement.Cancel(CountdownEnd::CancelButton));
         EXPECT_FALSE(a.postponement.Cancel(CountdownEnd::CancelButton));
         a.timers.Advance(60 * kMinute);
       },
       false, "", {once, "CountdownPostponed(08:59)", "SwitchMonitoringOff()", "PostponementDropped(0)"}},
      {"cancelled by /cancel",
       [](Agent& a) {
         a.postponement.Postpone(10);
         a.postponement.Cancel(CountdownEnd::CommandLine);
         a.timers.Advance(20 * kMinute);
       },
       false, "", {once, "CountdownPostponed(08:39)", "SwitchMonitoringOff()", "PostponementDropped(1)"}},
      {"the agent ends",
       [](Agent& a) {
         a.postponement.Postpone(10);
         a.postponement.AgentEnding();
       },
       false, "", {once, "CountdownPostponed(08:39)", "PostponementDropped(2)"}},
      {"a person wakes the PC after its time: the countdown, not the action",
       [](Agent& a) {
         a.postponement.Postpone(10);
         a.Sleep(25 * kMinute, true);
       },
       true, "", {once, "CountdownPostponed(08:39)", looped, "PostponedCountdownStarted()"}},
      {"a wake with nobody there after its time: dropped with a notice once the grace has passed",
       [](Agent& a) {
         a.postponement.Postpone(10);
         a.timers.Advance(5 * kMinute);
         a.Sleep(9 * 60 * kMinute, false);
         a.timers.Advance(kAttendanceGraceMs - 1);
         EXPECT_TRUE(a.postponement.Held());
         a.timers.Advance(1);
       },
       false, "",
       {once, "CountdownPostponed(08:39)",
        "ShowNotice(推迟的关闭计算机（08:39）已取消：醒来时无人在场)", "PostponementDropped(5)"}},
      {"a sleep before its time moves the time on by the sleep (awake time)",
       [](Agent& a) {
         a.postponement.Postpone(10);
         a.timers.Advance(2 * kMinute);
         a.Sleep(5 * kMinute, false);
         EXPECT_EQ(a.postponement.Line(), "推迟的关闭计算机：08:44");
         a.timers.Advance(8 * kMinute - 1);
         EXPECT_FALSE(a.view.shown);
         a.timers.Advance(1);
       },
       true, "", {once, "CountdownPostponed(08:39)", looped, "PostponedCountdownStarted()"}},
      {"it comes back during another task's countdown: a whole countdown, not what was left of the other",
       [](Agent& a) {
         a.postponement.Postpone(10);
         a.timers.Advance(9 * kMinute + 50000);
         a.countdown.StartCountdown(*CountdownTypeOf("重启"));
         a.timers.Advance(10000);
         EXPECT_EQ(a.countdown.Position(), 0);
         EXPECT_EQ(a.countdown.PendingAction(), "关机");
       },
       true, "",
       {once, "CountdownPostponed(08:39)", looped, "CountdownEnded(5)", looped, "PostponedCountdownStarted()"}},
      {"nothing to postpone without a countdown",
       [](Agent& a) {
         a.countdown.Cancel();
         a.calls.clear();
         EXPECT_FALSE(a.postponement.Postpone(10));
       },
       false, "", {}},
      {"another countdown postponed while one is held drops the first",
       [](Agent& a) {
         a.postponement.Postpone(60);
         a.countdown.StartCountdown(*CountdownTypeOf("重启"));
         a.postponement.Postpone(10);
       },
       false, "推迟的重启计算机：08:39",
       {once, "CountdownPostponed(09:29)", looped, "PostponementDropped(3)", once, "CountdownPostponed(08:39)"}},
  };
  for (const Case& c : cases) {
    Agent a;
    c.steps(a);
    EXPECT_EQ(a.view.shown, c.countdownShown) << c.what;
    EXPECT_EQ(a.countdown.CountdownRunning(), c.countdownShown) << c.what;
    EXPECT_EQ(a.postponement.Line(), c.line) << c.what;
    EXPECT_EQ(a.postponement.Held(), !c.line.empty()) << c.what;
    EXPECT_EQ(a.timers.TimerEnabled(MainTimer::Postponed), !c.line.empty()) << c.what;
    EXPECT_EQ(a.calls, c.calls) << c.what;  // never a power call
  }
}

}  // namespace
}  // namespace ordavi
