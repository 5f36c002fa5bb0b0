#include "app/run_history.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

#include "actions/countdown.h"
#include "actions/testing/fake_countdown_ports.h"
#include "actions/testing/fake_notices.h"
#include "actions/testing/fake_power.h"
#include "app/testing/fake_data_file.h"
#include "schedule/testing/fake_clocks.h"
#include "schedule/testing/fake_conditions.h"
#include "schedule/testing/fake_tick_ports.h"
#include "schedule/testing/fake_timers.h"
#include "schedule/tick.h"
#include "store/testing/fake_registry.h"
#include "store/testing/iconv_gbk_codec.h"

namespace ordavi {
namespace {

using testing::CallLog;
using testing::FakeDataFile;
using testing::FakeNotices;
using testing::FakeTimers;

constexpr std::uint64_t kSecond = 1000;
constexpr std::uint64_t kMinute = 60 * kSecond;
constexpr const char* kBom = "\xEF\xBB\xBF";

// The agent's tick, countdown and run watch on fake timers, wired as the
// composition root wires them. The clocks run with the timers: local time
// from Tuesday 5 March 2024 08:29:05.
struct AgentWorld {
  AgentWorld() {
    timers.OnFire(MainTimer::TaskTick, [this] { tick.RunPass(); });
    timers.OnFire(MainTimer::CountdownSecond, [this] { countdown.OnSecond(); });
    timers.OnFire(MainTimer::TickPause, [this] { state.EndPause(); });
    countdownSystem.tick = &state;
    options.countdownSeconds = 30;
    store.LoadTaskCounter();
  }

  void Add(const std::string& schedule, const std::string& type, const std::string& param = "",
           bool enabled = true) {
    const int n = store.AddTask(schedule, type, param);
    if (!enabled) store.SetTaskEnabled(n, "禁用");
  }
  // The agent (re)starts, a new life with the same files, at 08:29:05 and
  // `minutes` on the day's clock; the counter begins anew with the boot.
  void StartAgentAt(long long minutes) {
    const long long elapsedSeconds = static_cast<long long>(timers.Now() / kSecond);
    local.startSecondOfDay = static_cast<std::uint64_t>(8 * 3600 + 29 * 60 + 5 + minutes * 60 - elapsedSeconds);
    utc.minute = 28500000 + minutes - elapsedSeconds / 60;
    system.tick = static_cast<std::uint32_t>(-static_cast<long long>(timers.Now()));
    state.Start();
    watch.Start();
  }
  // The agent ends (its window's timers go with it) ...
  void EndAgent() {
    for (MainTimer t : {MainTimer::TaskTick, MainTimer::CountdownSecond, MainTimer::TickPause}) timers.StopTimer(t);
  }
  // ... and a new one starts with the same files, the clocks running on.
  void RestartAgent() {
    EndAgent();
    state.Start();
    watch.Start();
  }
  std::vector<std::string> Entries() { return history.EntriesNewestFirst(); }

