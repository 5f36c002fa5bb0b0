#include "app/wiring.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/testing/fake_stored_state.h"
#include "schedule/testing/fake_timers.h"

namespace ordavi {
namespace {

using testing::FakeRegistryRoot;
using testing::FakeStoredState;
using testing::FakeTimers;
using Log = std::vector<std::string>;

constexpr std::uint64_t kSecond = 1000;
constexpr std::uint64_t kMinute = 60 * kSecond;

// Every port of the agent, the tick and the countdown, recording the calls
// that leave the agent. The local time starts at 08:29:05 and runs with the
// fake timers.
struct System : StartupSystem, TrayPort, HotkeyPort, MainWindowPort, NoticeSink, ShellPort, PowerSystem, DeviceSystem,
                CountdownView, SoundPlayer, ProcessSystem, DialupSystem, WindowSystem, JunkSystem, LocalClock {
  explicit System(FakeTimers& t) : timers(t) {}
  void Record(const std::string& s) { log.push_back(s); }

  Version GetVersion() override { return {5, 2}; }
  void EnableShutdownPrivilege() override {}
  bool IsAdministrator() override { return true; }
  void RaisePriority() override {}
  std::uint32_t TickCount() override { return 3600000; }
  std::string UserName() override { return "alice"; }
  std::string ExePath() override { return "C:\\Ordavi\\Ordavi.exe"; }
  void Notify(TrayOp op, const TrayIconState& s) override {
    if (op == TrayOp::Modify) Record("tray " + s.icon + " " + s.tip);
  }
  std::uint16_t FindAtom(const std::string&) override { return 0; }
  std::uint16_t AddAtom(const std::string&) override { return ++atom; }
  void DeleteAtom(std::uint16_t) override {}
  void RegisterHotKey(std::uint32_t, std::uint32_t, std::uint32_t) override {}
  void UnregisterHotKey(std::uint32_t) override {}
  std::uint32_t RegisterTaskbarCreated() override { return 0xC100; }
  void SetProgressMax(std::int32_t) override {}
  void MakeTopmost() override {}
  void SetMenuCaption(MenuItem, const std::string&) override {}
  void SetMenuChecked(MenuItem i, bool c) override {
    if (i == MenuItem::Monitoring) monitoringChecked = c;
  }
  void OpenAbout() override {}
  void Close() override {}
  void ShowNotice(const std::string& t) override { Record("notice " + t); }
  void OpenFileHidden(const std::string& path, const std::string& dir) override {
    Record("open hidden " + path + " in " + dir);
  }
  void RunHidden(const std::string& f, const std::string& p, const std::string& d) override {
    Record("run hidden " + f + " " + p + " in " + d);
  }
  void OpenHelpFile(const std::string& path) override { Record("help " + path); }
  void ShowWebPage(const std::string& url) override { Record("page " + url); }
  std::string WindowsDirectory() override { return "C:\\windows"; }
  void ExitWindowsEx(std::uint32_t f, std::uint32_t r) override {
    Record("ExitWindowsEx " + std::to_string(f) + " " + std::to_string(r));
  }
  void SetSystemPowerState(std::int32_t s, std::int32_t f) override {
    Record("SetSystemPowerState " + std::to_string(s) + " " + std::to_string(f));
  }
  void NtShutdownSystem(std::int32_t a) override { Record("NtShutdownSystem " + std::to_string(a)); }
  void SendMciCommand(const std::string& c) override { Record("mci " + c); }
  void BroadcastMonitorPower(std::int32_t state) override { Record("monitor power " + std::to_string(state)); }
  void SetWindowCaption(const std::string& t) override { caption = t; }
  void SetMessage(const std::string&) override {}
  void SetSecondsLeft(const std::string&) override {}
  void SetDoItNowCaption(const std::string&) override {}
  void SetCancelCaption(const std::string&) override {}
  void SetProgress(std::int32_t, std::int32_t) override {}
  void Show() override { shown = true; }
  void Hide() override { shown = false; }
  void Play(const std::string&, std::uint32_t) override {}
  void Stop() override {}
  std::optional<std::vector<ProcessEntry>> ListProcesses() override { return processes; }
  void TerminateProcess(std::uint32_t pid, const ImageCheck&) override { Record("terminate " + std::to_string(pid)); }
  Connections EnumConnections() override { return {}; }
  std::uint32_t HangUp(std::uintptr_t) override { return 0; }
  void AutodialDefault() override { Record("autodial"); }
  std::vector<WindowId> TopLevelWindows() override { return {kMain, kOther}; }
  bool IsVisible(WindowId) override { return true; }
  bool IsIconic(WindowId) override { return false; }
  WindowId Owner(WindowId) override { return 0; }
  WindowId DesktopWindow() override { return 1; }
  std::uint32_t ExStyle(WindowId) override { return 0; }
  std::uint32_t ProcessOf(WindowId w) override { return w == kMain ? 100 : 200; }
  int TitleLength(WindowId) override { return 5; }
  void PostClose(WindowId w) override { Record("WM_CLOSE " + std::to_string(w)); }
  bool RunHiddenAndWait(const std::string& commandLine) override {
    Record("run " + commandLine);
    return true;
  }
  void OpenLog(const std::string& logPath, const std::string&) override { Record("open log " + logPath); }
  ScheduleNow LocalTime() override {
    const std::uint64_t s = 8 * 3600 + 29 * 60 + 5 + timers.Now() / 1000;
    ScheduleNow now;
    now.year = 2024;
    now.month = 3;
    now.day = 5;
    now.dayOfWeek = 2;
    now.hour = static_cast<std::uint16_t>(s / 3600);
    now.minute = static_cast<std::uint16_t>(s % 3600 / 60);
    now.second = static_cast<std::uint16_t>(s % 60);
    return now;
  }

  static constexpr WindowId kMain = 0x10, kOther = 0x20;
  FakeTimers& timers;
  std::vector<std::string> log;
  std::uint16_t atom = 0xC000;
  bool monitoringChecked = false;
  bool shown = false;
  std::string caption;
  std::vector<ProcessEntry> processes;
};

struct FixedDates : DateFormatSource {
  std::string ShortDateFormat() override { return "yyyy/M/d"; }
};
struct NoInput : SystemClock {
  std::uint32_t TickCount() override { return 0; }
  std::uint32_t LastInputTick() override { return 0; }
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
    tick = std::make_unique<TaskTick>(stored.tasks, matchers, sys, tickState, actions, countdown);
  }

