#include "app/wiring.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/testing/agent_world.h"
#include "app/tray_tip.h"

namespace ordavi {
namespace {

using testing::AgentWorld;
using testing::kMinute;
using testing::kSecond;
using Log = testing::CallLog;

// The agent composed as the running program composes it, with tasks all due
// at 08:30, started at 08:29:05; what start-up did is the agent test's
// business.
struct ComposedAgentTest : ::testing::Test {
  void Start(const std::vector<std::pair<std::string, std::string>>& tasks) {
    for (const auto& [type, param] : tasks) world.Plant("每天8时30分", type, param);
    world.Start();
    world.log.clear();
  }
  AgentCore& core() { return *world.core; }

  AgentWorld world;
  Log& log = world.log;
};

TEST_F(ComposedAgentTest, ImmediateTasksReachTheirSystemCallsInOnePass) {
  world.processes.processes = {{{7, "tool.EXE"}, {8, "other.exe"}, {9, "TOOL.exe"}}};
  Start({{"提醒", "喝水"},
         {"打开文件", "C:\\文档\\a.txt"},
         {"关闭程序", "D:\\bin\\Tool.Exe"},
         {"拨号连接", ""},
         {"清理系统垃圾", ""}});
  world.junk.script = "@echo mine";
  world.Advance(60 * kSecond);  // the pass at 08:30:00
  const std::string junkLog = "C:\\Ordavi\\清理系统垃圾列表202435_8300.txt";
  EXPECT_EQ(world.Calls(), (Log{"ShowNotice(喝水)",
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
  world.stored.options.closeProgramsFirst = 1;
  world.Advance(60 * kSecond);
  // Standby with shutapp 1 asks the other program's window to close, not the agent's own.
  EXPECT_EQ(world.Calls(), (Log{"ShowNotice(待机前)", "PostClose(32)"}));
  EXPECT_TRUE(world.view.shown);
  EXPECT_EQ(world.view.caption, "Windows 正在准备待机...");

  world.Advance(3 * kSecond);
  core().countdown.Cancel();
  EXPECT_FALSE(world.view.shown);
  EXPECT_FALSE(core().agent.MonitoringOn());
  EXPECT_FALSE(world.agentPorts.window.checks[MenuItem::Monitoring]);
  EXPECT_EQ(log.back(), "Notify(Modify,DISSHUT,Ordavi-禁用)");
  world.Advance(10 * kMinute);  // past the countdown's end and the pause's
  EXPECT_EQ(world.Calls().size(), 3u);  // no power call, no further task
  EXPECT_FALSE(world.timers.TimerEnabled(MainTimer::TaskTick));

  core().agent.OnMenuCommand(MenuItem::Monitoring);
  EXPECT_TRUE(world.timers.TimerEnabled(MainTimer::TaskTick));
  EXPECT_EQ(log.back(), "Notify(Modify,ENASHUT," + TrayTip("Ordavi-启用", "下一个：明天 08:30 提醒") + ")");
}

// The countdown window's close box says "no", as its cancel button does, and
// the agent stays; with no countdown running the close box does nothing.
TEST_F(ComposedAgentTest, TheCloseBoxCancelsARunningCountdownAndNothingElse) {
  Start({{"关闭计算机", ""}});
  core().OnCloseBox();
  EXPECT_TRUE(core().agent.MonitoringOn());
  EXPECT_TRUE(log.empty());
  world.Advance(60 * kSecond);  // the countdown starts at 08:30:00
  ASSERT_TRUE(core().countdown.CountdownRunning());
  core().OnCloseBox();
  EXPECT_FALSE(core().countdown.CountdownRunning());
  EXPECT_FALSE(world.view.shown);
  EXPECT_FALSE(core().agent.MonitoringOn());
  world.Advance(10 * kMinute);
  EXPECT_EQ(world.Calls(), Log{"Notify(Modify,DISSHUT,Ordavi-禁用)"});  // no power call
}

// 推迟 through the window's events: the tray tip and menu show the held action
// while it is held, its menu item cancels it as 取消关机 would (monitoring
// off), and /cancel then finds nothing to cancel.
TEST_F(ComposedAgentTest, APostponedActionIsShownInTheTrayUntilItsMenuItemCancelsIt) {
  Start({{"关闭计算机", ""}});
  world.Advance(60 * kSecond);  // the countdown starts at 08:30:00
  core().OnPostpone(30);
  EXPECT_FALSE(world.view.shown);
  EXPECT_TRUE(core().agent.MonitoringOn());
  EXPECT_EQ(core().agent.trayIcon().tip, TrayTip("Ordavi-启用", "推迟的关闭计算机：09:00"));
  EXPECT_EQ(world.agentPorts.window.captions[MenuItem::CancelPostponed], "取消推迟的关闭计算机（09:00）(&N)");

  core().OnMenuCommand(MenuItem::CancelPostponed);
  EXPECT_FALSE(core().agent.MonitoringOn());
  EXPECT_EQ(core().agent.trayIcon().tip, "Ordavi-禁用");
  EXPECT_EQ(world.agentPorts.window.captions[MenuItem::CancelPostponed], "");
  EXPECT_FALSE(core().OnCancelFromCommandLine());
  world.Advance(60 * kMinute);
  EXPECT_FALSE(world.view.shown);
  for (const std::string& call : log) EXPECT_EQ(call.find("ExitWindowsEx"), std::string::npos) << call;
}

TEST_F(ComposedAgentTest, SettingsOpenHoldTheTickAndClosingThemNeverRunsATaskTwiceInItsMinute) {
  Start({{"提醒", "喝水"}});
  world.Advance(60 * kSecond);  // the pass at 08:30:00 runs the reminder and pauses the tick
  EXPECT_EQ(world.Calls(), (Log{"ShowNotice(喝水)"}));
  core().tickState.SettingsDialogOpened();
  world.Advance(10 * kSecond);
  core().tickState.SettingsDialogClosed();  // at 08:30:15: the pause starts the tick at 08:31:00
  EXPECT_FALSE(world.timers.TimerEnabled(MainTimer::TaskTick));
  world.Advance(kMinute);
  EXPECT_EQ(world.Calls(), (Log{"ShowNotice(喝水)"}));
  EXPECT_TRUE(world.timers.TimerEnabled(MainTimer::TaskTick));

  // A task due while a dialog is open does not run, not even when the pause
  // ends meanwhile.
  world.stored.key.PlantString("A1", "每天8时32分");
  core().tickState.SettingsDialogOpened();  // at 08:31:15
  world.Advance(2 * kMinute);
  core().tickState.SettingsDialogClosed();  // at 08:33:15
  EXPECT_TRUE(world.timers.TimerEnabled(MainTimer::TaskTick));
  world.Advance(kMinute);
  EXPECT_EQ(world.Calls(), (Log{"ShowNotice(喝水)"}));
}

TEST(ComposedAgent, CountdownEndsInThePowerActionOrTheHangUp) {
  const struct {
    const char* type;
    Log last;
  } cases[] = {
      {"关闭计算机", {"ExitWindowsEx(12,0)"}},
      {"休眠计算机", {"SetSystemPowerState(0,-1)"}},
      {"断开拨号", {"ShowNotice(没有可用的拨号连接)"}},
  };
  for (const auto& c : cases) {
    AgentWorld w;
    w.stored.key.PlantDword("tishi", 5);
    w.Plant("每天8时30分", c.type);
    w.Start();
    w.log.clear();
    w.Advance(59200);  // the countdown started at 08:30:00.2 has one second left
    EXPECT_TRUE(w.Calls().empty()) << c.type;
    w.Advance(1 * kSecond);
    EXPECT_EQ(w.Calls(), c.last) << c.type;
    EXPECT_TRUE(w.timers.TimerEnabled(MainTimer::TaskTick)) << c.type;
  }
}

// The wake timer hears of every pass, and is set again after a resume or a
// clock change even for the same minute; monitoring off cancels it.
TEST_F(ComposedAgentTest, PassesResumesClockChangesAndMonitoringReachTheWakeTimer) {
  Start({{"提醒", "起床"}});
  world.stored.key.PlantDword("W1", 1);
  world.wake.log.clear();
  const std::string set = "SetWakeTimer(2024-03-05 08:30)";
  const struct {
    const char* before;  // what happens before the pass
    Log calls;
  } cases[] = {
      {"nothing", {set}},
      {"nothing", {}},
      {"a sleep", {set}},
      {"a clock change", {set}},
  };
  core().wake.TasksChanged();  // the task's wake flag was set after start
  for (const auto& c : cases) {
    world.wake.log.clear();
    if (c.before == std::string("a sleep")) world.Sleep(20 * kSecond, false);
    if (c.before == std::string("a clock change")) core().OnPowerOrTimeChange(kWmTimeChange, 0);
    core().OnTaskTick();
    EXPECT_EQ(world.wake.log, c.calls) << c.before;
  }
  world.wake.log.clear();
  core().agent.OnMenuCommand(MenuItem::Monitoring);
  EXPECT_EQ(world.wake.log, Log{"CancelWakeTimer()"});
}

}  // namespace
}  // namespace ordavi
