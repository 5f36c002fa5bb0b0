#include "schedule/tick.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "actions/countdown.h"
#include "schedule/testing/fake_timers.h"
#include "store/testing/countdown_types.h"
#include "store/testing/fake_registry.h"

namespace ordavi {
namespace {

using testing::FakeRegistryKey;
using testing::FakeTimers;

constexpr std::uint64_t kSecond = 1000;
constexpr std::uint64_t kMinute = 60 * kSecond;

// The local time runs with the fake timers' clock from Tuesday 5 March 2024,
// 08:29:05.
struct FakeLocalClock : LocalClock {
  explicit FakeLocalClock(FakeTimers& t) : timers(t) {}
  ScheduleNow LocalTime() override {
    const std::uint64_t s = startSecondOfDay + timers.Now() / 1000;
    ScheduleNow now;
    now.year = 2024;
    now.month = 3;
    now.day = static_cast<std::uint16_t>(5 + s / 86400);
    now.dayOfWeek = static_cast<std::uint16_t>((2 + s / 86400) % 7);
    now.hour = static_cast<std::uint16_t>(s % 86400 / 3600);
    now.minute = static_cast<std::uint16_t>(s % 3600 / 60);
    now.second = static_cast<std::uint16_t>(s % 60);
    return now;
  }
  FakeTimers& timers;
  std::uint64_t startSecondOfDay = 8 * 3600 + 29 * 60 + 5;
};

struct FakeSystemClock : SystemClock {
  explicit FakeSystemClock(FakeTimers& t) : timers(t) {}
  std::uint32_t TickCount() override { return static_cast<std::uint32_t>(bootTick + timers.Now()); }
  std::uint32_t LastInputTick() override { return lastInput; }
  FakeTimers& timers;
  std::uint64_t bootTick = 3600 * kSecond;
  std::uint32_t lastInput = 3600 * kSecond;
};

struct FixedDates : DateFormatSource {
  std::string ShortDateFormat() override { return "yyyy/M/d"; }
};

// Records every action, and the countdown's power and dial-up calls, in one log.
struct Recorder : TickActions, CountdownView, SoundPlayer, CountdownSystem, PowerSystem {
  explicit Recorder(FakeTimers& t) : timers(t) {}
  void Log(const std::string& s) { log.push_back(s); }

  void ShowNotice(const std::string& text) override { Act("notice " + text); }
  void OpenFile(const std::string& path, const std::string& dir) override { Act("open " + path + " in " + dir); }
  void CloseProgramByName(const std::string& name) override { Act("close " + name); }
  void DialDefaultConnection() override { Act("dial"); }
  void SetAdapterState(const std::string& name, bool enable) override {
    Act("adapter " + name + (enable ? " on" : " off"));
  }
  // An immediate action; with pumpMs set it runs a message loop that long
  // (as dialling does), so the timers go on firing inside it.
  void Act(const std::string& s) {
    Log(s);
    if (pumpMs == 0) return;
    const std::uint64_t ms = pumpMs;
    pumpMs = 0;
    timers.Advance(ms);
  }
  void CleanJunk(bool openLog) override {
    Log(openLog ? "junk+log" : "junk");
    timers.Busy(junkMs);
  }

  void SetWindowCaption(const std::string&) override {}
  void SetMessage(const std::string&) override {}
  void SetSecondsLeft(const std::string&) override {}
  void SetDoItNowCaption(const std::string& text) override { Log("countdown " + text); }
  void SetCancelCaption(const std::string&) override {}
  void SetProgress(std::int32_t, std::int32_t) override {}
  void Show() override {}
  void Hide() override {}
  void Play(const std::string&, std::uint32_t) override {}
  void Stop() override {}
  // As the agent does it: monitoring off holds the tick.
  void SwitchMonitoringOff() override {
    monitoring = false;
    if (state) state->MonitoringSwitchedOff();
  }
  void CloseAllPrograms() override { Log("close all"); }
  void HangUpDialup() override { Log("hang up"); }
  void ExitWindowsEx(std::uint32_t flags, std::uint32_t) override { Log("ExitWindowsEx " + std::to_string(flags)); }
  void SetSystemPowerState(std::int32_t s, std::int32_t) override { Log("SetSystemPowerState " + std::to_string(s)); }
  void NtShutdownSystem(std::int32_t a) override { Log("NtShutdownSystem " + std::to_string(a)); }

