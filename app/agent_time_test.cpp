// Time across sleep, wake, restart, the session's end and the clock's changes,
// through the composed agent (app/agent_core.h) as a user's week would go:
// what runs, what a person is asked, and what the run history says.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/testing/agent_world.h"

namespace ordavi {
namespace {

using testing::AgentWorld;
using testing::kMinute;
using testing::kSecond;
using Log = testing::CallLog;

// `minutes` of the processor at `percent` and the network at `kbps`, one
// pass every ten seconds.
void Load(AgentWorld& w, double minutes, int percent, int kbps) {
  for (int i = 0; i < minutes * 6; ++i) {
    ProcessorTimes t = w.sensors.times.value_or(ProcessorTimes{});
    t.kernel += 1000;
    t.idle += 1000 - 10 * static_cast<std::uint64_t>(percent);
    w.sensors.times = t;
    std::vector<AdapterOctets> a = w.sensors.adapters.value_or(std::vector<AdapterOctets>{});
    if (a.empty()) a.push_back({7, 0, 0, true});
    a[0].received += static_cast<std::uint64_t>(kbps) * 10 * 1024;
    w.sensors.adapters = a;
    w.Advance(10 * kSecond);
  }
}

bool Contains(const std::vector<std::string>& lines, const std::string& part) {
  for (const std::string& l : lines) {
    if (l.find(part) != std::string::npos) return true;
  }
  return false;
}

int Count(const Log& log, const std::string& call) {
  int n = 0;
  for (const std::string& c : log) n += c == call;
  return n;
}

bool PowerCalled(const Log& log) {
  for (const std::string& c : log) {
    if (c.find("ExitWindowsEx") != std::string::npos || c.find("SetSystemPowerState") != std::string::npos) return true;
  }
  return false;
}

// A quiet condition never counts a sleep as quiet time, whichever tells the
// agent of the sleep first (the power messages, or only the clocks), also on
// a Windows without the system's awake clock: the spell starts again at the
// resume and runs its whole length awake.
TEST(AgentTime, AQuietSpellCountsAwakeTimeOnly) {
  const struct {
    const char* what;
    const char* schedule;
    int busyPercent, busyKbps;
    bool messages, unbiased;
  } cases[] = {
      {"processor, messages", "处理器低于20%持续10分钟", 90, 0, true, true},
      {"processor, only the clocks show the sleep", "处理器低于20%持续10分钟", 90, 0, false, true},
      {"processor, no awake clock: the tick count less the sleep", "处理器低于20%持续10分钟", 90, 0, true, false},
      {"network, a download before the lid closed", "网速低于50KB/s持续10分钟", 5, 400, true, true},
  };
  for (const auto& c : cases) {
    AgentWorld w;
    w.counter.unbiased = c.unbiased;
    w.stored.key.PlantDword("tishi", 30);
    w.Plant(c.schedule, "关闭计算机");
    w.Start();
    Load(w, 2, c.busyPercent, c.busyKbps);
    Load(w, 1, 2, 0);
    w.Sleep(8 * 60 * kMinute, false, c.messages);  // the lid closed overnight
    Load(w, 9.5, 2, 0);
    EXPECT_FALSE(w.view.shown) << c.what;
    EXPECT_FALSE(PowerCalled(w.log)) << c.what;
    Load(w, 1, 2, 0);  // ten awake minutes of quiet since the resume
    EXPECT_TRUE(w.view.shown) << c.what;
    EXPECT_FALSE(PowerCalled(w.log)) << c.what;  // a countdown first
  }
}

// A task armed now measures nothing that moved before it: a task enabled as
// a download ends never saw the download, while one that watched it runs.
// Samples far apart give no rate: quiet minutes while the settings dialog
// held the tick are no part of the spell.
TEST(AgentTime, AQuietSpellIsMeasuredFromWhatTheTaskSaw) {
  AgentWorld w;
  w.Plant("网速低于50KB/s持续3分钟", "提醒", "一");
  w.Plant("网速低于50KB/s持续3分钟", "提醒", "二");
  w.stored.key.PlantString("D2", "禁用");
  w.Start();
  Load(w, 1, 5, 400);
  w.sensors.adapters->at(0).received += 400 * 10 * 1024;  // the download's last seconds
  w.stored.key.PlantString("D2", "启用");                 // enabled as the download ends
  Load(w, 10, 5, 0);
  EXPECT_EQ(Count(w.log, "ShowNotice(一)"), 1);
  EXPECT_EQ(Count(w.log, "ShowNotice(二)"), 0);

  Load(w, 1, 5, 400);
  w.core->tickState.SettingsDialogOpened();
  w.Advance(5 * kMinute);
  w.core->tickState.SettingsDialogClosed();
  Load(w, 2.5, 5, 0);
  EXPECT_EQ(Count(w.log, "ShowNotice(一)"), 1);
  Load(w, 1, 5, 0);
  EXPECT_EQ(Count(w.log, "ShowNotice(一)"), 2);
  EXPECT_EQ(Count(w.log, "ShowNotice(二)"), 1);
}

// A postponed shutdown whose time passed while the lid was closed is never
// counted down to an empty room: on a wake by the wake timer it is dropped
// with a notice and a history line, and the 07:00 task runs at its minute.
// A person who wakes the PC gets its whole countdown.
TEST(AgentTime, AHeldActionComesBackOnlyToAPerson) {
  for (const bool person : {false, true}) {
    AgentWorld w;
    w.clock.startSecondOfDay = 21 * 3600 + 59 * 60 + 5;
    w.stored.key.PlantDword("tishi", 30);
    w.Plant("每天22时0分", "关闭计算机");
    w.Plant("每天7时0分", "提醒", "起床");
    w.stored.key.PlantDword("W2", 1);
    w.Start();
    w.Advance(kMinute);  // 22:00:05: the countdown runs
    ASSERT_TRUE(w.core->countdown.CountdownRunning());
    w.core->OnPostpone(60);  // held until 23:00
    w.Advance(10 * kMinute);
    EXPECT_EQ(w.wake.log.back(), "SetWakeTimer(2024-03-06 07:00)");
    w.Sleep(8 * 60 * kMinute + 49 * kMinute - 5 * kSecond, person);  // woken at 06:59:00
    EXPECT_EQ(w.view.shown, person) << person;
    EXPECT_EQ(w.core->countdown.Position(), 0) << person;
    w.Advance(kSecond);
    if (person) w.core->countdown.Cancel();  // the person says no
    w.Advance(2 * kMinute);
    const std::vector<std::string> history = w.History();
    if (person) {
      EXPECT_TRUE(Contains(history, u8"倒计时开始（推迟之后）"));
    } else {
      EXPECT_FALSE(w.view.shown);
      EXPECT_EQ(Count(w.log, "ShowNotice(推迟的关闭计算机（23:00）已取消：醒来时无人在场)"), 1);
      EXPECT_TRUE(Contains(history, u8"推迟的操作已取消（睡眠中到期）"));
      EXPECT_EQ(Count(w.log, "ShowNotice(起床)"), 1);
    }
    EXPECT_FALSE(PowerCalled(w.log)) << person;
  }
}

// A countdown the PC slept through is not finished in an empty room either:
// its whole countdown to a person, and with nobody there it ends unrun.
TEST(AgentTime, ACountdownThePcSleptThroughComesBackOnlyToAPerson) {
  for (const bool person : {false, true}) {
    AgentWorld w;
    w.Plant("每天8时30分", "关闭计算机");
    w.Start();
    w.Advance(kMinute + 15 * kSecond);  // 08:30:20: the countdown has run 19 s
    ASSERT_EQ(w.core->countdown.Position(), 19);
    w.Sleep(8 * 60 * kMinute, person);
    EXPECT_EQ(w.view.shown, person) << person;
    EXPECT_EQ(w.core->countdown.Position(), 0) << person;
    w.Advance(kAttendanceGraceMs + kSecond);
    const std::vector<std::string> history = w.History();
    if (person) {
      EXPECT_EQ(w.core->countdown.Position(), 31);
      EXPECT_TRUE(Contains(history, u8"倒计时开始（睡眠之后）"));
      w.core->countdown.Cancel();
    } else {
      EXPECT_FALSE(w.view.shown);
      EXPECT_EQ(Count(w.log, "ShowNotice(关闭计算机的倒计时已取消：睡眠中断，醒来时无人)"), 1);
      EXPECT_TRUE(Contains(history, u8"倒计时已取消（睡眠中断，醒来时无人在场）"));
    }
    w.Advance(5 * kMinute);
    EXPECT_FALSE(PowerCalled(w.log)) << person;
  }
}

// Every end closes the books: a running countdown and a held action get their
// end line, whether 退出 or the session's end ended the agent.
TEST(AgentTime, EveryEndGivesOpenLinesTheirEnd) {
  const struct {
    bool session, postponed;
    const char* line;
  } cases[] = {
      {false, false, u8"倒计时已取消（程序退出）"},
      {true, false, u8"倒计时已取消（会话结束）"},
      {false, true, u8"推迟的操作已取消（程序退出）"},
      {true, true, u8"推迟的操作已取消（会话结束）"},
  };
  for (const auto& c : cases) {
    AgentWorld w;
    w.Plant("每天8时30分", "关闭计算机");
    w.Start();
    w.Advance(kMinute);
    if (c.postponed) w.core->OnPostpone(10);
    w.End(c.session);
    const std::vector<std::string> history = w.History();
    ASSERT_FALSE(history.empty());
    EXPECT_NE(history.back().find(c.line), std::string::npos) << history.back();
    EXPECT_FALSE(PowerCalled(w.log));
  }
}

// Monitoring off holds across the agent's end and start: the minutes between
// are skipped for that reason, not missed, and no notice comes; without the
// hold they are missed, with the notice.
TEST(AgentTime, MonitoringOffHoldsAcrossARestart) {
  for (const bool off : {true, false}) {
    AgentWorld w;
    w.Plant("每天8时30分", "提醒", "喝水");
    w.Start();
    w.Advance(20 * kSecond);
    if (off) w.core->agent.OnMenuCommand(MenuItem::Monitoring);
    w.Advance(10 * kSecond);
    w.End(!off);  // 退出, or the session ends
    w.Advance(3 * kMinute);
    w.log.clear();
    w.Start();
    const std::vector<std::string> history = w.History();
    ASSERT_EQ(history.size(), 1u) << off;
    EXPECT_NE(history[0].find(off ? u8"已跳过（监控已关闭）" : u8"错过（未运行）"), std::string::npos) << history[0];
    EXPECT_EQ(Count(w.log, "ShowNotice(错过的提醒：3月5日 08:30 喝水)"), off ? 0 : 1);
  }
}

// A minute runs at most once when the local clock goes back while UTC goes
// on: the repeated hour of the autumn change, with the agent running or
// started again within it, and a clock stepped back two minutes. A clock the
// user set back an hour runs the minute again, as they asked.
TEST(AgentTime, AMinuteRunsOnceWhenTheClockGoesBack) {
  const struct {
    const char* what;
    std::function<void(AgentWorld&)> meanwhile;  // at 02:30:30, after the 02:30 run
    int runs;
  } cases[] = {
      {"the autumn change", [](AgentWorld& w) { w.Advance(29 * kMinute + 30 * kSecond), w.ShiftLocal(-3600, false); }, 1},
      {"the autumn change, the agent started again in the repeated hour",
       [](AgentWorld& w) {
         w.Advance(20 * kMinute);
         w.End();
         w.Advance(9 * kMinute + 30 * kSecond);
         w.ShiftLocal(-3600, false);
         w.Advance(5 * kMinute);
         w.Start();
       },
       1},
      {"a clock stepped back two minutes", [](AgentWorld& w) { w.ShiftLocal(-2 * 60, true); }, 1},
      {"the user set the clock back an hour", [](AgentWorld& w) { w.ShiftLocal(-3600, true); }, 2},
  };
  for (const auto& c : cases) {
    AgentWorld w;
    w.clock.startSecondOfDay = 2 * 3600 + 29 * 60 + 5;
    w.Plant("每天2时30分", "提醒", "吃药");
    w.Start();
    w.Advance(85 * kSecond);
    c.meanwhile(w);
    w.Advance(90 * kMinute);
    EXPECT_EQ(Count(w.log, "ShowNotice(吃药)"), c.runs) << c.what;
  }
}

// A sleep just after a task ran: the minute after it was missed, not held by
// the pause, and its reminder is in the notice of missed reminders.
TEST(AgentTime, TheMinuteAfterARunIsMissedInASleep) {
  AgentWorld w;
  w.Plant("每天8时30分", "提醒", "喝水");
  w.Plant("每天8时31分", "提醒", "吃药");
  w.Start();
  w.Advance(kMinute + 15 * kSecond);  // 08:30:20: 喝水 ran, the tick pauses
  w.Sleep(30 * kMinute, true);
  w.Advance(kSecond);
  const std::vector<std::string> history = w.History();
  ASSERT_EQ(history.size(), 2u);
  EXPECT_NE(history[1].find(u8"08:31\t任务2"), std::string::npos) << history[1];
  EXPECT_NE(history[1].find(u8"错过（未运行）"), std::string::npos) << history[1];
  EXPECT_EQ(Count(w.log, "ShowNotice(错过的提醒：3月5日 08:31 吃药)"), 1);
}

// A task runs once in its minute across a restart within it: a daily task in
// its minute of the clock, an after-boot task in its minute of uptime (which
// here straddles two minutes of the clock) of the same boot.
TEST(AgentTime, ATaskRunsOnceAcrossARestartInItsMinute) {
  const struct {
    const char* schedule;
    std::uint64_t bootedMs;    // the counters at 08:29:05
    std::uint64_t runsBy, endAt, startAt;  // ms after 08:29:05
  } cases[] = {
      {"每天8时30分", 3600 * kSecond, 60 * kSecond, 75 * kSecond, 95 * kSecond},
      // uptime 65 minutes at 08:33:35; the restart at 08:34:05
      {"开机1时5分", 3630 * kSecond, 280 * kSecond, 280 * kSecond, 300 * kSecond},
  };
  for (const auto& c : cases) {
    AgentWorld w;
    w.counter.tick = c.bootedMs;
    w.Plant(c.schedule, "提醒", "一次");
    w.Start();
    w.Advance(c.runsBy);
    EXPECT_EQ(Count(w.log, "ShowNotice(一次)"), 1) << c.schedule;
    w.Advance(c.endAt - c.runsBy);
    w.End();
    w.Advance(c.startAt - c.endAt);
    w.Start();
    w.Advance(2 * kMinute);
    EXPECT_EQ(Count(w.log, "ShowNotice(一次)"), 1) << c.schedule;
  }
}

// After the tick count's 32-bit wrap (49.7 days of uptime) an after-boot
// minute that passed never comes round: the tick agrees with the list, which
// says it has passed.
TEST(AgentTime, AnAfterBootTaskNeverComesRoundAfterTheWrap) {
  AgentWorld w;
  w.counter.tick = 0xFFFFFFFFull - 30 * kSecond;
  w.Plant("开机0时5分", "提醒", "开机了");
  w.Start();
  w.Advance(10 * kMinute);
  EXPECT_EQ(Count(w.log, "ShowNotice(开机了)"), 0);
}

// The agent's own screen-on after a woken reminder is no film: an idle task
// still finds the user idle.
TEST(AgentTime, TheAgentsOwnKeepAwakeIsNoFilmForIdleTasks) {
  AgentWorld w;
  w.counter.lastInput = static_cast<std::uint32_t>(w.counter.tick - 2 * kMinute);
  w.Plant("每天8时30分", "提醒", "起床");
  w.stored.key.PlantDword("W1", 1);
  w.Plant("空闲5分钟", "提醒", "空闲");
  w.Start();
  w.Advance(kMinute);
  ASSERT_TRUE(Contains(w.wake.log, "KeepAwake(1,1)"));
  w.display.required = true;  // the system reports the agent's own request
  w.Advance(4 * kMinute);
  EXPECT_EQ(Count(w.log, "ShowNotice(空闲)"), 1);
}

// A missed task flagged 错过后补运行 runs once, however many minutes it
// missed, when the agent is back after a restart or a sleep: after a short
// delay, and only with a person there; never a power action. An agent that
// ends before the delay leaves it to the next one, and a run one is never run
// again by a later agent.
TEST(AgentTime, AMissedTaskFlaggedToCatchUpRunsOnceWhenAPersonIsBack) {
  const auto opens = [](const Log& log) {
    int n = 0;
    for (const std::string& c : log) n += c.rfind("OpenAsDesktopUser(C:\\a.txt,", 0) == 0;
    return n;
  };
  enum class Away { Restart, RestartEndedEarly, SleepWithPerson, SleepUnattended };
  for (const Away away : {Away::Restart, Away::RestartEndedEarly, Away::SleepWithPerson, Away::SleepUnattended}) {
    SCOPED_TRACE(static_cast<int>(away));
    AgentWorld w;
    w.Plant("每天8时30分", "打开文件", "C:\\a.txt");
    w.Plant("每天8时30分", "关闭计算机");
    w.Plant("每天8时30分", "打开文件", "C:\\b.txt");  // not flagged
    w.stored.key.PlantDword("M1", 1);
    w.stored.key.PlantDword("M2", 1);  // planted on a type that never catches up
    w.Start();
    w.Advance(20 * kSecond);  // 08:29:25
    const std::uint64_t threeDays = (3 * 24 * 60 + 30) * kMinute;  // back at 08:59:25
    if (away == Away::Restart || away == Away::RestartEndedEarly) {
      w.End();
      w.Advance(threeDays);
      w.Start();
      if (away == Away::RestartEndedEarly) {
        w.Advance(20 * kSecond);
        w.End();
        w.Start();
      }
    } else {
      w.Sleep(threeDays, away == Away::SleepWithPerson);
    }
    w.Advance(20 * kSecond);  // the desktop is not ready yet
    EXPECT_EQ(opens(w.log), 0);
    w.Advance(20 * kSecond);
    EXPECT_EQ(opens(w.log), away == Away::SleepUnattended ? 0 : 1);
    if (away == Away::SleepUnattended) {
      w.Advance(5 * kMinute);
      EXPECT_EQ(opens(w.log), 0);
      w.core->OnPowerOrTimeChange(kWmPowerBroadcast, kPbtResumeSuspend);  // a person comes
      w.Advance(20 * kSecond);
    }
    w.Advance(5 * kMinute);
    EXPECT_EQ(opens(w.log), 1);
    EXPECT_FALSE(PowerCalled(w.log));
    EXPECT_FALSE(w.core->countdown.CountdownRunning());
    const std::vector<std::string> history = w.History();
    int caughtUp = 0;
    for (const std::string& line : history) caughtUp += line.find(u8"错过后补运行") != std::string::npos;
    EXPECT_EQ(caughtUp, 1);
    EXPECT_TRUE(Contains(history, u8"2024-03-08 08:30\t任务1\t打开文件\t每天8时30分\tC:\\a.txt\t错过后补运行，已运行"));
    w.End();
    w.Start();
    w.Advance(kMinute);
    EXPECT_EQ(opens(w.log), 1);
  }
}

}  // namespace
}  // namespace ordavi
