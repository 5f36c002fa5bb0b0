// Keeping the PC awake, through the composed agent: each way it starts and
// ends, as the tray, the power request and the run history show it.
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

std::vector<std::string> Matching(const std::vector<std::string>& lines, const std::string& part) {
  std::vector<std::string> out;
  for (const std::string& l : lines) {
    if (l.find(part) != std::string::npos) out.push_back(l);
  }
  return out;
}

TEST(KeepAwake, ReadsATasksParameter) {
  const struct {
    const char* param;
    bool read;
    std::int32_t minutes;
    const char* program;
    bool display;
  } cases[] = {
      {"480", true, 480, "", false},
      {"1", true, 1, "", false},
      {"10080", true, 10080, "", false},
      {"60，屏幕常亮", true, 60, "", true},
      {"backup.exe", true, 0, "backup.exe", false},
      {"D:\\工具\\备份.exe，屏幕常亮", true, 0, "备份.exe", true},
      {"0", false, 0, "", false},
      {"10081", false, 0, "", false},
      {"30分钟", false, 0, "", false},
      {"", false, 0, "", false},
      {"，屏幕常亮", false, 0, "", false},
  };
  for (const auto& c : cases) {
    const std::optional<AwakeRequest> r = ReadAwakeParam(c.param);
    ASSERT_EQ(r.has_value(), c.read) << c.param;
    if (!r) continue;
    EXPECT_EQ(r->minutes, c.minutes) << c.param;
    EXPECT_EQ(r->program, c.program) << c.param;
    EXPECT_EQ(r->display, c.display) << c.param;
  }
}

// One way to start and one to end, each row: the reason the system shows,
// the tray tip's second line (also published for /list), the history's two
// lines, and the request released at the end.
TEST(KeepAwake, EachWayItEndsReleasesTheRequestAndSaysWhy) {
  struct Case {
    const char* name;
    std::function<void(AgentWorld&)> start;  // the world starts at 08:29:05
    const char* reason;                      // HoldAwake's
    const char* tip;                         // the tip's second line while it runs
    std::function<void(AgentWorld&)> end;
    const char* endLine;  // the history's last line ends with it
  };
  auto menu = [](MenuItem item) { return [item](AgentWorld& w) { w.core->OnMenuCommand(item); }; };
  auto task = [](const char* param) {
    return [param](AgentWorld& w) {
      w.Plant("每天8时30分", "保持唤醒", param);
      w.stored.tasks.FollowCounter();
      w.Advance(kMinute);  // 08:30:05: the task's minute
    };
  };
  const Case cases[] = {
      {"an hour from the menu", menu(MenuItem::Awake60), "Ordavi：保持唤醒到 09:29", "保持唤醒到 09:29",
       [](AgentWorld& w) { w.Advance(60 * kMinute); }, u8"\t托盘菜单\t60\t保持唤醒结束（已到时间）"},
      {"a task of 5 minutes", task("5"), "Ordavi：保持唤醒到 08:35", "保持唤醒到 08:35",
       [](AgentWorld& w) { w.Advance(5 * kMinute); }, u8"\t每天8时30分\t5\t保持唤醒结束（已到时间）"},
      {"until cancelled, cancelled", menu(MenuItem::AwakeUntilCancelled), "Ordavi：保持唤醒（直到取消）",
       "保持唤醒（直到取消）", [](AgentWorld& w) { w.core->OnMenuCommand(MenuItem::AwakeCancel); },
       u8"保持唤醒结束（托盘菜单）"},
      {"a program that ends", task("backup.exe"), "Ordavi：保持唤醒：backup.exe 运行中",
       "保持唤醒：backup.exe 运行中",
       [](AgentWorld& w) {
         w.Advance(5 * kMinute);
         w.sensors.programs = std::vector<std::string>{"explorer.exe"};
         w.Advance(10 * kSecond);
       },
       u8"\tbackup.exe\t保持唤醒结束（程序已结束）"},
      {"a program that never runs",
       [](AgentWorld& w) {
         w.sensors.programs = std::vector<std::string>{};
         w.Plant("每天8时30分", "保持唤醒", "other.exe");
         w.Advance(kMinute);
       },
       "Ordavi：保持唤醒：other.exe 运行中", "保持唤醒：other.exe 运行中", [](AgentWorld& w) { w.Advance(kMinute); },
       u8"保持唤醒结束（程序未运行）"},
      {"the battery runs low", menu(MenuItem::Awake120), "Ordavi：保持唤醒到 10:29", "保持唤醒到 10:29",
       [](AgentWorld& w) {
         w.awake.battery = 19;  // below the default level, 20
         w.Advance(10 * kSecond);
       },
       u8"保持唤醒结束（电池电量低）"},
      {"the agent ends", menu(MenuItem::Awake30), "Ordavi：保持唤醒到 08:59", "保持唤醒到 08:59",
       [](AgentWorld& w) { w.End(); }, u8"保持唤醒结束（程序退出）"},
      {"the session ends", menu(MenuItem::Awake30), "Ordavi：保持唤醒到 08:59", "保持唤醒到 08:59",
       [](AgentWorld& w) { w.End(true); }, u8"保持唤醒结束（会话结束）"},
      {"a sleep past its time", menu(MenuItem::Awake30), "Ordavi：保持唤醒到 08:59", "保持唤醒到 08:59",
       [](AgentWorld& w) { w.Sleep(40 * kMinute, true); }, u8"保持唤醒结束（睡眠中到期）"},
      {"/awake off", [](AgentWorld& w) { ASSERT_TRUE(w.core->OnKeepAwakeFromCommandLine(45)); },
       "Ordavi：保持唤醒到 09:14", "保持唤醒到 09:14",
       [](AgentWorld& w) { ASSERT_TRUE(w.core->OnKeepAwakeFromCommandLine(0)); },
       u8"\t命令行\t45\t保持唤醒结束（命令行/awake off）"},
      {"a task replaces it", menu(MenuItem::Awake30), "Ordavi：保持唤醒到 08:59", "保持唤醒到 08:59",
       task("480"), u8"\t托盘菜单\t30\t保持唤醒结束（被新的保持唤醒代替）"},
  };
  for (const Case& c : cases) {
    AgentWorld w;
    w.sensors.programs = std::vector<std::string>{"explorer.exe", "BACKUP.EXE"};
    w.Start();
    c.start(w);
    const std::string hold = std::string("HoldAwake(") + c.reason + ",0)";
    EXPECT_EQ(Matching(w.log, "HoldAwake(").back(), hold) << c.name;
    ASSERT_TRUE(w.core) << c.name;
    EXPECT_EQ(w.core->agent.trayIcon().tip, std::string("Ordavi-启用\n") + c.tip) << c.name;
    EXPECT_EQ(w.publishedAwake, c.tip) << c.name;  // what /list prints
    EXPECT_TRUE(Matching(w.log, "ReleaseAwake(").empty()) << c.name;
    c.end(w);
    EXPECT_FALSE(Matching(w.log, "ReleaseAwake(").empty()) << c.name;
    const std::vector<std::string> lines = Matching(w.History(), u8"保持唤醒");
    ASSERT_GE(lines.size(), 2u) << c.name;
    EXPECT_NE(lines[0].find(u8"开始保持唤醒"), std::string::npos) << c.name << ": " << lines[0];
    const std::string& last = lines[lines.size() - (std::string(c.name) == "a task replaces it" ? 2 : 1)];
    EXPECT_NE(last.find(c.endLine), std::string::npos) << c.name << ": " << last;
    if (w.core && std::string(c.name) != "a task replaces it") {
      EXPECT_EQ(w.core->agent.trayIcon().tip.find(c.tip), std::string::npos) << c.name;
      EXPECT_EQ(w.publishedAwake, "") << c.name;
    }
  }
}

