#include "schedule/tick.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "actions/countdown.h"
#include "actions/testing/fake_countdown_ports.h"
#include "actions/testing/fake_power.h"
#include "schedule/testing/fake_clocks.h"
#include "schedule/testing/fake_conditions.h"
#include "schedule/testing/fake_run_recorder.h"
#include "schedule/testing/fake_tick_ports.h"
#include "schedule/testing/fake_timers.h"
#include "store/testing/countdown_types.h"
#include "store/testing/fake_registry.h"

namespace ordavi {
namespace {

using testing::CallLog;
using testing::FakeCountdownSystem;
using testing::FakeCountdownView;
using testing::FakeLocalClock;
using testing::FakePower;
using testing::FakeRegistryKey;
using testing::FakeSound;
using testing::FakeSystemClock;
using testing::FakeTickActions;
using testing::FakeTimers;
using testing::FixedDateFormat;
using testing::RecordingCountdownControl;

constexpr std::uint64_t kSecond = 1000;
constexpr std::uint64_t kMinute = 60 * kSecond;

// The tick's ports: the actions and the countdown's calls on one log, the
// countdown over them, the tick run state and the minutes seen, on fake
// timers; wired as the main window wires them.
struct TickPorts {
  TickPorts(FakeTimers& t, const Options& options)
      : clock(t), utc(t), counter(t), awake(t), actions(log, t), state(t, &minutes),
        countdown{options, view, t, state, sound, countdownSystem, power, recorder} {
    countdownSystem.tick = &state;
  }
  FakeLocalClock clock;
  testing::FakeUtcClock utc;
  FakeSystemClock counter;
  testing::FakeAwakeClock awake;
  SeenMinutes minutes{clock, utc, counter};
  testing::FakeConditionSensors sensors;
  Conditions conditions{sensors, awake};
  testing::NoRunRecorder recorder;
  CallLog log;
  FakeTickActions actions;
  FakeCountdownView view;
  FakeSound sound;
  FakeCountdownSystem countdownSystem{log};
  FakePower power{log};
  TickRunState state;
  Countdown countdown;
  RecordingCountdownControl countdownCalls{log, countdown};
};

// The main window's tick and countdown wired to fake timers, as the main window wires
// them to its window timers.
class TickTest : public ::testing::Test {
 protected:
  TickTest() {
    timers.OnFire(MainTimer::TaskTick, [this] { tick.RunPass(); });
    timers.OnFire(MainTimer::CountdownSecond, [this] { countdown.OnSecond(); });
    timers.OnFire(MainTimer::TickPause, [this] { state.EndPause(); });
    system.tick = 3600 * kSecond;
    system.lastInput = 3600 * kSecond;
  }

  void Add(const std::string& schedule, const std::string& type, const std::string& param = "",
           bool enabled = true) {
    const int n = store.AddTask(schedule, type, param);
    if (!enabled) store.SetTaskEnabled(n, "禁用");
  }
  // Start-up: the counter is loaded and the task tick runs.
  void Start() {
    store.LoadTaskCounter();
    state.Start();
  }
  // The times (seconds after 08:29:05) of the task tick's passes.
  std::vector<std::uint64_t> Passes() const {
    std::vector<std::uint64_t> out;
    for (const auto& e : timers.fired) {
      if (e.timer == MainTimer::TaskTick) out.push_back(e.at / kSecond);
    }
    return out;
  }
  bool On(MainTimer t) const { return timers.TimerEnabled(t); }
  // A pass on the next day, when a task of a fixed minute is due again.
  void PassNextDay(TaskTick& t) {
    local.startSecondOfDay += 86400;
    t.RunPass();
  }

