#include "actions/countdown.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "schedule/testing/fake_timers.h"
#include "store/testing/countdown_types.h"

namespace ordavi {
namespace {

using testing::FakeTimers;
using Log = std::vector<std::string>;

// The countdown window as the user sees it, and every call to the outside.
struct FakeWindow : CountdownView, SoundPlayer, CountdownSystem, PowerSystem {
  void SetWindowCaption(const std::string& t) override { caption = t; }
  void SetMessage(const std::string& t) override { label1 = t; }
  void SetSecondsLeft(const std::string& t) override { label2 = t; }
  void SetDoItNowCaption(const std::string& t) override { button1 = t; }
  void SetCancelCaption(const std::string& t) override { button2 = t; }
  void SetProgress(std::int32_t p, std::int32_t m) override {
    position = p;
    maximum = m;
  }
  void Show() override { shown = true; }
  void Hide() override { shown = false; }

  void Play(const std::string& name, std::uint32_t flags) override {
    char hex[16];
    std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(flags));
    calls.push_back("PlaySoundA(" + name + "," + hex + ")");
  }
  void Stop() override { calls.push_back("PlaySoundA(NULL)"); }
  // As the agent does it: monitoring off holds the tick.
  void SwitchMonitoringOff() override {
    calls.push_back("monitoring off");
    if (tick) tick->MonitoringSwitchedOff();
  }
  void CloseAllPrograms() override { calls.push_back("CloseAllPrograms"); }
  void HangUpDialup() override { calls.push_back("HangUpDialup"); }
  void ExitWindowsEx(std::uint32_t f, std::uint32_t) override { calls.push_back("ExitWindowsEx " + std::to_string(f)); }
  void SetSystemPowerState(std::int32_t s, std::int32_t f) override {
    calls.push_back("SetSystemPowerState " + std::to_string(s) + "," + std::to_string(f));
  }
  void NtShutdownSystem(std::int32_t a) override { calls.push_back("NtShutdownSystem " + std::to_string(a)); }

  std::string caption, label1, label2, button1, button2;
  std::int32_t position = -1, maximum = -1;
  bool shown = false;
  Log calls;
  TickRunState* tick = nullptr;
};

class CountdownTest : public ::testing::Test {
 protected:
  CountdownTest() {
    timers.OnFire(MainTimer::CountdownSecond, [this] { countdown.OnSecond(); });
    w.tick = &tick;
    tick.Start();  // the tick runs when a task starts a countdown
  }
  void Start(const std::string& word) { countdown.StartCountdown(*testing::CountdownTypeOf(word)); }
  bool On(MainTimer t) const { return timers.TimerEnabled(t); }

