#include "actions/power.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "actions/testing/fake_power.h"
#include "store/testing/countdown_types.h"

namespace ordavi {
namespace {

using testing::CallLog;
using testing::FakePower;

// The power action the countdown ends in for a pending word, from the
// task-type table.
std::optional<PowerAction> PowerActionForWord(const std::string& word) {
  const TaskType* type = testing::CountdownTypeOf(word);
  return type ? type->power : std::nullopt;
}

TEST(PowerAction, EachActionIsExactlyOneCallWithFixedArguments) {
  const struct {
    const char* word;
    const char* call;
  } cases[] = {
      {"注销", "ExitWindowsEx(4,0)"},          {"待机", "SetSystemPowerState(-1,-1)"},
      {"休眠", "SetSystemPowerState(0,-1)"},   {"重启", "ExitWindowsEx(6,0)"},
      {"关机", "ExitWindowsEx(12,0)"},         {"快速重启", "NtShutdownSystem(1)"},
      {"快速关机", "NtShutdownSystem(2)"},
  };
  for (const auto& c : cases) {
    FakePower sys;
    const auto action = PowerActionForWord(c.word);
    ASSERT_TRUE(action.has_value()) << c.call;
    PerformPowerAction(*action, sys);
    EXPECT_EQ(sys.log, CallLog{c.call});
  }
}

TEST(PowerAction, OtherWordsNameNoAction) {
  EXPECT_FALSE(PowerActionForWord("").has_value());
  EXPECT_FALSE(PowerActionForWord("断开拨号").has_value());  // the hang-up is not a power action
  EXPECT_FALSE(PowerActionForWord("关闭计算机").has_value());  // a type word, not a pending word
}

// Every combination of what a PC can do, for each power action: a standby
// or hibernation the PC cannot do calls nothing (never something harsher)
// and says why and what to do; a standby on a Modern Standby PC turns the
// display off; every other action, and any action where Windows cannot say,
// is its own call.
TEST(PowerAction, WhatThePcCanDoDecidesTheCallForEachCombination) {
  const char* const kSleep = "SetSystemPowerState(-1,-1)";
  const char* const kHibernate = "SetSystemPowerState(0,-1)";
  const char* const kOff = "DisplayOff()";
  const std::string noSleep = "本机不支持待机（powercfg /a 查看原因）";
  const std::string hibernationOff = "本机未启用休眠：以管理员身份运行 powercfg /h on";
  const std::string noHibernate = "本机不支持休眠（powercfg /a 查看原因）";
  const std::string modern = "现代待机：已关闭显示器，由系统进入待机";
  const struct {
    bool sleep, hibernate, hiberFile, modernStandby;
    const char* standbyCall;  // null: nothing called
    std::string standbyNote;
    const char* hibernateCall;
    std::string hibernateNote;
  } rows[] = {
      // sleep  S4     file   AoAc
      {false, false, false, false, nullptr, noSleep, nullptr, hibernationOff},
      {false, false, false, true, kOff, modern, nullptr, hibernationOff},
      {false, false, true, false, nullptr, noSleep, nullptr, noHibernate},
      {false, false, true, true, kOff, modern, nullptr, noHibernate},
      {false, true, false, false, nullptr, noSleep, nullptr, hibernationOff},
      {false, true, false, true, kOff, modern, nullptr, hibernationOff},
      {false, true, true, false, nullptr, noSleep, kHibernate, ""},
      {false, true, true, true, kOff, modern, kHibernate, ""},
      {true, false, false, false, kSleep, "", nullptr, hibernationOff},
      {true, false, false, true, kSleep, "", nullptr, hibernationOff},
      {true, false, true, false, kSleep, "", nullptr, noHibernate},
      {true, false, true, true, kSleep, "", nullptr, noHibernate},
      {true, true, false, false, kSleep, "", nullptr, hibernationOff},
      {true, true, false, true, kSleep, "", nullptr, hibernationOff},
      {true, true, true, false, kSleep, "", kHibernate, ""},
      {true, true, true, true, kSleep, "", kHibernate, ""},
  };
  const struct {
    PowerAction action;
    const char* call;
  } others[] = {{PowerAction::LogOff, "ExitWindowsEx(4,0)"},     {PowerAction::Restart, "ExitWindowsEx(6,0)"},
                {PowerAction::ShutDown, "ExitWindowsEx(12,0)"},   {PowerAction::FastRestart, "NtShutdownSystem(1)"},
                {PowerAction::FastShutdown, "NtShutdownSystem(2)"}};
  for (const auto& r : rows) {
    SCOPED_TRACE(::testing::Message() << r.sleep << r.hibernate << r.hiberFile << r.modernStandby);
    const PowerCapabilities caps{r.sleep, r.hibernate, r.hiberFile, r.modernStandby};
    for (const auto& [action, call, note] :
         {std::tuple<PowerAction, const char*, std::string>{PowerAction::Standby, r.standbyCall, r.standbyNote},
          {PowerAction::Hibernate, r.hibernateCall, r.hibernateNote}}) {
      FakePower sys;
      sys.caps = caps;
      const ActionOutcome outcome = PerformPowerAction(action, sys);
      EXPECT_EQ(sys.log, call ? CallLog{call} : CallLog{});
      EXPECT_EQ(ActionNote(outcome), note);
      EXPECT_EQ(outcome.failed, call == nullptr);  // the display off is what the PC's standby is
      EXPECT_EQ(PlanPowerAction(action, caps).call == PowerCall::None, call == nullptr);
    }
    for (const auto& o : others) {
      FakePower sys;
      sys.caps = caps;
      const ActionOutcome outcome = PerformPowerAction(o.action, sys);
      EXPECT_EQ(sys.log, CallLog{o.call});
      EXPECT_FALSE(outcome.failed);
    }
  }
  // Where Windows cannot say, each action is its own call.
  FakePower unknown;
  EXPECT_FALSE(PerformPowerAction(PowerAction::Hibernate, unknown).failed);
  EXPECT_EQ(unknown.log, CallLog{kHibernate});
}

TEST(PowerAction, ACallWindowsRefusesIsReportedWithItsError) {
  const struct {
    PowerAction action;
    std::uint32_t error;
    const char* note;
  } cases[] = {
      {PowerAction::Hibernate, 1, "休眠失败（错误1）"},
      {PowerAction::ShutDown, 5, "关机失败（错误5）"},
      {PowerAction::FastShutdown, 0xC0000061, "快速关机失败（错误3221225569）"},
  };
  for (const auto& c : cases) {
    FakePower sys;
    sys.error = c.error;
    const ActionOutcome outcome = PerformPowerAction(c.action, sys);
    EXPECT_TRUE(outcome.failed) << c.note;
    EXPECT_EQ(ActionNote(outcome), c.note);
  }
}

}  // namespace
}  // namespace ordavi