  FakeTimers timers;
  FakeRegistryKey key;
  Registry reg{key};
  TaskStore store{reg};
  FakeLocalClock local{timers};
  FakeSystemClock system{timers};
  FixedDateFormat dates;
  Matchers matchers{system, dates};
  Options options;
  TickPorts rec{timers, options};
  TickRunState& state = rec.state;
  Countdown& countdown = rec.countdown;
  TaskTick tick{store, matchers, rec.conditions, local, state, rec.minutes, rec.actions, rec.countdownCalls, rec.recorder};
};

using Log = CallLog;

TEST_F(TickTest, DailyTaskRunsOnceInItsMinuteAndTheNextPassComesSeventySecondsLater) {
  store.LoadTaskCounter();
  Add("每天8时30分", "提醒", "喝水");
  Start();  // passes at 08:29:15, :25, ... 08:30:05
  timers.Advance(5 * kMinute);
  EXPECT_EQ(rec.log, Log{"ShowNotice(喝水)"});
  const auto passes = Passes();
  // The pass at 08:30:05 (60 s after start) ran it; the next one is 70 s later.
  ASSERT_GE(passes.size(), 8u);
  EXPECT_EQ(passes[5], 60u);
  EXPECT_EQ(passes[6], 130u);
  EXPECT_EQ(passes[7], 140u);
  EXPECT_TRUE(On(MainTimer::TaskTick));
  EXPECT_FALSE(On(MainTimer::TickPause));
}

// A download program runs, then ends: its reminder is shown by the first pass
// after the end and never again; a disabled task of the same condition runs
// nothing.
TEST_F(TickTest, AProgramEndRunsItsTaskOnceInThePassAfterTheEnd) {
  testing::FakeConditionSensors& sensors = rec.sensors;
  store.LoadTaskCounter();
  Add("程序结束后：dl.exe", "提醒", "下载完了");
  Add("程序结束后：dl.exe", "提醒", "禁用的", false);
  sensors.programs = std::vector<std::string>{"DL.EXE"};
  Start();
  timers.Advance(3 * kMinute);
  EXPECT_EQ(rec.log, Log{});
  sensors.programs->clear();
  timers.Advance(10 * kSecond);
  EXPECT_EQ(rec.log, Log{"ShowNotice(下载完了)"});
  timers.Advance(5 * kMinute);
  EXPECT_EQ(rec.log, Log{"ShowNotice(下载完了)"});
}

TEST_F(TickTest, DispatchesEachTypeWordAndPausesOnlyAfterImmediateTypes) {
  const struct {
    const char* type;
    const char* param;
    Log expected;
    bool pauses;
  } cases[] = {
      {"提醒", "下班了", {"ShowNotice(下班了)"}, true},
      {"打开文件", "C:\\文档\\报表.xls", {"OpenFile(C:\\文档\\报表.xls,C:\\文档\\)"}, true},
      {"打开文件", "notes.txt", {"OpenFile(notes.txt,)"}, true},  // no directory part: empty working directory
      {"打开文件", "D:x.txt", {"OpenFile(D:x.txt,D:)"}, true},
      {"关闭程序", "C:\\Program Files\\Tool\\TOOL.EXE", {"CloseProgramByName(TOOL.EXE)"}, true},
      {"拨号连接", "ignored", {"DialDefaultConnection()"}, true},
      {"禁用网卡", "本地连接", {"SetAdapterState(本地连接,false)"}, true},
      {"启用网卡", "以太网", {"SetAdapterState(以太网,true)"}, true},
      {"清理系统垃圾", "", {"CleanJunk(false)"}, true},
      {"关闭计算机", "", {"StartCountdown(关机)"}, false},
      {"断开拨号", "", {"StartCountdown(断开拨号)"}, false},
      {"", "x", {}, false},
      {"提醒 ", "x", {}, false},  // type words compare exactly
      {"关机", "x", {}, false},   // a pending word is not a type word
  };
  for (const auto& c : cases) {
    FakeRegistryKey k;
    Registry r{k};
    TaskStore s{r};
    FakeTimers t;
    FakeLocalClock lc{t};
    lc.startSecondOfDay = 8 * 3600 + 30 * 60;
    TickPorts rc{t, options};
    TaskTick tk{s, matchers, rc.conditions, lc, rc.state, rc.minutes, rc.actions, rc.countdownCalls, rc.recorder};
    s.LoadTaskCounter();
    s.AddTask("每天8时30分", c.type, c.param);
    rc.state.Start();
    tk.RunPass();
    EXPECT_EQ(rc.log, c.expected) << c.type;
    EXPECT_EQ(t.TimerEnabled(MainTimer::TickPause), c.pauses) << c.type;
    EXPECT_EQ(t.TimerEnabled(MainTimer::TaskTick), !c.pauses && !rc.countdown.CountdownRunning()) << c.type;
  }
}

TEST_F(TickTest, AnImmediateActionThatPumpsMessagesRunsOnceInItsMinute) {
  for (const char* type : {"提醒", "打开文件", "关闭程序", "拨号连接", "禁用网卡", "启用网卡"}) {
    FakeRegistryKey k;
    Registry r{k};
    TaskStore s{r};
    FakeTimers t;
    FakeLocalClock lc{t};
    TickPorts rc{t, options};
    TaskTick tk{s, matchers, rc.conditions, lc, rc.state, rc.minutes, rc.actions, rc.countdownCalls, rc.recorder};
    t.OnFire(MainTimer::TaskTick, [&] { tk.RunPass(); });
    t.OnFire(MainTimer::TickPause, [&] { rc.state.EndPause(); });
    s.LoadTaskCounter();
    s.AddTask("每天8时30分", type, "x");
    rc.state.Start();
    rc.actions.pumpMs = 40 * kSecond;  // the pass at 08:30:05 acts until 08:30:45
    t.Advance(3 * kMinute);
    EXPECT_EQ(rc.log.size(), 1u) << type;
  }
}

// Monitoring switched off and on during the pause after one reminder starts
// the tick at once; the next minute's reminder then pauses it again, for a
// full minute from that reminder, not until the end of the first pause.
TEST_F(TickTest, EachReminderRunsOnceWhenMonitoringComesBackDuringAPause) {
  Start();
  Add("每天8时30分", "提醒", "one");
  Add("每天8时31分", "提醒", "two");
  timers.Advance(105 * kSecond);  // 08:30:50: "one" ran at 08:30:05, the pause runs
  state.MonitoringSwitchedOff();  // monitoring off and on again
  state.MonitoringSwitchedOn();
  timers.Advance(3 * kMinute);
  EXPECT_EQ(rec.log, (std::vector<std::string>{"ShowNotice(one)", "ShowNotice(two)"}));
}

TEST_F(TickTest, CountdownTypesSetTheirPendingWord) {
  const struct {
    const char* type;
    const char* pending;
  } cases[] = {
      {"断开拨号", "断开拨号"}, {"注销计算机", "注销"}, {"待机计算机", "待机"}, {"休眠计算机", "休眠"},
      {"重启计算机", "重启"},   {"关闭计算机", "关机"}, {"快速重启", "快速重启"}, {"快速关机", "快速关机"},
  };
  auto pending = [](const char* type) {
    const TaskType* t = FindTaskType(type);
    return std::string(t && t->countdownWord ? t->countdownWord : "");
  };
  for (const auto& c : cases) EXPECT_EQ(pending(c.type), c.pending);
  EXPECT_EQ(pending("提醒"), "");
  EXPECT_EQ(pending("清理系统垃圾"), "");
}

TEST_F(TickTest, OnlyEnabledTasksWithAKnownKindAndAScheduleAreTested) {
  store.LoadTaskCounter();
  Add("每天8时29分", "提醒", "disabled", false);
  Add("每日8时29分", "提醒", "unknown kind");
  Add("", "提醒", "empty schedule");
  Add("每天8时29分", "提醒", "due");
  store.SetTaskEnabled(2, "启用 ");  // not exactly the enabled word
  tick.RunPass();
  EXPECT_EQ(rec.log, Log{"ShowNotice(due)"});
}

// Each pass reads TaskNum as it is now: a task another program added (a
// `reg import`) runs at its minute, and one it removed no longer does.
TEST_F(TickTest, APassTestsTheTasksStoredNowUpToTaskNum) {
  store.LoadTaskCounter();
  Add("每天8时29分", "提醒", "one");
  tick.RunPass();
  EXPECT_EQ(rec.log, Log{"ShowNotice(one)"});
  rec.log.clear();
  key.PlantString("A2", "每天8时29分");
  key.PlantString("B2", "提醒");
  key.PlantString("C2", "two");
  key.PlantString("D2", "启用");
  key.PlantDword("TaskNum", 2);
  tick.RunPass();
  EXPECT_EQ(rec.log, Log{"ShowNotice(two)"});  // task 1 has run in this minute
  rec.log.clear();
  for (const char* name : {"A2", "B2", "C2", "D2"}) key.values.erase(name);
  key.PlantDword("TaskNum", 1);
  local.startSecondOfDay += 86400;  // the next day
  tick.RunPass();
  EXPECT_EQ(rec.log, Log{"ShowNotice(one)"});
}

TEST_F(TickTest, ReminderThenShutdownInOnePassPausesAndCountsDown) {
  options.countdownSeconds = 60;
  store.LoadTaskCounter();
  Add("每天8时30分", "提醒", "关机提醒");
  Add("每天8时30分", "关闭计算机");
  Start();
  timers.Advance(60 * kSecond);  // the pass at 08:30:05
  EXPECT_EQ(rec.log, (Log{"ShowNotice(关机提醒)", "StartCountdown(关机)"}));
  EXPECT_EQ(countdown.PendingAction(), "关机");
  EXPECT_TRUE(countdown.CountdownRunning());
  EXPECT_FALSE(On(MainTimer::TaskTick));
  EXPECT_TRUE(On(MainTimer::TickPause));
  timers.Advance(60 * kSecond);
  EXPECT_EQ(rec.log.back(), "ExitWindowsEx(12,0)");
  EXPECT_FALSE(On(MainTimer::TickPause));
}

TEST_F(TickTest, ShutdownThenReminderInOnePassShutsDownAtTheEndOfTheCountdown) {
  options.countdownSeconds = 90;
  store.LoadTaskCounter();
  Add("每天8时30分", "关闭计算机");
  Add("每天8时30分", "提醒", "晚安");
  Start();
  timers.Advance(60 * kSecond);
  EXPECT_EQ(rec.log, (Log{"StartCountdown(关机)", "ShowNotice(晚安)"}));
  // The pause ends while the countdown runs: the tick stays off.
  timers.Advance(60 * kSecond);
  EXPECT_FALSE(On(MainTimer::TaskTick));
  EXPECT_FALSE(On(MainTimer::TickPause));
  EXPECT_EQ(Passes().size(), 6u);
  timers.Advance(30 * kSecond);
  EXPECT_EQ(rec.log.back(), "ExitWindowsEx(12,0)");
  EXPECT_TRUE(On(MainTimer::TaskTick));
}

TEST_F(TickTest, TheLastCountdownTaskOfAPassDecidesTheAction) {
  options.countdownSeconds = 5;
  store.LoadTaskCounter();
  Add("每天8时30分", "重启计算机");
  Add("每天8时30分", "快速关机");
  Start();
  timers.Advance(60 * kSecond);
  EXPECT_EQ(countdown.PendingAction(), "快速关机");
  timers.Advance(5 * kSecond);
  EXPECT_EQ(rec.log, (Log{"StartCountdown(重启)", "StartCountdown(快速关机)", "NtShutdownSystem(2)"}));
}

TEST_F(TickTest, NoCatchingUpForAMinuteThatPassedWhileTheTickWasStopped) {
  store.LoadTaskCounter();
  Add("每天8时30分", "提醒", "missed");
  Start();
  timers.Advance(30 * kSecond);
  state.MonitoringSwitchedOff();  // at 08:29:35
  timers.Advance(95 * kSecond);
  state.MonitoringSwitchedOn();  // at 08:31:10
  timers.Advance(5 * kMinute);
  EXPECT_TRUE(rec.log.empty());
}

TEST_F(TickTest, ALatePassInTheMinuteMakesThePauseCoverTheWholeNextMinute) {
  local.startSecondOfDay = 8 * 3600 + 30 * 60 + 45;  // the tick is switched on at 08:30:45
  store.LoadTaskCounter();
  Add("每天8时30分", "提醒", "late");
  Add("每天8时31分", "提醒", "lost");
  Start();
  timers.Advance(3 * kMinute);
  EXPECT_EQ(rec.log, Log{"ShowNotice(late)"});  // at 08:30:55; the next pass is at 08:32:05
  EXPECT_EQ(Passes()[1], 80u);
}

TEST_F(TickTest, JunkCleaningPausesFromItsEndAndLaterTasksUseThePassTime) {
  rec.actions.junkMs = 3 * kMinute;
  store.LoadTaskCounter();
  Add("每天8时30分", "清理系统垃圾");
  Add("每天8时30分", "提醒", "after");
  Start();
  timers.Advance(60 * kSecond);  // the pass at 08:30:05 ends at 08:33:05
  EXPECT_EQ(rec.log, (Log{"CleanJunk(false)", "ShowNotice(after)"}));
  timers.Advance(5 * kMinute);
  EXPECT_EQ(rec.log.size(), 2u);
  // The pause ends 60 s after the cleaning ended; the tick comes 10 s later.
  EXPECT_EQ(Passes()[6], 60u + 180u + 70u);
}

TEST_F(TickTest, IdleTaskRunsOncePerIdlePeriod) {
  system.lastInput = static_cast<std::uint32_t>(system.tick);  // last input at the start
  store.LoadTaskCounter();
  Add("空闲1分钟", "提醒", "idle");
  Start();
  timers.Advance(4 * kMinute);
  EXPECT_EQ(rec.log, Log{"ShowNotice(idle)"});  // at 60 s; after the pause the idle time is 2 minutes
  system.lastInput = static_cast<std::uint32_t>(system.tick + timers.Now());
  timers.Advance(3 * kMinute);
  EXPECT_EQ(rec.log, (Log{"ShowNotice(idle)", "ShowNotice(idle)"}));
}

// A count's minute is sixty seconds of its counter, not of the clock: a pass
// in the next clock minute can still find it (the passes keep to the clock's
// marks), and does not run the task again; a new count does.
TEST_F(TickTest, ACountingTaskRunsOnceInOneCount) {
  store.LoadTaskCounter();
  Add("空闲0分钟", "提醒", "idle");
  Add("开机1时0分", "提醒", "boot");  // the counter stands at 60 minutes
  tick.RunPass();                     // 08:29:05
  timers.Advance(59 * kSecond);       // 08:30:04: idle 59 s, uptime 60 min 59 s
  tick.RunPass();
  EXPECT_EQ(rec.log, (Log{"ShowNotice(idle)", "ShowNotice(boot)"}));
  timers.Advance(60 * kSecond);  // 08:31:04, input just now
  system.lastInput = system.TickCount();
  tick.RunPass();
  EXPECT_EQ(rec.log, (Log{"ShowNotice(idle)", "ShowNotice(boot)", "ShowNotice(idle)"}));
}

TEST_F(TickTest, TheEndOfAPauseSwitchesTheTickOnOnlyWhenNothingElseStoppedIt) {
  const struct {
    const char* what;
    bool monitoring, settingsOpen, countdown, tickOn;
  } cases[] = {
      {"nothing happened", true, false, false, true},
      {"monitoring switched off", false, false, false, false},
      {"settings dialog open", true, true, false, false},
      {"countdown running", true, false, true, false},
  };
  for (const auto& c : cases) {
    FakeTimers t;
    TickPorts rc{t, options};
    rc.state.Start();
    rc.state.StartPause();
    if (!c.monitoring) rc.state.MonitoringSwitchedOff();
    if (c.settingsOpen) rc.state.SettingsDialogOpened();
    if (c.countdown) rc.countdown.StartCountdown(*testing::CountdownTypeOf("关机"));
    rc.state.EndPause();
    EXPECT_EQ(t.TimerEnabled(MainTimer::TaskTick), c.tickOn) << c.what;
    EXPECT_FALSE(t.TimerEnabled(MainTimer::TickPause)) << c.what;
  }
}

TEST_F(TickTest, CancelledCountdownKeepsTheTickOffEvenAfterThePauseEnds) {
  store.LoadTaskCounter();
  Add("每天8时30分", "提醒", "first");
  Add("每天8时30分", "待机计算机");
  Start();
  timers.Advance(60 * kSecond);
  timers.Advance(10 * kSecond);
  countdown.Cancel();
  EXPECT_EQ(rec.log.back(), "SwitchMonitoringOff()");
  timers.Advance(10 * kMinute);
  EXPECT_FALSE(On(MainTimer::TaskTick));
  EXPECT_EQ(Passes().size(), 6u);
}

TEST_F(TickTest, FaultyScheduleIsSkippedAndReportedOncePerText) {
  store.LoadTaskCounter();
  Add("空闲分钟", "提醒", "never");      // no minutes
  Add("一次24-3-5日8时29分", "提醒");     // another date format
  Add("每天8时29分", "提醒", "still runs");
  tick.RunPass();
  EXPECT_EQ(rec.log,
            (Log{"ShowNotice(" + FaultyScheduleNotice(1, "空闲分钟") + ")",
                 "ShowNotice(" + FaultyScheduleNotice(2, "一次24-3-5日8时29分") + ")", "ShowNotice(still runs)"}));
  rec.log.clear();
  PassNextDay(tick);
  EXPECT_EQ(rec.log, Log{"ShowNotice(still runs)"});
  rec.log.clear();

  // A changed text is reported again, once; so is the old text once more.
  store.ModifyTask(1, "空闲x分钟", "提醒", "never");
  PassNextDay(tick);
  PassNextDay(tick);
  store.ModifyTask(1, "空闲分钟", "提醒", "never");
  PassNextDay(tick);
  EXPECT_EQ(rec.log, (Log{"ShowNotice(" + FaultyScheduleNotice(1, "空闲x分钟") + ")", "ShowNotice(still runs)",
                          "ShowNotice(still runs)", "ShowNotice(" + FaultyScheduleNotice(1, "空闲分钟") + ")",
                          "ShowNotice(still runs)"}));

  // A fresh agent reports it again; a disabled faulty task is never converted.
  rec.log.clear();
  store.SetTaskEnabled(2, "禁用");
  TaskTick restarted{store, matchers, rec.conditions, local, state, rec.minutes, rec.actions, rec.countdownCalls,
                     rec.recorder};
  PassNextDay(restarted);
  EXPECT_EQ(rec.log, (Log{"ShowNotice(" + FaultyScheduleNotice(1, "空闲分钟") + ")", "ShowNotice(still runs)"}));
}

TEST_F(TickTest, ValueOfTheWrongTypeSkipsItsTaskAndIsReportedOnceUntilItCanBeReadAgain) {
  const std::string dword("\x01\0\0\0", 4);
  const struct {
    const char* value;  // the value of task 1 stored as a REG_DWORD
    const char* fixed;  // the text it gets afterwards
    Log whenFixed;      // what task 1 does once it can be read
  } cases[] = {
      {"A1", "每天8时29分", {"ShowNotice(first)"}},
      {"B1", "提醒", {"ShowNotice(first)"}},
      {"C1", "first", {"ShowNotice(first)"}},
      {"D1", "启用", {"ShowNotice(first)"}},
  };
  for (const auto& c : cases) {
    FakeRegistryKey k;
    Registry r{k};
    TaskStore s{r};
    FakeTimers t;
    TickPorts rc{t, options};
    TaskTick tk{s, matchers, rc.conditions, local, rc.state, rc.minutes, rc.actions, rc.countdownCalls, rc.recorder};
    s.LoadTaskCounter();
    s.AddTask("每天8时29分", "提醒", "first");
    s.AddTask("每天8时29分", "提醒", "second");
    k.Plant(c.value, RegType::Dword, dword);

    tk.RunPass();
    PassNextDay(tk);
    EXPECT_EQ(rc.log,
              (Log{"ShowNotice(" + UnreadableTaskNotice(1, c.value) + ")", "ShowNotice(second)", "ShowNotice(second)"}))
        << c.value;

    rc.log.clear();
    k.PlantString(c.value, c.fixed);
    PassNextDay(tk);
    Log expected = c.whenFixed;
    expected.push_back("ShowNotice(second)");
    EXPECT_EQ(rc.log, expected) << c.value;

    // Broken again after a pass that could read it: reported again, once.
    rc.log.clear();
    k.Plant(c.value, RegType::Binary, "\x05");
    PassNextDay(tk);
    PassNextDay(tk);
    EXPECT_EQ(rc.log,
              (Log{"ShowNotice(" + UnreadableTaskNotice(1, c.value) + ")", "ShowNotice(second)", "ShowNotice(second)"}))
        << c.value;
  }
}

TEST_F(TickTest, UnreadableTypeOrParameterIsNoticedOnlyWhenTheTaskIsDue) {
  store.LoadTaskCounter();
  Add("每天9时0分", "提醒", "later");
  key.Plant("B1", RegType::Dword, std::string(4, '\0'));
  key.Plant("C1", RegType::Dword, std::string(4, '\0'));
  tick.RunPass();
  EXPECT_TRUE(rec.log.empty());
  // A countdown type reads no parameter: a broken C does not hold it up.
  Add("每天8时29分", "关闭计算机");
  key.Plant("C2", RegType::Dword, std::string(4, '\0'));
  tick.RunPass();
  EXPECT_EQ(rec.log, Log{"StartCountdown(关机)"});
}

}  // namespace
}  // namespace ordavi
