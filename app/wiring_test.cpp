#include "app/wiring.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "actions/testing/fake_countdown_ports.h"
#include "actions/testing/fake_dialup.h"
#include "actions/testing/fake_folder_security.h"
#include "actions/testing/fake_junk_system.h"
#include "actions/testing/fake_processes.h"
#include "actions/testing/fake_temp_folders.h"
#include "actions/testing/fake_windows.h"
#include "app/testing/fake_agent_ports.h"
#include "app/testing/fake_data_file.h"
#include "app/testing/fake_stored_state.h"
#include "app/testing/fake_wake.h"
#include "app/tray_tip.h"
#include "schedule/testing/fake_clocks.h"
#include "schedule/testing/fake_timers.h"
#include "store/testing/iconv_gbk_codec.h"

namespace ordavi {
namespace {

using testing::CallLog;
using testing::FakeAgentPorts;
using testing::FakeCountdownView;
using testing::FakeDialup;
using testing::FakeFolderSecurity;
using testing::FakeJunkSystem;
using testing::FakeLocalClock;
using testing::FakeProcesses;
using testing::FakeRegistryRoot;
using testing::FakeSound;
using testing::FakeStoredState;
using testing::FakeSystemClock;
using testing::FakeTempFolders;
using testing::FakeTimers;
using testing::FakeWindows;
using testing::FixedDateFormat;
using Log = CallLog;

constexpr std::uint64_t kSecond = 1000;
constexpr std::uint64_t kMinute = 60 * kSecond;

constexpr WindowId kMainWindow = 0x10, kOtherWindow = 0x20;

// Every port of the agent, the tick and the countdown; the calls that leave
// the agent go to one log. The local time starts at 08:29:05 and runs with
// the fake timers.
struct FakeSystem {
  explicit FakeSystem(FakeTimers& timers) : clock(timers), utc(timers), counter(timers) {
    agent.system.exePath = "C:\\Ordavi\\Ordavi.exe";
    windows.windows[kMainWindow].process = 100;
    windows.windows[kOtherWindow].process = 200;
  }
  // What start-up did is the agent test's business.
  void ForgetStartUp() { log.clear(); }

  FakeAgentPorts agent;
  CallLog& log = agent.log;
  FakeProcesses processes{log};
  FakeDialup dialup{log};
  FakeWindows windows{log};
  FakeJunkSystem junk{log};
  FakeTempFolders tempFolders{log};  // no temporary folder is set
  FakeFolderSecurity folderSecurity;
  FakeCountdownView view;
  FakeSound sound;
  FakeLocalClock clock;
  testing::FakeUtcClock utc;
  FakeSystemClock counter;
};

// The agent with its tick and countdown joined by the forwarders, as the
// running program composes them, over fake ports.
class ComposedAgentTest : public ::testing::Test {
 protected:
  ComposedAgentTest() {
    timers.OnFire(MainTimer::TaskTick, [this] { tick->RunPass(); });
    timers.OnFire(MainTimer::CountdownSecond, [this] { countdown.OnSecond(); });
    timers.OnFire(MainTimer::TickPause, [this] { tickState.EndPause(); });
  }
  // Plants the tasks, all due at 08:30, and starts the agent.
  void Start(const std::vector<std::pair<std::string, std::string>>& tasks) {
    auto& key = stored.key;
    int n = 0;
    for (const auto& [type, param] : tasks) {
      ++n;
      key.PlantString("A" + std::to_string(n), "每天8时30分");
      key.PlantString("B" + std::to_string(n), type);
      key.PlantString("C" + std::to_string(n), param);
      key.PlantString("D" + std::to_string(n), "启用");
    }
    key.PlantDword("TaskNum", static_cast<std::uint32_t>(n));
    agent.Start();
    sys.ForgetStartUp();
    tick = std::make_unique<TaskTick>(stored.tasks, matchers, sys.clock, tickState, minutes, actions, countdown);
  }

