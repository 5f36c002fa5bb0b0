#include "app/agent.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "app/testing/fake_stored_state.h"

namespace ordavi {
namespace {

using testing::FakeRegistryRoot;
using testing::FakeStoredState;

// One recorder behind every port, logging each call in order.
struct Recorder : StartupSystem, TrayPort, HotkeyPort, MainWindowPort, TimerPort, NoticeSink, ShellPort, PowerSystem,
                  DeviceSystem {
  std::vector<std::string> log;
  Version version{5, 2};
  bool admin = true;
  std::uint32_t tick = 3600000;
  std::string user = "alice";
  std::map<std::string, std::uint16_t> atoms;
  std::uint16_t nextAtom = 0xC001;
  std::map<MenuItem, std::string> captions;
  std::map<MenuItem, bool> checks;
  std::map<MainTimer, bool> timers;
  std::vector<std::string> notices;
  int32_t progressMax = -1;

  void Log(const std::string& s) { log.push_back(s); }
  Version GetVersion() override { return version; }
  void EnableShutdownPrivilege() override { Log("privilege"); }
  bool IsAdministrator() override { return admin; }
  void RaisePriority() override { Log("priority"); }
  std::uint32_t TickCount() override { return tick; }
  std::string UserName() override { return user; }
  std::string ExePath() override { return "C:\\工具\\Ordavi.exe"; }
  void Notify(TrayOp op, const TrayIconState& s) override {
    Log("tray" + std::to_string(static_cast<int>(op)) + " " + s.icon + " " + s.tip);
  }
  std::uint16_t FindAtom(const std::string& n) override { return atoms.count(n) ? atoms[n] : 0; }
  std::uint16_t AddAtom(const std::string& n) override { return atoms[n] = nextAtom++; }
  void DeleteAtom(std::uint16_t a) override { Log("deleteatom " + std::to_string(a)); }
  void RegisterHotKey(std::uint32_t id, std::uint32_t mods, std::uint32_t key) override {
    Log("hotkey " + std::to_string(id) + " " + std::to_string(mods) + " " + std::to_string(key));
  }
  void UnregisterHotKey(std::uint32_t id) override { Log("unhotkey " + std::to_string(id)); }
  std::uint32_t RegisterTaskbarCreated() override { return 0xC100; }
  void SetProgressMax(std::int32_t m) override { progressMax = m; }
  void MakeTopmost() override { Log("topmost"); }
  void SetMenuCaption(MenuItem i, const std::string& c) override { captions[i] = c; }
  void SetMenuChecked(MenuItem i, bool c) override { checks[i] = c; }
  void OpenAbout() override { Log("about"); }
  void Close() override { Log("close"); }
  void SetTimerEnabled(MainTimer t, bool on) override { timers[t] = on; }
  bool TimerEnabled(MainTimer t) const override { return timers.count(t) && timers.at(t); }
  void ShowNotice(const std::string& t) override {
    notices.push_back(t);
    Log("notice " + t);
  }
  void OpenFileHidden(const std::string& path, const std::string& dir) override { Log("open " + path + " in " + dir); }
  void RunHidden(const std::string& f, const std::string& p, const std::string& d) override {
    Log("run " + f + " " + p + " in " + d);
  }
  void OpenHelpFile(const std::string& path) override { Log("help " + path); }
  void ShowWebPage(const std::string& url) override { Log("page " + url); }
  std::string WindowsDirectory() override { return "C:\\windows"; }
  void ExitWindowsEx(std::uint32_t f, std::uint32_t r) override {
    Log("exitwindows " + std::to_string(f) + " " + std::to_string(r));
  }
  void SetSystemPowerState(std::int32_t s, std::int32_t f) override {
    Log("powerstate " + std::to_string(s) + " " + std::to_string(f));
  }
  void NtShutdownSystem(std::int32_t a) override { Log("ntshutdown " + std::to_string(a)); }
  void SendMciCommand(const std::string& c) override { Log("mci " + c); }
  void BroadcastMonitorPower(std::int32_t state) override { Log("monitorpower " + std::to_string(state)); }
};

struct AgentTest : ::testing::Test {
  Recorder r;
  FakeStoredState stored;
  FakeRegistryRoot& root = stored.root;
  TickRunState tick{r};
  Agent agent{AgentPorts{r, r, r, r, r, r, r, r, r}, stored.state(), tick};
  Registry Program() { return Registry(root.Key(kProgramKeyPath)); }
  std::vector<std::string> LogWith(const std::string& prefix) {
    std::vector<std::string> v;
    for (auto& s : r.log) {
      if (s.rfind(prefix, 0) == 0) v.push_back(s);
    }
    return v;
  }
};

TEST_F(AgentTest, FirstStartOnAnEmptyRegistry) {
  agent.Start();
  Registry reg = Program();
  EXPECT_EQ(reg.ReadInteger("shutapp"), 0);
  EXPECT_EQ(reg.ReadString("soundpath"), "");
  EXPECT_EQ(reg.ReadInteger("tishi"), 60);
  EXPECT_EQ(reg.ReadInteger("TaskNum"), 0);
  EXPECT_EQ(reg.ReadInteger("kaiji"), 0);
  EXPECT_EQ(reg.ReadInteger("rejian"), 0);
  EXPECT_EQ(r.log, (std::vector<std::string>{
                       "privilege", "priority", "tray0 MAINICON Ordavi-启用", "topmost",
                       "hotkey 49153 0 119", "hotkey 49154 0 120", "hotkey 49155 0 121", "hotkey 49156 0 122"}));
  EXPECT_EQ(r.progressMax, 60);
  EXPECT_TRUE(r.timers[MainTimer::TaskTick]);
  EXPECT_FALSE(r.timers[MainTimer::CountdownSecond]);
  EXPECT_TRUE(r.checks[MenuItem::Monitoring]);
  EXPECT_TRUE(agent.MonitoringOn());
  EXPECT_EQ(r.captions[MenuItem::LogOff], "注销(&L)  F8 alice");
  EXPECT_EQ(r.captions[MenuItem::Standby], "待机(&W)  F9");
  EXPECT_EQ(r.captions[MenuItem::FastRestart], "快速重启(&I)  F10");
  EXPECT_EQ(r.captions[MenuItem::FastShutdown], "快速关机(&Q)  F11");
}

TEST_F(AgentTest, CtrlHotkeysForAnyNonZeroRejianAndExistingAtomsReused) {
  root.Key(kProgramKeyPath).PlantDword("rejian", 5);
  r.atoms["MyHotkeyF9"] = 0xC0AA;
  agent.Start();
  EXPECT_EQ(LogWith("hotkey"), (std::vector<std::string>{"hotkey 49153 2 119", "hotkey 49322 2 120",
                                                         "hotkey 49154 2 121", "hotkey 49155 2 122"}));
  EXPECT_EQ(r.captions[MenuItem::LogOff], "注销(&L) Ctrl+F8 alice");
  EXPECT_EQ(r.captions[MenuItem::Standby], "待机(&W) Ctrl+F9");
  EXPECT_EQ(r.captions[MenuItem::FastRestart], "快速重启(&I) Ctrl+F10");
  EXPECT_EQ(r.captions[MenuItem::FastShutdown], "快速关机(&Q) Ctrl+F11");
}

TEST_F(AgentTest, PrivilegeOnlyOnNtFamily) {
  struct Case { std::uint32_t major, platform; bool called; };
  for (const Case& c : {Case{4, 1, false}, Case{4, 2, true}, Case{5, 1, true}, Case{10, 2, true}}) {
    Recorder rec;
    rec.version = {c.major, c.platform};
    FakeStoredState fresh;
    TickRunState tick{rec};
    Agent a{AgentPorts{rec, rec, rec, rec, rec, rec, rec, rec, rec}, fresh.state(), tick};
    a.Start();
    EXPECT_EQ(!rec.log.empty() && rec.log[0] == "privilege", c.called) << c.major << "/" << c.platform;
  }
}

TEST(BootTimeNotice, TextsAndLimits) {
  struct Case { std::uint32_t ms; std::int32_t kaiji; const char* text; };
  for (const Case& c : {Case{299999, 1, "本次开机时间：4分59秒。"}, Case{300000, 1, nullptr},
                        Case{59000, 1, "本次开机时间：59秒。"}, Case{60000, 1, "本次开机时间：1分0秒。"},
                        Case{999, 1, "本次开机时间：0秒。"}, Case{59000, 2, nullptr}, Case{59000, 0, nullptr},
                        Case{4294967295u, 1, nullptr}}) {
    auto text = BootTimeNotice(c.ms, c.kaiji);
    if (c.text) {
      ASSERT_TRUE(text) << c.ms;
      EXPECT_EQ(*text, c.text);
    } else {
      EXPECT_FALSE(text) << c.ms << "/" << c.kaiji;
    }
  }
}

TEST_F(AgentTest, NoticesAtStartInOrderWithBootTimeOnTop) {
  root.Key(kProgramKeyPath).PlantDword("kaiji", 1);
  r.admin = false;
  r.tick = 61500;
  agent.Start();
  EXPECT_EQ(r.notices, (std::vector<std::string>{"以管理员身份运行失败，某些功能如禁启用网卡功能或无效",
                                                 "本次开机时间：1分1秒。"}));
}

TEST_F(AgentTest, BadStoredOptionsAreReportedOnceAndStartUpCompletes) {
  auto& key = root.Key(kProgramKeyPath);
  key.PlantDword("tishi", 0xFFFFFFF6);  // -10
  key.PlantString("rejian", "1");
  key.PlantString("kaiji", "1");
  agent.Start();
  ASSERT_EQ(r.notices.size(), 1u);
  EXPECT_NE(r.notices[0].find("tishi"), std::string::npos);
  EXPECT_NE(r.notices[0].find("rejian"), std::string::npos);
  EXPECT_NE(r.notices[0].find("kaiji"), std::string::npos);
  EXPECT_EQ(stored.options.countdownSeconds, 60);
  EXPECT_EQ(r.progressMax, 60);
  EXPECT_EQ(LogWith("hotkey").size(), 4u);
  EXPECT_EQ(LogWith("tray0").size(), 1u);
  EXPECT_TRUE(r.timers[MainTimer::TaskTick]);
  EXPECT_EQ(Program().ReadInteger("tishi"), -10);  // left as stored
}

TEST_F(AgentTest, ClosingRemovesIconThenReleasesHotkeysAndAtoms) {
  agent.Start();
  r.log.clear();
  agent.OnMenuCommand(MenuItem::Exit);
  EXPECT_EQ(r.log, (std::vector<std::string>{"close"}));
  agent.OnMainWindowClosing();
  agent.OnMainWindowDestroyed();
  EXPECT_EQ(r.log, (std::vector<std::string>{"close", "tray2 MAINICON Ordavi-启用", "unhotkey 49153", "unhotkey 49154",
                                             "unhotkey 49155", "unhotkey 49156", "deleteatom 49153",
                                             "deleteatom 49154", "deleteatom 49155", "deleteatom 49156"}));
}

TEST_F(AgentTest, MonitoringSwitchesTickIconTipAndCheck) {
  agent.Start();
  r.log.clear();
  agent.ToggleMonitoring();
  EXPECT_FALSE(r.timers[MainTimer::TaskTick]);
  EXPECT_FALSE(r.checks[MenuItem::Monitoring]);
  agent.OnWindowMessage(0xC100);  // taskbar restarted while off
  agent.OnWindowMessage(0x0401);  // any other message
  agent.ToggleMonitoring();
  EXPECT_TRUE(r.timers[MainTimer::TaskTick]);
  EXPECT_TRUE(r.checks[MenuItem::Monitoring]);
  EXPECT_EQ(r.log, (std::vector<std::string>{"tray1 DISSHUT Ordavi-禁用", "tray0 DISSHUT Ordavi-禁用",
                                             "tray1 ENASHUT Ordavi-启用"}));
}

TEST_F(AgentTest, HotkeysAndMenuRunTheirPowerActions) {
  agent.Start();
  agent.ToggleMonitoring();  // monitoring off does not stop them
  r.log.clear();
  for (std::uint32_t id : {49153u, 49154u, 49155u, 49156u}) EXPECT_TRUE(agent.OnHotkey(id));
  EXPECT_FALSE(agent.OnHotkey(7));
  EXPECT_EQ(r.log, (std::vector<std::string>{"exitwindows 4 0", "powerstate -1 -1", "ntshutdown 1", "ntshutdown 2"}));
  r.log.clear();
  for (MenuItem m : {MenuItem::LogOff, MenuItem::Standby, MenuItem::Hibernate, MenuItem::Restart, MenuItem::ShutDown, MenuItem::FastRestart,
                     MenuItem::FastShutdown}) {
    agent.OnMenuCommand(m);
  }
  EXPECT_EQ(r.log, (std::vector<std::string>{"exitwindows 4 0", "powerstate -1 -1", "powerstate 0 -1",
                                             "exitwindows 6 0", "exitwindows 12 0", "ntshutdown 1", "ntshutdown 2"}));
}

TEST_F(AgentTest, DeviceCommandsActWithMonitoringOnOrOff) {
  agent.Start();
  for (bool monitoring : {true, false}) {
    if (agent.MonitoringOn() != monitoring) agent.ToggleMonitoring();
    r.log.clear();
    agent.OnMenuCommand(MenuItem::OpenCdDoor);
    agent.OnMenuCommand(MenuItem::OpenCdDoor);  // an open door gets the same command again
    agent.OnMenuCommand(MenuItem::CloseCdDoor);
    agent.OnMenuCommand(MenuItem::MonitorOff);
    EXPECT_EQ(r.log, (std::vector<std::string>{"mci Set cdaudio door open wait", "mci Set cdaudio door open wait",
                                               "mci Set cdaudio door closed wait", "monitorpower 2"}))
        << monitoring;
    EXPECT_TRUE(r.notices.empty());
    EXPECT_EQ(agent.MonitoringOn(), monitoring);
  }
}

TEST_F(AgentTest, AboutHelpAndUpdateCommands) {
  agent.Start();
  r.log.clear();
  agent.OnMenuCommand(MenuItem::About);
  agent.OnMenuCommand(MenuItem::Help);
  agent.OnMenuCommand(MenuItem::Update);
  EXPECT_EQ(r.log, (std::vector<std::string>{
                       "about", "help C:\\工具\\Ordavi.CHM", "page https://ordavi.velmora.example/download"}));
}

TEST_F(AgentTest, TrayClicksOpenTheMenuOnButtonPressOnly) {
  struct Case { std::uint32_t msg; bool opens; };
  for (const Case& c : {Case{0x0201, true}, Case{0x0204, true}, Case{0x0200, false}, Case{0x0202, false},
                        Case{0x0203, false}, Case{0x0207, false}}) {
    EXPECT_EQ(agent.OpensMenu(c.msg), c.opens) << c.msg;
  }
}

TEST(PopupMenu, CaptionsWithKeysHaveTwoBlanks) {
  EXPECT_EQ(kPopupMenuSize, 20u);
  EXPECT_STREQ(DesignCaption(MenuItem::LogOff), "注销(&L)  F8");
  EXPECT_STREQ(DesignCaption(MenuItem::FastShutdown), "快速关机(&Q)  F11");
  EXPECT_EQ(kPopupMenu[12].item, MenuItem::CleanJunk);
  EXPECT_STREQ(kPopupMenu[19].caption, "退出(&X)");
}

}  // namespace
}  // namespace ordavi
