#include "app/tray_tip.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "store/testing/fake_registry.h"

namespace ordavi {
namespace {

using testing::FakeRegistryKey;

ScheduleNow TuesdayEvening() {  // 8 December 2026, 21:05
  ScheduleNow now;
  now.year = 2026, now.month = 12, now.day = 8, now.dayOfWeek = 2, now.hour = 21, now.minute = 5;
  return now;
}

// The soonest clock time wins; idle, disabled, past and unreadable tasks are
// left out; nothing to name gives no line.
TEST(NextTaskLine, NamesTheTaskThatRunsSoonest) {
  const struct {
    const char* what;
    std::vector<std::array<const char*, 4>> tasks;  // schedule, type, parameter, enabled word
    const char* line;
  } cases[] = {
      {"the sooner of two", {{"每天22时30分", "关闭计算机", "", "启用"}, {"每天21时30分", "提醒", "x", "启用"}},
       "下一个：今天 21:30 提醒"},
      {"tomorrow", {{"每天8时0分", "待机计算机", "", "启用"}}, "下一个：明天 08:00 待机计算机"},
      {"this minute's ran in the pass before: tomorrow", {{"每天21时5分", "提醒", "x", "启用"}},
       "下一个：明天 21:05 提醒"},
      {"disabled and idle left out",
       {{"每天21时10分", "提醒", "x", "禁用"}, {"空闲1分钟", "提醒", "x", "启用"}, {"每天23时0分", "注销", "", "启用"}},
       "下一个：今天 23:00 注销"},
      {"nothing that runs at a time", {{"空闲5分钟", "提醒", "x", "启用"}, {"乱写", "提醒", "x", "启用"}}, ""},
      {"no tasks", {}, ""},
  };
  for (const auto& c : cases) {
    FakeRegistryKey key;
    Registry reg{key};
    TaskStore store{reg};
    store.LoadTaskCounter();
    int n = 0;
    for (const auto& t : c.tasks) {
      store.AddTask(t[0], t[1], t[2]);
      store.SetTaskEnabled(++n, t[3]);
    }
    EXPECT_EQ(NextTaskLine(store, TuesdayEvening(), 600, "yyyy/M/d"), c.line) << c.what;
  }
  // A task that wakes the PC says so after its time.
  FakeRegistryKey key;
  Registry reg{key};
  TaskStore store{reg};
  store.LoadTaskCounter();
  store.AddTask("每天7时0分", "提醒", "x", true);
  EXPECT_EQ(NextTaskLine(store, TuesdayEvening(), 600, "yyyy/M/d"), "下一个：明天 07:00（唤醒） 提醒");
}

// A task added in the settings dialog is named at the next pass, not a
// minute later; without a change the tasks are searched once a minute.
TEST(NextTaskWatch, SearchesOnceAMinuteAndAfterTheTasksChanged) {
  FakeRegistryKey key;
  Registry reg{key};
  TaskStore store{reg};
  store.LoadTaskCounter();
  store.AddTask("每天23时0分", "注销", "");
  NextTaskWatch watch;
  ScheduleNow now = TuesdayEvening();
  EXPECT_EQ(watch.Line(store, now, 600, "yyyy/M/d"), "下一个：今天 23:00 注销");
  store.AddTask("每天22时0分", "提醒", "x");
  now.second = 40;
  EXPECT_EQ(watch.Line(store, now, 600, "yyyy/M/d"), "下一个：今天 23:00 注销");  // the same minute
  watch.TasksChanged();
  EXPECT_EQ(watch.Line(store, now, 600, "yyyy/M/d"), "下一个：今天 22:00 提醒");
  store.AddTask("每天21时30分", "提醒", "y");
  now.minute = 6;
  EXPECT_EQ(watch.Line(store, now, 600, "yyyy/M/d"), "下一个：今天 21:30 提醒");  // a new minute
}

// The tip keeps within the record's 63 characters, cut at a character.
TEST(TrayTip, SecondLineCutToTheRecord) {
  EXPECT_EQ(TrayTip("Ordavi-启用", ""), "Ordavi-启用");
  EXPECT_EQ(TrayTip("Ordavi-启用", "下一个：今天 22:30 关闭计算机"), "Ordavi-启用\n下一个：今天 22:30 关闭计算机");
  // "Ordavi-启用" is 9 characters; with the line break 53 are left.
  std::string longLine;
  for (int i = 0; i < 60; ++i) longLine += "长";
  EXPECT_EQ(TrayTip("Ordavi-启用", longLine), "Ordavi-启用\n" + longLine.substr(0, 2 * 53));
  std::string mixed = "a";
  for (int i = 0; i < 60; ++i) mixed += "长";
  const std::string cut = TrayTip("Ordavi-启用", mixed);
  EXPECT_EQ(cut.size(), std::string("Ordavi-启用\n").size() + 1 + 2 * 52);  // never half a character
}

}  // namespace
}  // namespace ordavi