  FakeTimers timers;
  FakeSystem sys{timers};
  FakeStoredState stored;
  SeenMinutes minutes{sys.clock, sys.utc, sys.counter};
  TickRunState tickState{timers, &minutes};
  Agent agent{sys.agent.ports(), stored.state(), tickState};
  FakeSystemClock input;  // no input since boot
  FixedDateFormat dates;
  Matchers matchers{input, dates};
  JunkCleaner junk{JunkPorts{sys.junk, sys.tempFolders, sys.folderSecurity, sys.clock, sys.agent.notices},
                   "C:\\Ordavi\\Ordavi.exe"};
  AgentTickActions actions{sys.agent.notices, sys.agent.shell, sys.processes, sys.dialup, junk};
  AgentCountdownSystem countdownSystem{agent, sys.windows, [] { return kMainWindow; }, sys.dialup, sys.agent.notices};
  Countdown countdown{stored.options, sys.view, timers, tickState, sys.sound, countdownSystem, sys.agent.power};
  std::unique_ptr<TaskTick> tick;
};

TEST_F(ComposedAgentTest, ImmediateTasksReachTheirSystemCallsInOnePass) {
  sys.processes.processes = {{{7, "tool.EXE"}, {8, "other.exe"}, {9, "TOOL.exe"}}};
  Start({{"提醒", "喝水"},
         {"打开文件", "C:\\文档\\a.txt"},
         {"关闭程序", "D:\\bin\\Tool.Exe"},
         {"拨号连接", ""},
         {"清理系统垃圾", ""}});
  sys.junk.script = "@echo mine";
  timers.Advance(60 * kSecond);  // the pass at 08:30:05
  const std::string junkLog = "C:\\Ordavi\\清理系统垃圾列表202435_8305.txt";
  EXPECT_EQ(sys.log, (Log{"ShowNotice(喝水)",
                          "OpenAsDesktopUser(C:\\文档\\a.txt,C:\\文档\\,hidden)",
                          "TerminateProcess(7)", "TerminateProcess(9)", "AutodialDefault()",
                          "WriteLog(" + junkLog + ",new)", "WriteLog(" + junkLog + ",add)",
                          "WriteLog(" + junkLog + ",add)",
                          "RunHiddenAndWait(\"C:\\Windows\\system32\\cmd.exe\" /D /c \"\"C:\\Ordavi\\QLLJ.bat\" >> \"" +
                              junkLog + "\"\")",
                          "WriteLog(" + junkLog + ",add)"}));
}

TEST_F(ComposedAgentTest, CancelledCountdownSwitchesMonitoringOffUntilTheUserSwitchesItOn) {
  Start({{"提醒", "待机前"}, {"待机计算机", ""}});
  stored.options.closeProgramsFirst = 1;
  timers.Advance(60 * kSecond);
  // Standby with shutapp 1 asks the other program's window to close, not the agent's own.
  EXPECT_EQ(sys.log, (Log{"ShowNotice(待机前)", "PostClose(32)"}));
  EXPECT_TRUE(sys.view.shown);
  EXPECT_EQ(sys.view.caption, "Windows 正在准备待机...");

  timers.Advance(3 * kSecond);
  countdown.Cancel();
  EXPECT_FALSE(sys.view.shown);
  EXPECT_FALSE(agent.MonitoringOn());
  EXPECT_FALSE(sys.agent.window.checks[MenuItem::Monitoring]);
  EXPECT_EQ(sys.log.back(), "Notify(Modify,DISSHUT,Ordavi-禁用)");
  timers.Advance(10 * kMinute);  // past the countdown's end and the pause's
  EXPECT_EQ(sys.log.size(), 3u);  // no power call, no further task
  EXPECT_FALSE(timers.TimerEnabled(MainTimer::TaskTick));

  agent.OnMenuCommand(MenuItem::Monitoring);
  EXPECT_TRUE(timers.TimerEnabled(MainTimer::TaskTick));
  EXPECT_EQ(sys.log.back(), "Notify(Modify,ENASHUT,Ordavi-启用)");
}

// The countdown window's close box says "no", as its cancel button does, and
// the agent stays; with no countdown running the close box does nothing.
TEST_F(ComposedAgentTest, TheCloseBoxCancelsARunningCountdownAndNothingElse) {
  Start({{"关闭计算机", ""}});
  AgentEvents events(agent, *tick, tickState, countdown, junk, [] {});
  events.OnCloseBox();
  EXPECT_TRUE(agent.MonitoringOn());
  EXPECT_TRUE(sys.log.empty());
  timers.Advance(60 * kSecond);  // the countdown starts at 08:30:05
  ASSERT_TRUE(countdown.CountdownRunning());
  events.OnCloseBox();
  EXPECT_FALSE(countdown.CountdownRunning());
  EXPECT_FALSE(sys.view.shown);
  EXPECT_FALSE(agent.MonitoringOn());
  timers.Advance(10 * kMinute);
  EXPECT_EQ(sys.log, Log{"Notify(Modify,DISSHUT,Ordavi-禁用)"});  // no power call
}

// 推迟 through the window's events: the tray tip and menu show the held action
// while it is held, its menu item cancels it as 取消关机 would (monitoring
// off), and /cancel then finds nothing to cancel.
TEST_F(ComposedAgentTest, APostponedActionIsShownInTheTrayUntilItsMenuItemCancelsIt) {
  Start({{"关闭计算机", ""}});
  AgentEvents events(agent, *tick, tickState, countdown, junk, [] {});
  Postponement postponement(countdown, timers, sys.counter, sys.clock);
  events.SetPostponement(postponement);
  timers.OnFire(MainTimer::Postponed, [&] { events.OnPostponedTime(); });
  timers.Advance(60 * kSecond);  // the countdown starts at 08:30:05
  events.OnPostpone(30);
  EXPECT_FALSE(sys.view.shown);
  EXPECT_TRUE(agent.MonitoringOn());
  EXPECT_EQ(agent.trayIcon().tip, TrayTip("Ordavi-启用", "推迟的关闭计算机：09:00"));
  EXPECT_EQ(sys.agent.window.captions[MenuItem::CancelPostponed], "取消推迟的关闭计算机（09:00）(&N)");

  events.OnMenuCommand(MenuItem::CancelPostponed);
  EXPECT_FALSE(agent.MonitoringOn());
  EXPECT_EQ(agent.trayIcon().tip, "Ordavi-禁用");
  EXPECT_EQ(sys.agent.window.captions[MenuItem::CancelPostponed], "");
  EXPECT_FALSE(events.OnCancelFromCommandLine());
  timers.Advance(60 * kMinute);
  EXPECT_FALSE(sys.view.shown);
  for (const std::string& call : sys.log) EXPECT_EQ(call.find("ExitWindowsEx"), std::string::npos) << call;
}

TEST_F(ComposedAgentTest, SettingsOpenHoldTheTickAndClosingThemNeverRunsATaskTwiceInItsMinute) {
  Start({{"提醒", "喝水"}});
  timers.Advance(60 * kSecond);  // the pass at 08:30:05 runs the reminder and pauses the tick
  EXPECT_EQ(sys.log, (Log{"ShowNotice(喝水)"}));
  tickState.SettingsDialogOpened();
  timers.Advance(10 * kSecond);
  tickState.SettingsDialogClosed();  // at 08:30:15: the pause starts the tick at 08:31:05
  EXPECT_FALSE(timers.TimerEnabled(MainTimer::TaskTick));
  timers.Advance(kMinute);
  EXPECT_EQ(sys.log, (Log{"ShowNotice(喝水)"}));
  EXPECT_TRUE(timers.TimerEnabled(MainTimer::TaskTick));

  // A task due while a dialog is open does not run, not even when the pause
  // ends meanwhile.
  stored.key.PlantString("A1", "每天8时32分");
  tickState.SettingsDialogOpened();  // at 08:31:15
  timers.Advance(2 * kMinute);
  tickState.SettingsDialogClosed();  // at 08:33:15
  EXPECT_TRUE(timers.TimerEnabled(MainTimer::TaskTick));
  timers.Advance(kMinute);
  EXPECT_EQ(sys.log, (Log{"ShowNotice(喝水)"}));
}

TEST_F(ComposedAgentTest, CountdownEndsInThePowerActionOrTheHangUp) {
  const struct {
    const char* type;
    Log last;
  } cases[] = {
      {"关闭计算机", {"ExitWindowsEx(12,0)"}},
      {"休眠计算机", {"SetSystemPowerState(0,-1)"}},
      {"断开拨号", {"ShowNotice(没有可用的拨号连接)"}},
  };
  for (const auto& c : cases) {
    FakeTimers t;
    FakeSystem s{t};
    FakeStoredState st;
    FakeRegistryRoot& r = st.root;
    TickRunState ts{t};
    Agent a{s.agent.ports(), st.state(), ts};
    JunkCleaner j{JunkPorts{s.junk, s.tempFolders, s.folderSecurity, s.clock, s.agent.notices}, "C:\\Ordavi.exe"};
    AgentTickActions act{s.agent.notices, s.agent.shell, s.processes, s.dialup, j};
    AgentCountdownSystem cs{a, s.windows, [] { return kMainWindow; }, s.dialup, s.agent.notices};
    Countdown cd{st.options, s.view, t, ts, s.sound, cs, s.agent.power};
    r.Key(kProgramKeyPath).PlantDword("tishi", 5);
    r.Key(kProgramKeyPath).PlantString("A1", "每天8时30分");
    r.Key(kProgramKeyPath).PlantString("B1", c.type);
    r.Key(kProgramKeyPath).PlantString("D1", "启用");
    r.Key(kProgramKeyPath).PlantDword("TaskNum", 1);
    a.Start();
    s.ForgetStartUp();
    SeenMinutes sm{s.clock, s.utc, s.counter};
    TaskTick tk{st.tasks, matchers, s.clock, ts, sm, act, cd};
    t.OnFire(MainTimer::TaskTick, [&] { tk.RunPass(); });
    t.OnFire(MainTimer::CountdownSecond, [&] { cd.OnSecond(); });
    t.Advance(64 * kSecond);  // the countdown started at 08:30:05 has one second left
    EXPECT_TRUE(s.log.empty()) << c.type;
    t.Advance(1 * kSecond);
    EXPECT_EQ(s.log, c.last) << c.type;
    EXPECT_TRUE(t.TimerEnabled(MainTimer::TaskTick)) << c.type;
  }
}

// The main window's power and time messages reach the run watch: only a
// resume looks for the minutes the PC slept through, once.
TEST_F(ComposedAgentTest, AResumeReachesTheRunWatchOtherPowerAndTimeMessagesDoNot) {
  Start({{"提醒", "喝水"}});
  testing::FakeDataFile historyFile, lastPass;
  testing::IconvGbkCodec codec;
  RunHistory history(historyFile, codec, sys.agent.notices);
  RunWatch runs(RunWatchPorts{stored.tasks, dates, minutes, sys.agent.notices, lastPass}, history);
  AgentEvents events(agent, *tick, tickState, countdown, junk, [] {}, &runs);
  runs.Start();
  timers.Busy(3 * kMinute);  // standby from 08:29:05 over the reminder's minute
  const struct {
    std::uint32_t message, event;
    std::size_t entries;
  } cases[] = {
      {kWmTimeChange, 0, 0},                       // no clock was set
      {kWmPowerBroadcast, 0x0004, 0},              // PBT_APMSUSPEND
      {kWmPowerBroadcast, kPbtResumeAutomatic, 1},  // the resume: 08:30 was missed
      {kWmPowerBroadcast, kPbtResumeSuspend, 1},   // the second resume message finds nothing new
  };
  for (const auto& c : cases) {
    events.OnPowerOrTimeChange(c.message, c.event);
    EXPECT_EQ(history.EntriesNewestFirst().size(), c.entries) << c.message << " " << c.event;
  }
  EXPECT_EQ(sys.log, Log{"ShowNotice(错过的提醒：3月5日 08:30 喝水)"});
}

// The wake timer hears of every pass, and is set again after a resume or a
// clock change even for the same minute; monitoring off cancels it.
TEST_F(ComposedAgentTest, PassesResumesClockChangesAndMonitoringReachTheWakeTimer) {
  Start({{"提醒", "起床"}});
  stored.key.PlantDword("W1", 1);
  testing::FakeWakeSystem wakeSystem;
  WakeWatch wake(stored.tasks, wakeSystem);
  AgentEvents events(agent, *tick, tickState, countdown, junk, [] {});
  events.WatchWakeWith(wake, [&] { wake.AfterPass(sys.clock.LocalTime(), 600, "yyyy/M/d"); });
  agent.WhenMonitoringGoesOff([&] { wake.Stop(); });
  const std::string set = "SetWakeTimer(2024-03-05 08:30)";
  const struct {
    std::uint32_t message, event;  // before the pass; 0, 0: none
    Log calls;
  } cases[] = {
      {0, 0, {set}},
      {0, 0, {}},
      {kWmPowerBroadcast, 0x0004, {}},  // PBT_APMSUSPEND
      {kWmPowerBroadcast, kPbtResumeAutomatic, {set}},
      {kWmTimeChange, 0, {set}},
  };
  for (const auto& c : cases) {
    wakeSystem.log.clear();
    if (c.message) events.OnPowerOrTimeChange(c.message, c.event);
    events.OnTaskTick();
    EXPECT_EQ(wakeSystem.log, c.calls) << c.message << " " << c.event;
  }
  wakeSystem.log.clear();
  agent.OnMenuCommand(MenuItem::Monitoring);
  EXPECT_EQ(wakeSystem.log, Log{"CancelWakeTimer()"});
}

}  // namespace
}  // namespace ordavi
