#include "store/options.h"

#include <gtest/gtest.h>

#include "store/errors.h"
#include "store/testing/error_of.h"
#include "store/testing/fake_registry.h"

namespace ordavi {
namespace {

using testing::FakeRegistryKey;
using testing::FakeRegistryRoot;

const char* const kExe = "C:\\Program Files\\Ordavi\\Ordavi.exe";

using testing::ErrorOf;

TEST(LoadOptions, EmptyKeyGetsAllDefaultsInOrder) {
  FakeRegistryKey key;
  Registry reg(key);
  Options opts;
  auto problems = LoadOptions(reg, opts, [&] { reg.WriteInteger("TaskNum", 0); });
  EXPECT_TRUE(problems.empty());
  EXPECT_EQ(key.writeLog,
            (std::vector<std::string>{"shutapp=#0", "soundpath=", "tishi=#60", "TaskNum=#0", "kaiji=#0", "rejian=#1",
                                      "awakebattery=#20"}));
  EXPECT_EQ(opts.countdownSeconds, 60);
  EXPECT_EQ(opts.awakeBatteryLevel, 20);
  EXPECT_EQ(opts.soundPath, "");
}

TEST(LoadOptions, StoredValuesAreReadAndNothingIsWritten) {
  FakeRegistryKey key;
  key.PlantDword("shutapp", 1);
  key.PlantString("soundpath", "C:\\声音\\a.wav");
  key.PlantDword("tishi", 0);
  key.PlantDword("kaiji", 1);
  key.PlantDword("rejian", 5);
  key.PlantDword("awakebattery", 0);
  Registry reg(key);
  Options opts;
  EXPECT_TRUE(LoadOptions(reg, opts, [] {}).empty());
  EXPECT_TRUE(key.writeLog.empty());
  EXPECT_EQ(opts.closeProgramsFirst, 1);
  EXPECT_EQ(opts.soundPath, "C:\\声音\\a.wav");
  EXPECT_EQ(opts.countdownSeconds, 0);
  EXPECT_EQ(opts.ctrlHotkeys, 5);
  EXPECT_EQ(opts.awakeBatteryLevel, 0);
}

TEST(LoadOptions, UnusableValuesKeepDefaultsAndTheSequenceGoesOn) {
  FakeRegistryKey key;
  key.PlantDword("shutapp", 1);
  key.PlantDword("soundpath", 3);        // wrong type
  key.PlantDword("tishi", 0xFFFFFFFB);  // -5
  key.PlantString("rejian", "1");       // wrong type
  key.PlantDword("awakebattery", 101);  // not a percentage
  key.failWrites = {"kaiji"};
  Registry reg(key);
  Options opts;
  bool counterLoaded = false;
  auto problems = LoadOptions(reg, opts, [&] { counterLoaded = true; });
  EXPECT_TRUE(counterLoaded);
  EXPECT_EQ(opts.closeProgramsFirst, 1);
  EXPECT_EQ(opts.soundPath, "");
  EXPECT_EQ(opts.countdownSeconds, 60);
  EXPECT_EQ(opts.ctrlHotkeys, 1);  // the safe default: hotkeys need Ctrl
  EXPECT_EQ(opts.awakeBatteryLevel, 20);
  ASSERT_EQ(problems.size(), 5u);
  EXPECT_EQ(problems[0].name, "soundpath");
  EXPECT_EQ(problems[1].name, "tishi");
  EXPECT_EQ(problems[1].detail, "值 -5 超出范围");
  EXPECT_EQ(problems[2].name, "kaiji");
  EXPECT_EQ(problems[3].name, "rejian");
  EXPECT_EQ(problems[4].detail, "值 101 超出范围");
  // The stored values are left as they are.
  EXPECT_EQ(key.values["tishi"].data, std::string("\xFB\xFF\xFF\xFF", 4));
  EXPECT_EQ(key.values["rejian"].type, RegType::String);
  EXPECT_TRUE(key.writeLog.empty());
  EXPECT_EQ(OptionProblemsNotice({problems[1], problems[3]}),
            "设置值无效，已用默认值：tishi（值 -5 超出范围）；rejian（类型错误）");
}

TEST(LoadOptions, TaskCounterErrorIsReportedNotThrown) {
  FakeRegistryKey key;
  Registry reg(key);
  Options opts;
  auto problems = LoadOptions(reg, opts, [] { throw InvalidTypeError("TaskNum"); });
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0].name, "TaskNum");
  EXPECT_TRUE(key.values.count("rejian"));  // later options still loaded
}

}  // namespace
}  // namespace ordavi
