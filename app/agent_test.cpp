#include "app/agent.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/testing/fake_agent_ports.h"
#include "app/testing/fake_stored_state.h"
#include "schedule/testing/fake_timers.h"

namespace ordavi {
namespace {

using testing::FakeAgentPorts;
using testing::FakeRegistryRoot;
using testing::FakeStoredState;
using testing::FakeTimers;

// Every port of the agent on one log.
struct AgentTest : ::testing::Test {
  FakeTimers timers;
  FakeAgentPorts r;
  FakeStoredState stored;
  FakeRegistryRoot& root = stored.root;
  TickRunState tick{timers};
  Agent agent{r.ports(), stored.state(), tick, [] {}};
  Registry Program() { return Registry(root.Key(kProgramKeyPath)); }
  // The texts of the notices shown, in order.
  std::vector<std::string> Notices() {
    const std::string call = "ShowNotice(";
    std::vector<std::string> v;
    for (auto& s : LogWith(call)) v.push_back(s.substr(call.size(), s.size() - call.size() - 1));
    return v;
  }
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
  EXPECT_EQ(reg.ReadInteger("rejian"), 1);  // hotkeys need Ctrl from the first start
  EXPECT_EQ(r.log, (std::vector<std::string>{"EnableShutdownPrivilege()", "RaisePriority()",
                                             "Notify(Add,MAINICON,Ordavi-启用)", "MakeTopmost()",
                                             "RegisterHotKey(49153,2,119)", "RegisterHotKey(49154,2,120)",
                                             "RegisterHotKey(49155,2,121)", "RegisterHotKey(49156,2,122)"}));
  EXPECT_EQ(r.window.progressMax, 60);
  EXPECT_TRUE(timers.TimerEnabled(MainTimer::TaskTick));
  EXPECT_FALSE(timers.TimerEnabled(MainTimer::CountdownSecond));
  EXPECT_TRUE(r.window.checks[MenuItem::Monitoring]);
  EXPECT_TRUE(agent.MonitoringOn());
  EXPECT_EQ(r.window.captions[MenuItem::LogOff], "注销(&L) Ctrl+F8 alice");
}

TEST_F(AgentTest, AStoredRejianZeroIsKeptWithBareKeysAndDesignCaptions) {
  root.Key(kProgramKeyPath).PlantDword("rejian", 0);
  agent.Start();
  EXPECT_EQ(Program().ReadInteger("rejian"), 0);
  EXPECT_EQ(LogWith("RegisterHotKey"),
            (std::vector<std::string>{"RegisterHotKey(49153,0,119)", "RegisterHotKey(49154,0,120)",
                                      "RegisterHotKey(49155,0,121)", "RegisterHotKey(49156,0,122)"}));
  EXPECT_EQ(r.window.captions[MenuItem::LogOff], "注销(&L)  F8 alice");
  EXPECT_EQ(r.window.captions[MenuItem::Standby], "待机(&W)  F9");
  EXPECT_EQ(r.window.captions[MenuItem::FastRestart], "快速重启(&I)  F10");
  EXPECT_EQ(r.window.captions[MenuItem::FastShutdown], "快速关机(&Q)  F11");
}

TEST_F(AgentTest, CtrlHotkeysForAnyNonZeroRejianAndExistingAtomsReused) {
  root.Key(kProgramKeyPath).PlantDword("rejian", 5);
  r.hotkeys.atoms["MyHotkeyF9"] = 0xC0AA;
  agent.Start();
  EXPECT_EQ(LogWith("RegisterHotKey"),
            (std::vector<std::string>{"RegisterHotKey(49153,2,119)", "RegisterHotKey(49322,2,120)",
                                      "RegisterHotKey(49154,2,121)", "RegisterHotKey(49155,2,122)"}));
  EXPECT_EQ(r.window.captions[MenuItem::LogOff], "注销(&L) Ctrl+F8 alice");
  EXPECT_EQ(r.window.captions[MenuItem::Standby], "待机(&W) Ctrl+F9");
  EXPECT_EQ(r.window.captions[MenuItem::FastRestart], "快速重启(&I) Ctrl+F10");
  EXPECT_EQ(r.window.captions[MenuItem::FastShutdown], "快速关机(&Q) Ctrl+F11");
}

TEST_F(AgentTest, PrivilegeOnlyOnNtFamily) {
  struct Case { std::uint32_t major, platform; bool called; };
  for (const Case& c : {Case{4, 1, false}, Case{4, 2, true}, Case{5, 1, true}, Case{10, 2, true}}) {
    FakeTimers t;
    FakeAgentPorts rec;
    rec.system.version = {c.major, c.platform};
    FakeStoredState fresh;
    TickRunState tick{t};
    Agent a{rec.ports(), fresh.state(), tick, [] {}};
    a.Start();
    EXPECT_EQ(!rec.log.empty() && rec.log[0] == "EnableShutdownPrivilege()", c.called) << c.major << "/" << c.platform;
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

// An administrator whose rights are not in force (UAC, started at log-on)
// has the group but a key opened for reading only: the notice still comes,
// and says that nothing can be saved.
TEST(RightsNotice, ComesWheneverTheKeyIsReadOnlyOrTheGroupIsMissing) {
  struct Case { bool admin, writable; const char* text; };
  for (const Case& c : {Case{true, true, nullptr}, Case{false, true, kNotAdminNotice},
                        Case{true, false, kReadOnlyNotice}, Case{false, false, kReadOnlyNotice}}) {
    const auto text = RightsNotice(c.admin, c.writable);
    EXPECT_EQ(text.value_or("(none)"), c.text ? c.text : "(none)") << c.admin << c.writable;
  }
}

TEST_F(AgentTest, AReadOnlyKeyGivesTheNoticeEvenToAnAdministrator) {
  root.Key(kProgramKeyPath).writable = false;
  agent.Start();
  EXPECT_EQ(Notices(), (std::vector<std::string>{kReadOnlyNotice}));
}

TEST_F(AgentTest, NoticesAtStartInOrderWithBootTimeOnTop) {
  root.Key(kProgramKeyPath).PlantDword("kaiji", 1);
  r.system.administrator = false;
  r.system.tickCount = 61500;
  agent.Start();
  EXPECT_EQ(Notices(), (std::vector<std::string>{"以管理员身份运行失败，某些功能如禁启用网卡功能或无效",
                                                 "本次开机时间：1分1秒。"}));
}

TEST_F(AgentTest, BadStoredOptionsAreReportedOnceAndStartUpCompletes) {
  auto& key = root.Key(kProgramKeyPath);
  key.PlantDword("tishi", 0xFFFFFFF6);  // -10
  key.PlantString("rejian", "1");
  key.PlantString("kaiji", "1");
  agent.Start();
  const auto notices = Notices();
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_NE(notices[0].find("tishi"), std::string::npos);
  EXPECT_NE(notices[0].find("rejian"), std::string::npos);
  EXPECT_NE(notices[0].find("kaiji"), std::string::npos);
  EXPECT_EQ(stored.options.countdownSeconds, 60);
  EXPECT_EQ(r.window.progressMax, 60);
  EXPECT_EQ(LogWith("RegisterHotKey").size(), 4u);
  EXPECT_EQ(LogWith("Notify(Add").size(), 1u);
  EXPECT_TRUE(timers.TimerEnabled(MainTimer::TaskTick));
  EXPECT_EQ(Program().ReadInteger("tishi"), -10);  // left as stored
}

TEST_F(AgentTest, ClosingRemovesIconThenReleasesHotkeysAndAtoms) {
  agent.Start();
  r.log.clear();
  agent.OnMenuCommand(MenuItem::Exit);
  EXPECT_EQ(r.log, (std::vector<std::string>{"Close()"}));
  agent.OnMainWindowClosing();
  agent.OnMainWindowDestroyed();
  EXPECT_EQ(r.log, (std::vector<std::string>{"Close()", "Notify(Delete,MAINICON,Ordavi-启用)",
                                             "UnregisterHotKey(49153)", "UnregisterHotKey(49154)",
                                             "UnregisterHotKey(49155)", "UnregisterHotKey(49156)", "DeleteAtom(49153)",
                                             "DeleteAtom(49154)", "DeleteAtom(49155)", "DeleteAtom(49156)"}));
}

TEST_F(AgentTest, MonitoringSwitchesTickIconTipAndCheck) {
  agent.Start();
  r.log.clear();
  agent.ToggleMonitoring();
  EXPECT_FALSE(timers.TimerEnabled(MainTimer::TaskTick));
  EXPECT_FALSE(r.window.checks[MenuItem::Monitoring]);
  agent.OnWindowMessage(0xC100);  // taskbar restarted while off
  agent.OnWindowMessage(0x0401);  // any other message
  agent.ToggleMonitoring();
  EXPECT_TRUE(timers.TimerEnabled(MainTimer::TaskTick));
  EXPECT_TRUE(r.window.checks[MenuItem::Monitoring]);
  EXPECT_EQ(r.log, (std::vector<std::string>{"Notify(Modify,DISSHUT,Ordavi-禁用)", "Notify(Add,DISSHUT,Ordavi-禁用)",
                                             "Notify(Modify,ENASHUT,Ordavi-启用)"}));
}

// The soonest task shows as the tip's second line while monitoring is on; the
// icon is modified only when the tip changes.
TEST_F(AgentTest, TipNamesTheNextTaskWhileMonitoring) {
  agent.Start();
  r.log.clear();
  agent.ShowNextTask("下一个：今天 22:30 关闭计算机");
  agent.ShowNextTask("下一个：今天 22:30 关闭计算机");
  agent.ToggleMonitoring();
  agent.ShowNextTask("下一个：明天 08:00 提醒");
  agent.ToggleMonitoring();
  agent.ShowNextTask("");
  EXPECT_EQ(r.log, (std::vector<std::string>{"Notify(Modify,MAINICON,Ordavi-启用\n下一个：今天 22:30 关闭计算机)",
                                             "Notify(Modify,DISSHUT,Ordavi-禁用)",
                                             "Notify(Modify,ENASHUT,Ordavi-启用\n下一个：明天 08:00 提醒)",
                                             "Notify(Modify,ENASHUT,Ordavi-启用)"}));
}

TEST_F(AgentTest, HotkeysAndMenuRunTheirPowerActions) {
  agent.Start();
  agent.ToggleMonitoring();  // monitoring off does not stop them
  r.log.clear();
  for (std::uint32_t id : {49153u, 49154u, 49155u, 49156u}) EXPECT_TRUE(agent.OnHotkey(id));
  EXPECT_FALSE(agent.OnHotkey(7));
  EXPECT_EQ(r.log, (std::vector<std::string>{"ExitWindowsEx(4,0)", "SetSystemPowerState(-1,-1)", "NtShutdownSystem(1)",
                                             "NtShutdownSystem(2)"}));
  r.log.clear();
  for (MenuItem m : {MenuItem::LogOff, MenuItem::Standby, MenuItem::Hibernate, MenuItem::Restart, MenuItem::ShutDown, MenuItem::FastRestart,
                     MenuItem::FastShutdown}) {
    agent.OnMenuCommand(m);
  }
  EXPECT_EQ(r.log, (std::vector<std::string>{"ExitWindowsEx(4,0)", "SetSystemPowerState(-1,-1)",
                                             "SetSystemPowerState(0,-1)", "ExitWindowsEx(6,0)", "ExitWindowsEx(12,0)",
                                             "NtShutdownSystem(1)", "NtShutdownSystem(2)"}));
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
    EXPECT_EQ(r.log, (std::vector<std::string>{
                         "SendMciCommand(Set cdaudio door open wait)", "SendMciCommand(Set cdaudio door open wait)",
                         "SendMciCommand(Set cdaudio door closed wait)", "BroadcastMonitorPower(2)"}))
        << monitoring;
    EXPECT_TRUE(Notices().empty());
    EXPECT_EQ(agent.MonitoringOn(), monitoring);
  }
}

TEST_F(AgentTest, AboutHelpAndUpdateCommands) {
  agent.Start();
  r.log.clear();
  agent.OnMenuCommand(MenuItem::About);
  agent.OnMenuCommand(MenuItem::Help);
  agent.OnMenuCommand(MenuItem::Update);
  EXPECT_EQ(r.log, (std::vector<std::string>{"OpenAbout()", "OpenHelpFile(C:\\工具\\Ordavi.CHM)",
                                             "OpenAsDesktopUser(https://ordavi.velmora.example/download,,shown)"}));
}

TEST_F(AgentTest, TrayClicksOpenTheMenuOnButtonPressOnly) {
  struct Case { std::uint32_t msg; bool opens; };
  for (const Case& c : {Case{0x0201, true}, Case{0x0204, true}, Case{0x0200, false}, Case{0x0202, false},
                        Case{0x0203, false}, Case{0x0207, false}}) {
    EXPECT_EQ(agent.OpensMenu(c.msg), c.opens) << c.msg;
  }
}

TEST(PopupMenu, CaptionsWithKeysHaveTwoBlanks) {
  EXPECT_EQ(kPopupMenuSize, 21u);
  EXPECT_STREQ(DesignCaption(MenuItem::LogOff), "注销(&L)  F8");
  EXPECT_STREQ(DesignCaption(MenuItem::FastShutdown), "快速关机(&Q)  F11");
  EXPECT_EQ(kPopupMenu[13].item, MenuItem::CleanJunk);
  EXPECT_STREQ(kPopupMenu[20].caption, "退出(&X)");
}

// Other programs post the command ids: the original items keep 1000 + their
// original place, the run history sits after 设置 with an id of its own, as
// does the item that cancels a postponed action (shown after all the others
// while one is held), and no two items share one.
TEST(PopupMenu, ItemsKeepTheirCommandIds) {
  EXPECT_EQ(CommandIdOf(MenuItem::Monitoring), 1000u);
  EXPECT_EQ(CommandIdOf(MenuItem::Settings), 1002u);
  EXPECT_EQ(CommandIdOf(MenuItem::CleanJunk), 1012u);
  EXPECT_EQ(CommandIdOf(MenuItem::Exit), 1019u);
  EXPECT_EQ(kPopupMenu[3].item, MenuItem::RunHistory);
  EXPECT_EQ(CommandIdOf(MenuItem::RunHistory), 1020u);
  for (const MenuEntry& e : kPopupMenu) EXPECT_EQ(EntryOfCommand(e.id), &e) << e.caption;
  EXPECT_EQ(EntryOfCommand(1021)->item, MenuItem::CancelPostponed);
  EXPECT_EQ(CommandIdOf(MenuItem::CancelPostponed), 1021u);
  // 保持唤醒's items follow, each with an id of its own.
  unsigned id = 1022;
  for (const MenuEntry& e : kAwakeMenu) {
    EXPECT_EQ(e.id, id++) << e.caption;
    EXPECT_EQ(EntryOfCommand(e.id), &e) << e.caption;
  }
  EXPECT_EQ(EntryOfCommand(id), nullptr);
}

}  // namespace
}  // namespace ordavi
