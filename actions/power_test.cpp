#include "actions/power.h"

#include <gtest/gtest.h>

#include <string>

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

}  // namespace
}  // namespace ordavi