  FakeTimers timers;
  testing::FakeRegistryKey key;
  Registry reg{key};
  TaskStore store{reg};
  testing::FakeLocalClock local{timers};
  testing::FakeSystemClock system{timers};
  testing::FakeUtcClock utc{timers};
  testing::FixedDateFormat dates;
  Matchers matchers{system, dates};
  Options options;
  CallLog log;
  testing::FakeTickActions actions{log, timers};
  testing::FakeCountdownView view;
  testing::FakeSound sound;
  testing::FakeCountdownSystem countdownSystem{log};
  testing::FakePower power{log};
  SeenMinutes minutes{local, utc, system};
  TickRunState state{timers, &minutes};
  FakeNotices notices{log};
  FakeDataFile historyFile, lastPass;
  testing::IconvGbkCodec codec;
  RunHistory history{historyFile, codec, notices};
  SleepWatch sleep{system, [] {}};
  RunWatch watch{RunWatchPorts{store, dates, minutes, notices, lastPass, sleep}, history};
  testing::FakeConditionSensors sensors;
  testing::FakeAwakeClock awake{timers};
  Conditions conditions{sensors, awake};
  Countdown countdown{options, view, timers, state, sound, countdownSystem, power, watch};
  TaskTick tick{store, matchers, conditions, local, state, minutes, actions, countdown, watch};
};

TEST(RunWatch, TasksDueWhileNoAgentRanAreMissedAndRemindersShownOnceAcrossRestarts) {
  AgentWorld w;
  w.Add("每天9时0分", "提醒", "喝水");
  w.Add("每天9时30分", "关闭计算机");
  w.Add("每天9时10分", "提醒", "disabled", false);
  w.Add("空闲5分钟", "提醒", "idle");
  w.Add("一次2024/3/5日8时0分", "提醒", "before the last pass");

  w.StartAgentAt(0);  // the first start ever: nothing remembered, nothing reported
  EXPECT_EQ(w.log, CallLog{});
  EXPECT_TRUE(w.Entries().empty());
  EXPECT_EQ(w.lastPass.content, "2024-03-05 08:28 28499999\r\n");  // 08:29 is left to the first pass

  w.StartAgentAt(91);  // ended at 08:29, started again at 10:00
  EXPECT_EQ(w.log, CallLog{"ShowNotice(错过的提醒：3月5日 09:00 喝水)"});
  EXPECT_EQ(w.Entries(), (std::vector<std::string>{
                           u8"2024-03-05 09:30\t任务2\t关闭计算机\t每天9时30分\t\t错过（未运行）",
                           u8"2024-03-05 09:00\t任务1\t提醒\t每天9时0分\t喝水\t错过（未运行）",
                       }));
  EXPECT_FALSE(w.view.shown);  // nothing runs late: no countdown, no shutdown
  EXPECT_EQ(w.historyFile.content.rfind(kBom, 0), 0u);

  w.log.clear();
  w.StartAgentAt(96);  // a second restart reports nothing again
  w.timers.Advance(2 * kMinute);
  EXPECT_EQ(w.log, CallLog{});
  EXPECT_EQ(w.Entries().size(), 2u);

  w.StartAgentAt(-60);  // the clock was set back while no agent ran
  EXPECT_EQ(w.log, CallLog{});
  EXPECT_EQ(w.Entries().size(), 2u);
}

// Table: what happens to a reminder due at 08:31 while the agent runs.
TEST(RunWatch, WhileRunningDueRunsAreRanSkippedMissedOrLeftOutAfterAClockSetting) {
  const struct {
    const char* what;
    void (*during)(AgentWorld&);  // from 08:30:00 on
    std::vector<std::string> entries;
    CallLog log;
  } cases[] = {
      {"ran", [](AgentWorld&) {},
       {u8"2024-03-05 08:31\t任务1\t提醒\t每天8时31分\t喝水\t已运行：已显示提醒"},
       {"ShowNotice(喝水)"}},
      {"monitoring off over its minute",
       [](AgentWorld& t) {
         t.state.MonitoringSwitchedOff();
         t.timers.Advance(3 * kMinute);
         t.state.MonitoringSwitchedOn();
       },
       {u8"2024-03-05 08:31\t任务1\t提醒\t每天8时31分\t喝水\t已跳过（监控已关闭）"},
       {}},
      {"standby over its minute, then resume",
       [](AgentWorld& t) {
         t.timers.Busy(3 * kMinute);  // the counter and the clocks run on, no timer fires
         t.watch.OnResume();
       },
       {u8"2024-03-05 08:31\t任务1\t提醒\t每天8时31分\t喝水\t错过（未运行）"},
       {"ShowNotice(错过的提醒：3月5日 08:31 喝水)"}},
      {"monitoring off, then standby over its minute",
       [](AgentWorld& t) {
         t.state.MonitoringSwitchedOff();
         t.timers.Busy(3 * kMinute);
         t.watch.OnResume();
         t.state.MonitoringSwitchedOn();
       },
       {u8"2024-03-05 08:31\t任务1\t提醒\t每天8时31分\t喝水\t已跳过（监控已关闭）"},
       {}},
      {"a hold that ended before a standby; the overdue pass comes before the resume message",
       [](AgentWorld& t) {
         t.state.SettingsDialogOpened();
         t.state.SettingsDialogClosed();
         t.timers.Busy(3 * kMinute);
         t.timers.Advance(1);
         t.watch.OnResume();
       },
       {u8"2024-03-05 08:31\t任务1\t提醒\t每天8时31分\t喝水\t错过（未运行）"},
       {"ShowNotice(错过的提醒：3月5日 08:31 喝水)"}},
      {"a hold that ended before a standby; the resume message comes first",
       [](AgentWorld& t) {
         t.state.SettingsDialogOpened();
         t.state.SettingsDialogClosed();
         t.timers.Busy(3 * kMinute);
         t.watch.OnResume();
       },
       {u8"2024-03-05 08:31\t任务1\t提醒\t每天8时31分\t喝水\t错过（未运行）"},
       {"ShowNotice(错过的提醒：3月5日 08:31 喝水)"}},
      {"the agent restarted within its minute after it ran",
       [](AgentWorld& t) {
         t.timers.Advance(70 * kSecond);  // 08:31:10: the pass at 08:31:05 ran it
         t.RestartAgent();
       },
       {u8"2024-03-05 08:31\t任务1\t提醒\t每天8时31分\t喝水\t已运行：已显示提醒"},
       {"ShowNotice(喝水)"}},
      {"the agent ended, and started again in the last seconds of its minute",
       [](AgentWorld& t) {
         t.EndAgent();
         t.timers.Busy(112 * kSecond);  // 08:31:52; the first pass comes at 08:32:02
         t.RestartAgent();
       },
       {u8"2024-03-05 08:31\t任务1\t提醒\t每天8时31分\t喝水\t错过（未运行）"},
       {"ShowNotice(错过的提醒：3月5日 08:31 喝水)"}},
      {"clock set forward an hour over its minute",
       [](AgentWorld& t) {
         t.local.startSecondOfDay += 3600;
         t.utc.minute += 60;
         t.watch.OnTimeChanged();
       },
       {},
       {}},
      {"clock set forward without a time-change message",
       [](AgentWorld& t) {
         t.local.startSecondOfDay += 3600;
         t.utc.minute += 60;
       },
       {},
       {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    AgentWorld w;
    w.Add("每天8时31分", "提醒", "喝水");
    w.StartAgentAt(0);
    w.timers.Advance(55 * kSecond);  // passes up to 08:30:05
    c.during(w);
    w.timers.Advance(3 * kMinute);
    EXPECT_EQ(w.Entries(), c.entries);
    EXPECT_EQ(w.log, c.log);
  }
}

// Each countdown once in its minute, however soon it ends, with how it ended.
TEST(RunWatch, CountdownsAreListedOnceWithHowTheyEnded) {
  AgentWorld w;
  w.Add("每天8时30分", "关闭计算机");
  w.Add("每天8时30分", "断开拨号");  // takes the shutdown's countdown over in the same pass
  w.Add("每天8时32分", "重启计算机");
  w.Add("每天8时34分", "关闭计算机");
  w.Add("每天8时36分", "重启计算机");
  w.StartAgentAt(0);
  w.timers.Advance(70 * kSecond);  // 08:30:15: the hang-up's countdown runs
  ASSERT_TRUE(w.view.shown);
  w.countdown.DoItNow();  // the tick runs again within the minute
  w.timers.Advance(2 * kMinute);
  w.countdown.Cancel(CountdownEnd::CloseBox);  // monitoring goes off
  w.state.MonitoringSwitchedOn();
  w.timers.Advance(2 * kMinute);
  w.countdown.Cancel(CountdownEnd::CommandLine);
  w.state.MonitoringSwitchedOn();
  w.timers.Advance(2 * kMinute + 25 * kSecond);  // 08:36:40: the restart countdown has run out
  EXPECT_EQ(w.Entries(), (std::vector<std::string>{
                           u8"2024-03-05 08:36\t任务5\t重启计算机\t每天8时36分\t\t倒计时结束，已执行（时间到）",
                           u8"2024-03-05 08:36\t任务5\t重启计算机\t每天8时36分\t\t倒计时开始",
                           u8"2024-03-05 08:34\t任务4\t关闭计算机\t每天8时34分\t\t倒计时已取消（命令行/cancel）",
                           u8"2024-03-05 08:34\t任务4\t关闭计算机\t每天8时34分\t\t倒计时开始",
                           u8"2024-03-05 08:32\t任务3\t重启计算机\t每天8时32分\t\t倒计时已取消（关闭框）",
                           u8"2024-03-05 08:32\t任务3\t重启计算机\t每天8时32分\t\t倒计时开始",
                           u8"2024-03-05 08:30\t任务2\t断开拨号\t每天8时30分\t\t倒计时结束，已执行（立即执行）",
                           u8"2024-03-05 08:30\t任务2\t断开拨号\t每天8时30分\t\t倒计时开始",
                           u8"2024-03-05 08:30\t任务1\t关闭计算机\t每天8时30分\t\t倒计时已取消（另一任务的倒计时接替）",
                           u8"2024-03-05 08:30\t任务1\t关闭计算机\t每天8时30分\t\t倒计时开始",
                       }));
}

// A power action is recorded as done only when it was: one the PC cannot do
// starts no countdown; one Windows refuses is 未运行 with its error; a fast
// shutdown is written as underway before its call, which does not return
// when it works. Each that was not done is also told in a notice.
TEST(RunWatch, APowerActionIsRecordedAsDoneOnlyWhenItWas) {
  const PowerCapabilities modern{false, false, false, true}, noHibernation{true, true, false, false};
  const struct {
    const char* type;
    PowerCapabilities caps;
    std::uint32_t error;
    std::vector<std::string> entries;  // oldest first, after the type and schedule
    CallLog calls;
  } cases[] = {
      {"休眠计算机", noHibernation, 0,
       {u8"未运行（本机未启用休眠：以管理员身份运行 powercfg /h on）"},
       {"ShowNotice(本机未启用休眠：以管理员身份运行 powercfg /h on)"}},
      {"待机计算机", modern, 0,
       {u8"倒计时开始", u8"倒计时结束，已执行（时间到；现代待机：已关闭显示器，由系统进入待机）"},
       {"DisplayOff()"}},
      {"待机计算机", noHibernation, 5, {u8"倒计时开始", u8"未运行（时间到；待机失败（错误5））"},
       {"SetSystemPowerState(-1,-1)", "ShowNotice(待机失败（错误5）)"}},
      {"快速关机", noHibernation, 5,
       {u8"倒计时开始", u8"倒计时结束，正在执行（时间到）", u8"未运行（时间到；快速关机失败（错误5））"},
       {"NtShutdownSystem(2)", "ShowNotice(快速关机失败（错误5）)"}},
  };
  for (const auto& c : cases) {
    AgentWorld w;
    w.Add("每天8时30分", c.type);
    w.power.caps = c.caps;
    w.power.error = c.error;
    w.StartAgentAt(0);
    w.timers.Advance(3 * kMinute);
    std::vector<std::string> entries = w.Entries();
    std::reverse(entries.begin(), entries.end());
    for (std::string& e : entries) e = e.substr(e.rfind('\t') + 1);  // the outcome
    EXPECT_EQ(entries, c.entries) << c.type;
    EXPECT_EQ(w.log, c.calls) << c.type;
  }
}

// A cleaning that cleaned nothing, or a file refused, says why; the pause
// follows it either way.
TEST(RunWatch, ATaskThatDidNotRunSaysWhy) {
  const struct {
    const char* type;
    const char* param;
    JunkResult result;
    OpenedFile opened;
    const char* entry;
    const char* call;
  } cases[] = {
      {"清理系统垃圾", "", JunkResult::Cleaned, {}, u8"清理系统垃圾\t每天8时30分\t\t已运行：清理已结束", "CleanJunk(false)"},
      {"清理系统垃圾", "", JunkResult::OpenFolder, {},
       u8"清理系统垃圾\t每天8时30分\t\t未运行（程序文件夹他人可改，已停用清理）", "CleanJunk(false)"},
      {"清理系统垃圾", "", JunkResult::NoLog, {},
       u8"清理系统垃圾\t每天8时30分\t\t未运行（程序文件夹中无法写入清理日志）", "CleanJunk(false)"},
      {"打开文件", "tool.exe", JunkResult::Cleaned, {"程序未写文件夹", true},
       u8"打开文件\t每天8时30分\ttool.exe\t未运行（程序未写文件夹）", "OpenFile(tool.exe,)"},
  };
  for (const auto& c : cases) {
    AgentWorld w;
    w.Add("每天8时30分", c.type, c.param);
    w.actions.junkResult = c.result;
    w.actions.openFile = c.opened;
    w.StartAgentAt(0);
    w.timers.Advance(3 * kMinute);
    EXPECT_EQ(w.Entries(), std::vector<std::string>{u8"2024-03-05 08:30\t任务1\t" + std::string(c.entry)});
    EXPECT_EQ(w.log, CallLog{c.call});
  }
}

TEST(RunHistory, MissedRemindersFitOneLineOfTheNotice) {
  std::vector<RunRecord> reminders(4);
  for (int i = 0; i < 4; ++i) {
    reminders[i].due = {2024, 12, 31, 23, 57 + i};
    reminders[i].param = "第" + std::to_string(i + 1) + "条\r\n";
  }
  EXPECT_EQ(MissedRemindersNotice(reminders),
            "错过的提醒：12月31日 23:57 第1条??；12月31日 23:58 第2条??；12月31日 23:59 第3条??……共4条，见运行记录");
}

// Table: the history file as found, what an added entry makes of it, and
// whether the user is told (once, however many entries follow).
TEST(RunHistory, SizeLimitDamagedAndLockedFiles) {
  RunRecord r;
  r.due = {2024, 3, 5, 8, 30};
  r.taskNumber = 7;
  r.type = "提醒";
  r.schedule = "每天8时30分";
  r.param = "喝水";
  const std::string line = u8"2024-03-05 08:30\t任务7\t提醒\t每天8时30分\t喝水\t已运行\r\n";
  std::string old;
  for (int i = 0; i < 10; ++i) old += u8"2024-03-04 08:3" + std::to_string(i) + u8"\t任务7\t提醒\t每天\t喝水\t已运行\r\n";
  const struct {
    const char* what;
    std::string found;
    bool locked;
    std::size_t entries;  // shown after five more entries
    bool told;
  } cases[] = {
      {"new file", "", false, 5, false},
      {"over the limit: the oldest whole lines go", kBom + old + old, false, 15, false},
      {"not UTF-8 and garbage lines", kBom + std::string("\xFF\xFE garbage\r\nhello\r\n") + old, false, 15, true},
      {"locked", kBom + old, true, 0, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FakeDataFile file;
    file.content = c.found;
    file.locked = c.locked;
    CallLog log;
    FakeNotices notices{log};
    testing::IconvGbkCodec codec;
    RunHistory history(file, codec, notices, 1000);
    history.Check();
    for (int i = 0; i < 5; ++i) history.Add(r);
    const std::vector<std::string> shown = history.EntriesNewestFirst();
    EXPECT_EQ(shown.size(), c.entries);
    if (!c.locked) {
      EXPECT_LE(file.content.size(), 1000u);
      EXPECT_EQ(file.content.rfind(kBom, 0), 0u);
      EXPECT_EQ(file.content.substr(file.content.size() - line.size()), line);  // the newest last, whole
      EXPECT_EQ(shown.front() + "\r\n", line);
    }
    EXPECT_EQ(log, c.told ? CallLog{std::string("ShowNotice(") + kHistoryProblemNotice + ")"} : CallLog{});
  }
}

}  // namespace
}  // namespace ordavi