  FakeTimers timers;
  System sys{timers};
  FakeStoredState stored;
  TickRunState tickState{timers};
  Agent agent{AgentPorts{sys, sys, sys, sys, timers, sys, sys, sys, sys}, stored.state(), tickState};
  NoInput input;
  FixedDates dates;
  Matchers matchers{input, dates};
  JunkCleaner junk{sys, sys, "C:\\Ordavi\\"};
  AgentTickActions actions{sys, sys, sys, sys, junk};
  AgentCountdownSystem countdownSystem{agent, sys, [] { return System::kMain; }, sys, sys};
  Countdown countdown{stored.options, sys, timers, tickState, sys, countdownSystem, sys};
  std::unique_ptr<TaskTick> tick;
};

TEST_F(ComposedAgentTest, ImmediateTasksReachTheirSystemCallsInOnePass) {
  sys.processes = {{7, "tool.EXE"}, {8, "other.exe"}, {9, "TOOL.exe"}};
  Start({{"提醒", "喝水"},
         {"打开文件", "C:\\文档\\a.txt"},
         {"关闭程序", "D:\\bin\\Tool.Exe"},
         {"拨号连接", ""},
         {"清理系统垃圾", ""}});
  timers.Advance(60 * kSecond);  // the pass at 08:30:05
  EXPECT_EQ(sys.log, (Log{"notice 喝水",
                          "open hidden C:\\文档\\a.txt in C:\\文档\\",
                          "terminate 7", "terminate 9", "autodial",
                          "run cmd.exe /c \"\"C:\\Ordavi\\QLLJ.bat\" > \"C:\\Ordavi\\清理系统垃圾列表202435_8305.txt\"\""}));
}

TEST_F(ComposedAgentTest, CancelledCountdownSwitchesMonitoringOffUntilTheUserSwitchesItOn) {
  Start({{"提醒", "待机前"}, {"待机计算机", ""}});
  stored.options.closeProgramsFirst = 1;
  timers.Advance(60 * kSecond);
  // Standby with shutapp 1 asks the other program's window to close, not the agent's own.
  EXPECT_EQ(sys.log, (Log{"notice 待机前", "WM_CLOSE 32"}));
  EXPECT_TRUE(sys.shown);
  EXPECT_EQ(sys.caption, "Windows 正在准备待机...");

  timers.Advance(3 * kSecond);
  countdown.Cancel();
  EXPECT_FALSE(sys.shown);
  EXPECT_FALSE(agent.MonitoringOn());
  EXPECT_FALSE(sys.monitoringChecked);
  EXPECT_EQ(sys.log.back(), "tray DISSHUT Ordavi-禁用");
  timers.Advance(10 * kMinute);  // past the countdown's end and the pause's
  EXPECT_EQ(sys.log.size(), 3u);  // no power call, no further task
  EXPECT_FALSE(timers.TimerEnabled(MainTimer::TaskTick));

  agent.OnMenuCommand(MenuItem::Monitoring);
  EXPECT_TRUE(timers.TimerEnabled(MainTimer::TaskTick));
  EXPECT_EQ(sys.log.back(), "tray ENASHUT Ordavi-启用");
}

TEST_F(ComposedAgentTest, SettingsOpenHoldTheTickAndClosingThemNeverRunsATaskTwiceInItsMinute) {
  Start({{"提醒", "喝水"}});
  timers.Advance(60 * kSecond);  // the pass at 08:30:05 runs the reminder and pauses the tick
  EXPECT_EQ(sys.log, (Log{"notice 喝水"}));
  tickState.SettingsDialogOpened();
  timers.Advance(10 * kSecond);
  tickState.SettingsDialogClosed();  // at 08:30:15: the pause starts the tick at 08:31:05
  EXPECT_FALSE(timers.TimerEnabled(MainTimer::TaskTick));
  timers.Advance(kMinute);
  EXPECT_EQ(sys.log, (Log{"notice 喝水"}));
  EXPECT_TRUE(timers.TimerEnabled(MainTimer::TaskTick));

  // A task due while a dialog is open does not run, not even when the pause
  // ends meanwhile.
  stored.key.PlantString("A1", "每天8时32分");
  tickState.SettingsDialogOpened();  // at 08:31:15
  timers.Advance(2 * kMinute);
  tickState.SettingsDialogClosed();  // at 08:33:15
  EXPECT_TRUE(timers.TimerEnabled(MainTimer::TaskTick));
  timers.Advance(kMinute);
  EXPECT_EQ(sys.log, (Log{"notice 喝水"}));
}

TEST_F(ComposedAgentTest, CountdownEndsInThePowerActionOrTheHangUp) {
  const struct {
    const char* type;
    Log last;
  } cases[] = {
      {"关闭计算机", {"ExitWindowsEx 12 0"}},
      {"休眠计算机", {"SetSystemPowerState 0 -1"}},
      {"断开拨号", {"notice 没有可用的拨号连接"}},
  };
  for (const auto& c : cases) {
    FakeTimers t;
    System s{t};
    FakeStoredState st;
    FakeRegistryRoot& r = st.root;
    TickRunState ts{t};
    Agent a{AgentPorts{s, s, s, s, t, s, s, s, s}, st.state(), ts};
    JunkCleaner j{s, s, "C:\\"};
    AgentTickActions act{s, s, s, s, j};
    AgentCountdownSystem cs{a, s, [] { return System::kMain; }, s, s};
    Countdown cd{st.options, s, t, ts, s, cs, s};
    r.Key(kProgramKeyPath).PlantDword("tishi", 5);
    r.Key(kProgramKeyPath).PlantString("A1", "每天8时30分");
    r.Key(kProgramKeyPath).PlantString("B1", c.type);
    r.Key(kProgramKeyPath).PlantString("D1", "启用");
    r.Key(kProgramKeyPath).PlantDword("TaskNum", 1);
    a.Start();
    TaskTick tk{st.tasks, matchers, s, ts, act, cd};
    t.OnFire(MainTimer::TaskTick, [&] { tk.RunPass(); });
    t.OnFire(MainTimer::CountdownSecond, [&] { cd.OnSecond(); });
    t.Advance(64 * kSecond);  // the countdown started at 08:30:05 has one second left
    EXPECT_TRUE(s.log.empty()) << c.type;
    t.Advance(1 * kSecond);
    EXPECT_EQ(s.log, c.last) << c.type;
    EXPECT_TRUE(t.TimerEnabled(MainTimer::TaskTick)) << c.type;
  }
}

}  // namespace
}  // namespace ordavi
