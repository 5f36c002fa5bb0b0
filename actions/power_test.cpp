#include "actions/power.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/testing/countdown_types.h"

namespace ordavi {
namespace {

// The power action the countdown ends in for a pending word, from the
// task-type table.
std::optional<PowerAction> PowerActionForWord(const std::string& word) {
  const TaskType* type = testing::CountdownTypeOf(word);
  return type ? type->power : std::nullopt;
}

struct RecordingPower : PowerSystem {
  std::vector<std::string> calls;
  void ExitWindowsEx(std::uint32_t f, std::uint32_t r) override {
    calls.push_back("ExitWindowsEx(" + std::to_string(f) + "," + std::to_string(r) + ")");
  }
  void SetSystemPowerState(std::int32_t s, std::int32_t f) override {
    calls.push_back("SetSystemPowerState(" + std::to_string(s) + "," + std::to_string(f) + ")");
  }
  void NtShutdownSystem(std::int32_t a) override { calls.push_back("NtShutdownSystem(" + std::to_string(a) + ")"); }
};

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
    RecordingPower sys;
    const auto action = PowerActionForWord(c.word);
    ASSERT_TRUE(action.has_value()) << c.call;
    PerformPowerAction(*action, sys);
    EXPECT_EQ(sys.calls, std::vector<std::string>{c.call});
  }
}

TEST(PowerAction, OtherWordsNameNoAction) {
  EXPECT_FALSE(PowerActionForWord("").has_value());
  EXPECT_FALSE(PowerActionForWord("断开拨号").has_value());  // the hang-up is not a power action
  EXPECT_FALSE(PowerActionForWord("关闭计算机").has_value());  // a type word, not a pending word
}

}  // namespace
}  // namespace ordavi