  FakeTimers timers;
  TickRunState tick{timers};
  FakeWindow w;
  Options options;
  Countdown countdown{options, w, timers, tick, w, w, w};
};

TEST_F(CountdownTest, CaptionsNameTheWord) {
  countdown.ShowCaptionsFor("关机");
  EXPECT_EQ(w.button1, "立即关机");
  EXPECT_EQ(w.button2, "取消关机");
  EXPECT_EQ(w.label1, "要想取消关机，请按下<取消关机>按钮:剩余");
  EXPECT_EQ(w.caption, "Windows 正在准备关机...");
  countdown.ShowCaptionsFor("断开拨号");
  EXPECT_EQ(w.label1, "要想取消断开拨号，请按下<取消断开拨号>按钮:剩余");
  EXPECT_EQ(w.caption, "Windows 正在准备断开拨号...");
}

TEST_F(CountdownTest, SixtySecondsCountDownThenTheActionFollowsInTheLastTick) {
  Start("关机");
  EXPECT_TRUE(w.shown);
  EXPECT_TRUE(countdown.CountdownRunning());
  EXPECT_FALSE(On(MainTimer::TaskTick));
  EXPECT_EQ(w.label2, "");  // nothing until the first tick
  EXPECT_EQ(w.maximum, 60);
  timers.Advance(1000);
  EXPECT_EQ(w.label2, "59 秒");
  EXPECT_EQ(w.position, 1);
  timers.Advance(58 * 1000);
  EXPECT_EQ(w.label2, "1 秒");
  EXPECT_TRUE(w.calls.empty());
  timers.Advance(1000);
  EXPECT_EQ(w.label2, "0 秒");
  EXPECT_EQ(w.calls, Log{"ExitWindowsEx 12"});
  EXPECT_FALSE(w.shown);
  EXPECT_EQ(w.position, 0);
  EXPECT_EQ(countdown.Position(), 0);
  EXPECT_TRUE(On(MainTimer::TaskTick));
  EXPECT_FALSE(countdown.CountdownRunning());
  EXPECT_EQ(countdown.PendingAction(), "关机");  // the word stays
}

TEST_F(CountdownTest, ZeroSecondsCompletesOnTheFirstTick) {
  options.countdownSeconds = 0;
  Start("重启");
  EXPECT_EQ(w.maximum, 0);
  timers.Advance(999);
  EXPECT_TRUE(w.calls.empty());
  timers.Advance(1);
  EXPECT_EQ(w.label2, "0 秒");
  EXPECT_EQ(w.position, 0);
  EXPECT_EQ(w.calls, Log{"ExitWindowsEx 6"});
}

TEST_F(CountdownTest, Label2KeepsThePreviousCountdownsTextUntilTheFirstTick) {
  options.countdownSeconds = 2;
  Start("注销");
  timers.Advance(2000);
  EXPECT_EQ(w.label2, "0 秒");
  Start("注销");
  EXPECT_EQ(w.label2, "0 秒");
  timers.Advance(1000);
  EXPECT_EQ(w.label2, "1 秒");
}

TEST_F(CountdownTest, ShorterCountdownSetWhileRunningCompletesAtTheHeldMaximum) {
  Start("关机");
  timers.Advance(30 * 1000);
  options.countdownSeconds = 10;  // the settings dialog saved a shorter wait
  timers.Advance(1000);
  EXPECT_EQ(w.label2, "0 秒");
  EXPECT_EQ(w.calls, Log{"ExitWindowsEx 12"});
}

TEST_F(CountdownTest, SecondStartWhileRunningKeepsCountingWithTheNewWord) {
  options.soundPath = "C:\\w.wav";
  Start("重启");
  timers.Advance(20 * 1000);
  Start("快速关机");
  EXPECT_EQ(w.button1, "立即快速关机");
  EXPECT_EQ(countdown.Position(), 20);
  timers.Advance(40 * 1000);
  EXPECT_EQ(w.calls, (Log{"PlaySoundA(C:\\w.wav,00020009)", "PlaySoundA(C:\\w.wav,00020009)", "PlaySoundA(NULL)",
                          "NtShutdownSystem 2"}));
}

TEST_F(CountdownTest, SoundLoopsDuringTheCountdownAndStopsWhenItCompletes) {
  options.soundPath = "D:\\声音\\alarm.wav";
  options.countdownSeconds = 3;
  Start("待机");
  EXPECT_EQ(w.calls, Log{"PlaySoundA(D:\\声音\\alarm.wav,00020009)"});
  timers.Advance(3000);
  EXPECT_EQ(w.calls, (Log{"PlaySoundA(D:\\声音\\alarm.wav,00020009)", "PlaySoundA(NULL)", "SetSystemPowerState -1,-1"}));
}

TEST_F(CountdownTest, NoSoundPathNoSoundCallsExceptTheCancel) {
  Start("关机");
  countdown.DoItNow();
  EXPECT_EQ(w.calls, Log{"ExitWindowsEx 12"});
  w.calls.clear();
  Start("关机");
  countdown.Cancel();
  EXPECT_EQ(w.calls, (Log{"PlaySoundA(,00000000)", "monitoring off"}));
}

TEST_F(CountdownTest, DoItNowPlaysOnceThenActsAndRestartsTheTick) {
  options.soundPath = "C:\\a.wav";
  Start("快速重启");
  timers.Advance(5000);
  countdown.DoItNow();
  EXPECT_EQ(w.calls, (Log{"PlaySoundA(C:\\a.wav,00020009)", "PlaySoundA(C:\\a.wav,00000000)", "NtShutdownSystem 1"}));
  EXPECT_FALSE(w.shown);
  EXPECT_EQ(countdown.Position(), 0);
  EXPECT_TRUE(On(MainTimer::TaskTick));
  EXPECT_FALSE(On(MainTimer::CountdownSecond));
}

TEST_F(CountdownTest, CancelSwitchesMonitoringOffAndDoesNothing) {
  options.soundPath = "C:\\a.wav";
  Start("关机");
  timers.Advance(10 * 1000);
  countdown.Cancel();
  EXPECT_EQ(w.calls, (Log{"PlaySoundA(C:\\a.wav,00020009)", "PlaySoundA(C:\\a.wav,00000000)", "monitoring off"}));
  EXPECT_FALSE(w.shown);
  EXPECT_EQ(w.position, 0);
  EXPECT_FALSE(On(MainTimer::TaskTick));
  EXPECT_FALSE(On(MainTimer::CountdownSecond));
  timers.Advance(5 * 60 * 1000);
  EXPECT_EQ(w.calls.size(), 3u);
  // The next countdown starts from zero.
  Start("关机");
  timers.Advance(1000);
  EXPECT_EQ(w.label2, "59 秒");
}

TEST_F(CountdownTest, ProgramsAreAskedToCloseOnlyBeforeStandbyOrHibernateWithShutappOne) {
  const struct {
    const char* word;
    std::int32_t shutapp;
    bool closes;
  } cases[] = {
      {"待机", 1, true},  {"休眠", 1, true},  {"待机", 0, false},     {"休眠", 2, false},
      {"关机", 1, false}, {"注销", 1, false}, {"断开拨号", 1, false}, {"快速关机", 1, false},
  };
  for (const auto& c : cases) {
    FakeWindow fw;
    FakeTimers t;
    TickRunState ts{t};
    Options o;
    o.closeProgramsFirst = c.shutapp;
    Countdown cd{o, fw, t, ts, fw, fw, fw};
    cd.StartCountdown(*testing::CountdownTypeOf(c.word));
    EXPECT_EQ(fw.calls == Log{"CloseAllPrograms"}, c.closes) << c.word << " " << c.shutapp;
    // Programs asked to close stay asked when the countdown is cancelled.
    cd.Cancel();
    EXPECT_EQ(!fw.calls.empty() && fw.calls.front() == "CloseAllPrograms", c.closes);
  }
}

TEST_F(CountdownTest, RunPendingActionCarriesOutExactlyTheNamedWord) {
  const struct {
    const char* word;
    Log calls;
  } cases[] = {
      {"注销", {"ExitWindowsEx 4"}},
      {"待机", {"SetSystemPowerState -1,-1"}},
      {"休眠", {"SetSystemPowerState 0,-1"}},
      {"重启", {"ExitWindowsEx 6"}},
      {"关机", {"ExitWindowsEx 12"}},
      {"断开拨号", {"HangUpDialup"}},
      {"快速重启", {"NtShutdownSystem 1"}},
      {"快速关机", {"NtShutdownSystem 2"}},
      {"", {}},
      {"关闭计算机", {}},
      {"关机 ", {}},
  };
  // Nothing is pending before the first countdown.
  countdown.RunPendingAction();
  EXPECT_TRUE(w.calls.empty());
  for (const auto& c : cases) {
    // A word that names no countdown type cannot become the pending action.
    const TaskType* type = testing::CountdownTypeOf(c.word);
    w.calls.clear();
    if (type) {
      countdown.StartCountdown(*type);
      w.calls.clear();
      countdown.RunPendingAction();
    }
    EXPECT_EQ(w.calls, c.calls) << c.word;
  }
}

}  // namespace
}  // namespace ordavi