  FakeTimers& timers;
  std::vector<std::string> log;
  std::uint64_t junkMs = 0;
  std::uint64_t pumpMs = 0;
  bool monitoring = true;
  TickRunState* state = nullptr;
};

// The main window's tick and countdown wired to fake timers, as the main window wires
// them to its window timers.
class TickTest : public ::testing::Test {
 protected:
  TickTest() {
    timers.OnFire(MainTimer::TaskTick, [this] { tick.RunPass(); });
    timers.OnFire(MainTimer::CountdownSecond, [this] { countdown.OnSecond(); });
    timers.OnFire(MainTimer::TickPause, [this] { state.EndPause(); });
    rec.state = &state;
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

  FakeTimers timers;
  FakeRegistryKey key;
  Registry reg{key};
  TaskStore store{reg};
  FakeLocalClock local{timers};
  FakeSystemClock system{timers};
  FixedDates dates;
  Matchers matchers{system, dates};
  Recorder rec{timers};
  Options options;
  TickRunState state{timers};
  Countdown countdown{options, rec, timers, state, rec, rec, rec};
  TaskTick tick{store, matchers, local, state, rec, countdown};
};

using Log = std::vector<std::string>;

TEST_F(TickTest, DailyTaskRunsOnceInItsMinuteAndTheNextPassComesSeventySecondsLater) {
  store.LoadTaskCounter();
  Add("每天8时30分", "提醒", "喝水");
  Start();  // passes at 08:29:15, :25, ... 08:30:05
  timers.Advance(5 * kMinute);
  EXPECT_EQ(rec.log, Log{"notice 喝水"});
  const auto passes = Passes();
  // The pass at 08:30:05 (60 s after start) ran it; the next one is 70 s later.
  ASSERT_GE(passes.size(), 8u);
  EXPECT_EQ(passes[5], 60u);
  EXPECT_EQ(passes[6], 130u);
  EXPECT_EQ(passes[7], 140u);
  EXPECT_TRUE(On(MainTimer::TaskTick));
  EXPECT_FALSE(On(MainTimer::TickPause));
}

TEST_F(TickTest, DispatchesEachTypeWordAndPausesOnlyAfterImmediateTypes) {
  const struct {
    const char* type;
    const char* param;
    Log expected;
    bool pauses;
  } cases[] = {
      {"提醒", "下班了", {"notice 下班了"}, true},
      {"打开文件", "C:\\文档\\报表.xls", {"open C:\\文档\\报表.xls in C:\\文档\\"}, true},
      {"打开文件", "notes.txt", {"open notes.txt in "}, true},  // no directory part: empty working directory
      {"打开文件", "D:x.txt", {"open D:x.txt in D:"}, true},
      {"关闭程序", "C:\\Program Files\\Tool\\TOOL.EXE", {"close TOOL.EXE"}, true},
      {"拨号连接", "ignored", {"dial"}, true},
      {"禁用网卡", "本地连接", {"adapter 本地连接 off"}, true},
      {"启用网卡", "以太网", {"adapter 以太网 on"}, true},
      {"清理系统垃圾", "", {"junk"}, true},
      {"关闭计算机", "", {"countdown 立即关机"}, false},
      {"断开拨号", "", {"countdown 立即断开拨号"}, false},
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
    Recorder rc{t};
    TickRunState ts{t};
    rc.state = &ts;
    Countdown cd{options, rc, t, ts, rc, rc, rc};
    TaskTick tk{s, matchers, lc, ts, rc, cd};
    s.LoadTaskCounter();
    s.AddTask("每天8时30分", c.type, c.param);
    ts.Start();
    tk.RunPass();
    EXPECT_EQ(rc.log, c.expected) << c.type;
    EXPECT_EQ(t.TimerEnabled(MainTimer::TickPause), c.pauses) << c.type;
    EXPECT_EQ(t.TimerEnabled(MainTimer::TaskTick), !c.pauses && !cd.CountdownRunning()) << c.type;
  }
}

TEST_F(TickTest, AnImmediateActionThatPumpsMessagesRunsOnceInItsMinute) {
  for (const char* type : {"提醒", "打开文件", "关闭程序", "拨号连接", "禁用网卡", "启用网卡"}) {
    FakeRegistryKey k;
    Registry r{k};
    TaskStore s{r};
    FakeTimers t;
    FakeLocalClock lc{t};
    Recorder rc{t};
    TickRunState ts{t};
    rc.state = &ts;
    Countdown cd{options, rc, t, ts, rc, rc, rc};
    TaskTick tk{s, matchers, lc, ts, rc, cd};
    t.OnFire(MainTimer::TaskTick, [&] { tk.RunPass(); });
    t.OnFire(MainTimer::TickPause, [&] { ts.EndPause(); });
    s.LoadTaskCounter();
    s.AddTask("每天8时30分", type, "x");
    ts.Start();
    rc.pumpMs = 40 * kSecond;   // the pass at 08:30:05 acts until 08:30:45
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
  EXPECT_EQ(rec.log, (std::vector<std::string>{"notice one", "notice two"}));
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
  EXPECT_EQ(rec.log, Log{"notice due"});
}

TEST_F(TickTest, PassTestsOnlyTasksUpToTheCounter) {
  store.LoadTaskCounter();
  Add("每天8时29分", "提醒", "one");
  key.PlantString("A2", "每天8时29分");  // left behind beyond TaskNum
  key.PlantString("B2", "提醒");
  key.PlantString("D2", "启用");
  tick.RunPass();
  EXPECT_EQ(rec.log, Log{"notice one"});
}

TEST_F(TickTest, ReminderThenShutdownInOnePassPausesAndCountsDown) {
  options.countdownSeconds = 60;
  store.LoadTaskCounter();
  Add("每天8时30分", "提醒", "关机提醒");
  Add("每天8时30分", "关闭计算机");
  Start();
  timers.Advance(60 * kSecond);  // the pass at 08:30:05
  EXPECT_EQ(rec.log, (Log{"notice 关机提醒", "countdown 立即关机"}));
  EXPECT_EQ(countdown.PendingAction(), "关机");
  EXPECT_TRUE(countdown.CountdownRunning());
  EXPECT_FALSE(On(MainTimer::TaskTick));
  EXPECT_TRUE(On(MainTimer::TickPause));
  timers.Advance(60 * kSecond);
  EXPECT_EQ(rec.log.back(), "ExitWindowsEx 12");
  EXPECT_FALSE(On(MainTimer::TickPause));
}

TEST_F(TickTest, ShutdownThenReminderInOnePassShutsDownAtTheEndOfTheCountdown) {
  options.countdownSeconds = 90;
  store.LoadTaskCounter();
  Add("每天8时30分", "关闭计算机");
  Add("每天8时30分", "提醒", "晚安");
  Start();
  timers.Advance(60 * kSecond);
  EXPECT_EQ(rec.log, (Log{"countdown 立即关机", "notice 晚安"}));
  // The pause ends while the countdown runs: the tick stays off.
  timers.Advance(60 * kSecond);
  EXPECT_FALSE(On(MainTimer::TaskTick));
  EXPECT_FALSE(On(MainTimer::TickPause));
  EXPECT_EQ(Passes().size(), 6u);
  timers.Advance(30 * kSecond);
  EXPECT_EQ(rec.log.back(), "ExitWindowsEx 12");
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
  EXPECT_EQ(rec.log, (Log{"countdown 立即重启", "countdown 立即快速关机", "NtShutdownSystem 2"}));
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
  EXPECT_EQ(rec.log, Log{"notice late"});  // at 08:30:55; the next pass is at 08:32:05
  EXPECT_EQ(Passes()[1], 80u);
}

TEST_F(TickTest, JunkCleaningPausesFromItsEndAndLaterTasksUseThePassTime) {
  rec.junkMs = 3 * kMinute;
  store.LoadTaskCounter();
  Add("每天8时30分", "清理系统垃圾");
  Add("每天8时30分", "提醒", "after");
  Start();
  timers.Advance(60 * kSecond);  // the pass at 08:30:05 ends at 08:33:05
  EXPECT_EQ(rec.log, (Log{"junk", "notice after"}));
  timers.Advance(5 * kMinute);
  EXPECT_EQ(rec.log.size(), 2u);
  // The pause ends 60 s after the cleaning ended; the tick comes 10 s later.
  EXPECT_EQ(Passes()[6], 60u + 180u + 70u);
}

TEST_F(TickTest, IdleTaskRunsOncePerIdlePeriod) {
  system.lastInput = static_cast<std::uint32_t>(system.bootTick);  // last input at the start
  store.LoadTaskCounter();
  Add("空闲1分钟", "提醒", "idle");
  Start();
  timers.Advance(4 * kMinute);
  EXPECT_EQ(rec.log, Log{"notice idle"});  // at 60 s; after the pause the idle time is 2 minutes
  system.lastInput = static_cast<std::uint32_t>(system.bootTick + timers.Now());
  timers.Advance(3 * kMinute);
  EXPECT_EQ(rec.log, (Log{"notice idle", "notice idle"}));
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
    Recorder rc{t};
    TickRunState ts{t};
    rc.state = &ts;
    Countdown cd{options, rc, t, ts, rc, rc, rc};
    ts.Start();
    ts.StartPause();
    if (!c.monitoring) ts.MonitoringSwitchedOff();
    if (c.settingsOpen) ts.SettingsDialogOpened();
    if (c.countdown) cd.StartCountdown(*testing::CountdownTypeOf("关机"));
    ts.EndPause();
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
  EXPECT_FALSE(rec.monitoring);
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
  EXPECT_EQ(rec.log, (Log{"notice " + FaultyScheduleNotice(1, "空闲分钟"),
                          "notice " + FaultyScheduleNotice(2, "一次24-3-5日8时29分"), "notice still runs"}));
  rec.log.clear();
  tick.RunPass();
  EXPECT_EQ(rec.log, Log{"notice still runs"});
  rec.log.clear();

  // A changed text is reported again, once; so is the old text once more.
  store.ModifyTask(1, "空闲x分钟", "提醒", "never");
  tick.RunPass();
  tick.RunPass();
  store.ModifyTask(1, "空闲分钟", "提醒", "never");
  tick.RunPass();
  EXPECT_EQ(rec.log, (Log{"notice " + FaultyScheduleNotice(1, "空闲x分钟"), "notice still runs", "notice still runs",
                          "notice " + FaultyScheduleNotice(1, "空闲分钟"), "notice still runs"}));

  // A fresh agent reports it again; a disabled faulty task is never converted.
  rec.log.clear();
  store.SetTaskEnabled(2, "禁用");
  TaskTick restarted{store, matchers, local, state, rec, countdown};
  restarted.RunPass();
  EXPECT_EQ(rec.log, (Log{"notice " + FaultyScheduleNotice(1, "空闲分钟"), "notice still runs"}));
}

TEST_F(TickTest, ValueOfTheWrongTypeSkipsItsTaskAndIsReportedOnceUntilItCanBeReadAgain) {
  const std::string dword("\x01\0\0\0", 4);
  const struct {
    const char* value;  // the value of task 1 stored as a REG_DWORD
    const char* fixed;  // the text it gets afterwards
    Log whenFixed;      // what task 1 does once it can be read
  } cases[] = {
      {"A1", "每天8时29分", {"notice first"}},
      {"B1", "提醒", {"notice first"}},
      {"C1", "first", {"notice first"}},
      {"D1", "启用", {"notice first"}},
  };
  for (const auto& c : cases) {
    FakeRegistryKey k;
    Registry r{k};
    TaskStore s{r};
    FakeTimers t;
    Recorder rc{t};
    TickRunState ts{t};
    rc.state = &ts;
    Countdown cd{options, rc, t, ts, rc, rc, rc};
    TaskTick tk{s, matchers, local, ts, rc, cd};
    s.LoadTaskCounter();
    s.AddTask("每天8时29分", "提醒", "first");
    s.AddTask("每天8时29分", "提醒", "second");
    k.Plant(c.value, RegType::Dword, dword);

    tk.RunPass();
    tk.RunPass();
    EXPECT_EQ(rc.log, (Log{"notice " + UnreadableTaskNotice(1, c.value), "notice second", "notice second"}))
        << c.value;

    rc.log.clear();
    k.PlantString(c.value, c.fixed);
    tk.RunPass();
    Log expected = c.whenFixed;
    expected.push_back("notice second");
    EXPECT_EQ(rc.log, expected) << c.value;

    // Broken again after a pass that could read it: reported again, once.
    rc.log.clear();
    k.Plant(c.value, RegType::Binary, "\x05");
    tk.RunPass();
    tk.RunPass();
    EXPECT_EQ(rc.log, (Log{"notice " + UnreadableTaskNotice(1, c.value), "notice second", "notice second"}))
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
  EXPECT_EQ(rec.log, Log{"countdown 立即关机"});
}

}  // namespace
}  // namespace ordavi
