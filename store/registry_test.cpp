#include "store/registry.h"

#include <gtest/gtest.h>

#include <functional>

#include "store/errors.h"
#include "store/testing/error_of.h"
#include "store/testing/fake_registry.h"

namespace ordavi {
namespace {

using testing::FakeRegistryKey;

using testing::ErrorOf;

TEST(RegistryAccessor, StringsReadUpToFirstNulAndAbsentReadsEmpty) {
  FakeRegistryKey key;
  Registry reg(key);
  key.Plant("A1", RegType::String, std::string("abc\0def", 7));
  key.Plant("A2", RegType::String, "");  // size 0
  key.Plant("A3", RegType::ExpandString, std::string("%TEMP%\0", 7));
  EXPECT_EQ(reg.ReadString("A1"), "abc");
  EXPECT_EQ(reg.ReadString("A2"), "");
  EXPECT_EQ(reg.ReadString("A3"), "%TEMP%");
  EXPECT_EQ(reg.ReadString("missing"), "");
}

TEST(RegistryAccessor, WritesStoreOneNulAndFourByteDwords) {
  FakeRegistryKey key;
  Registry reg(key);
  reg.WriteString("A1", "每天8时30分");
  reg.WriteInteger("TaskNum", -2);
  EXPECT_EQ(key.values["A1"].data.size(), 12u);
  EXPECT_EQ(key.values["A1"].data.back(), '\0');
  EXPECT_EQ(key.values["TaskNum"].type, RegType::Dword);
  EXPECT_EQ(key.values["TaskNum"].data, std::string("\xFE\xFF\xFF\xFF", 4));
  EXPECT_EQ(reg.ReadInteger("TaskNum"), -2);
}

TEST(RegistryAccessor, FailuresCarryTheValueName) {
  FakeRegistryKey key;
  Registry reg(key);
  key.PlantDword("A1", 5);
  key.PlantString("TaskNum", "3");
  key.failWrites = {"B1"};
  EXPECT_EQ(ErrorOf([&] { reg.ReadString("A1"); }), "Invalid data type for 'A1'");
  EXPECT_EQ(ErrorOf([&] { reg.ReadInteger("TaskNum"); }), "Invalid data type for 'TaskNum'");
  EXPECT_EQ(ErrorOf([&] { reg.ReadInteger("tishi"); }), "Failed to get data for 'tishi'");
  EXPECT_EQ(ErrorOf([&] { reg.WriteString("B1", "x"); }), "Failed to set data for 'B1'");
  EXPECT_EQ(ErrorOf([&] { reg.WriteInteger("B1", 1); }), "Failed to set data for 'B1'");
}

TEST(ErrorBox, FullStopOnlyAfterCharactersSortingAfterDot) {
  EXPECT_EQ(ErrorBoxText("Failed to set data for 'A1'"), "Failed to set data for 'A1'");  // ' sorts before .
  EXPECT_EQ(ErrorBoxText("abc"), "abc.");
  EXPECT_EQ(ErrorBoxText("done."), "done.");
  EXPECT_EQ(ErrorBoxText(""), "");
}

// A refused write is a refused save: the user reads why in Chinese first and
// the framework's text after it; other errors keep their text alone.
TEST(ErrorBox, ARefusedSaveSaysSoInChineseFirst) {
  EXPECT_EQ(UserErrorText(SetDataError("TaskNum")),
            std::string(kRefusedSaveText) + "\nFailed to set data for 'TaskNum'");
  EXPECT_EQ(UserErrorText(InvalidTypeError("A1")), "Invalid data type for 'A1'");
  EXPECT_EQ(UserErrorText(FloatError("1.2.3")), "'1.2.3' is not a valid floating point value");
}

}  // namespace
}  // namespace ordavi