// The menu checks the length it was started with, offers its end only while
// it runs, and its screen choice holds the display too; the agent's own
// display request never makes an idle task wait; a low battery refuses a
// start with a notice.
TEST(KeepAwake, TheMenuShowsItAndIdleTasksDoNotWait) {
  AgentWorld w;
  w.counter.lastInput = static_cast<std::uint32_t>(w.counter.tick - 2 * kMinute);
  w.Plant("空闲5分钟", "提醒", "空闲");
  w.Start();
  testing::FakeMainWindow& menu = w.agentPorts.window;
  w.core->OnMenuCommand(MenuItem::AwakeDisplay);
  EXPECT_TRUE(menu.checks[MenuItem::AwakeDisplay]);
  w.core->OnMenuCommand(MenuItem::Awake120);
  EXPECT_TRUE(menu.checks[MenuItem::Awake120]);
  EXPECT_FALSE(menu.checks[MenuItem::Awake60]);
  EXPECT_TRUE(menu.enabled[MenuItem::AwakeCancel]);
  EXPECT_EQ(Matching(w.log, "HoldAwake(").back(), "HoldAwake(Ordavi：保持唤醒到 10:29,1)");
  w.display.required = true;  // the system reports the agent's own request
  w.Advance(4 * kMinute);
  EXPECT_EQ(Matching(w.log, "ShowNotice(空闲)").size(), 1u);
  w.core->OnMenuCommand(MenuItem::AwakeCancel);
  EXPECT_FALSE(menu.checks[MenuItem::Awake120]);
  EXPECT_FALSE(menu.enabled[MenuItem::AwakeCancel]);

  w.awake.battery = 10;
  w.core->OnMenuCommand(MenuItem::Awake30);
  EXPECT_EQ(Matching(w.log, "ShowNotice(电池电量低于20%，未保持唤醒)").size(), 1u);
  EXPECT_FALSE(w.core->OnKeepAwakeFromCommandLine(30));
  EXPECT_FALSE(w.core->keepAwake.Active());
  w.stored.options.awakeBatteryLevel = 0;  // never stop
  EXPECT_TRUE(w.core->OnKeepAwakeFromCommandLine(30));
  EXPECT_FALSE(w.core->OnKeepAwakeFromCommandLine(10081));  // no other program's number is taken
}

}  // namespace
}  // namespace ordavi
