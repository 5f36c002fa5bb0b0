#include "actions/junk.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "actions/testing/fake_folder_security.h"
#include "actions/testing/fake_junk_system.h"
#include "actions/testing/fake_notices.h"
#include "actions/testing/fake_temp_folders.h"
#include "schedule/testing/fake_clocks.h"

namespace ordavi {
namespace {

using testing::CallLog;
using testing::FakeFolderSecurity;
using testing::FakeJunkSystem;
using testing::FakeLocalClock;
using testing::FakeNotices;
using testing::FakeTempFolders;

ScheduleNow At(int y, int mo, int d, int h, int mi, int s) {
  ScheduleNow n;
  n.year = static_cast<std::uint16_t>(y);
  n.month = static_cast<std::uint16_t>(mo);
  n.day = static_cast<std::uint16_t>(d);
  n.hour = static_cast<std::uint16_t>(h);
  n.minute = static_cast<std::uint16_t>(mi);
  n.second = static_cast<std::uint16_t>(s);
  return n;
}

TEST(JunkLogName, NumbersAreWrittenWithoutPadding) {
  const struct {
    ScheduleNow now;
    const char* name;
  } cases[] = {
      {At(2024, 3, 5, 8, 7, 9), "清理系统垃圾列表202435_879.txt"},
      {At(2024, 12, 31, 23, 59, 59), "清理系统垃圾列表20241231_235959.txt"},
      {At(2024, 1, 1, 0, 0, 0), "清理系统垃圾列表202411_000.txt"},
      // Different moments can share a name.
      {At(2024, 11, 1, 1, 1, 10), "清理系统垃圾列表2024111_1110.txt"},
      {At(2024, 1, 11, 11, 1, 0), "清理系统垃圾列表2024111_1110.txt"},
  };
  for (const auto& c : cases) EXPECT_EQ(JunkLogName(c.now), c.name);
}

TEST(JunkScriptCommandLine, NamesTheInterpreterByItsPathWithoutAutoRunAndAddsToTheLog) {
  EXPECT_EQ(JunkScriptCommandLine("C:\\Windows\\system32\\", "C:\\Program Files\\Ordavi\\",
                                  "C:\\Program Files\\Ordavi\\log.txt"),
            "\"C:\\Windows\\system32\\cmd.exe\" /D /c \"\"C:\\Program Files\\Ordavi\\QLLJ.bat\" >> "
            "\"C:\\Program Files\\Ordavi\\log.txt\"\"");
}

// The junk cleaner over fakes sharing one log; the temporary folder C:\Temp
// (where an elevated agent may clean here) holds one file, and the clock
// stands at 2024-03-05 08:07:09.
struct JunkFixture {
  JunkFixture() {
    clock.startSecondOfDay = 8 * 3600 + 7 * 60 + 9;
    folders.env["TEMP"] = "C:\\Temp";
    folders.ownFolders.push_back("C:\\Temp");
    folders.Add("C:\\Temp", EntryKind::Folder);
    folders.Add("C:\\Temp\\a.tmp", EntryKind::File);
  }
  JunkCleaner Cleaner(const std::string& exePath) {
    return JunkCleaner(JunkPorts{system, folders, security, clock, notices}, exePath);
  }
  CallLog log;
  FakeJunkSystem system{log};
  FakeTempFolders folders{log};
  FakeFolderSecurity security;
  FakeLocalClock clock;
  FakeNotices notices{log};
};

TEST(CleanJunk, CreatesTheLogFirstRunsTheUsersScriptAndOpensTheLogOnlyWhenAsked) {
  const std::string dir = "D:\\工具\\";
  const std::string log = dir + "清理系统垃圾列表202435_879.txt";
  const std::string created = "WriteLog(" + log + ",new)", added = "WriteLog(" + log + ",add)";
  const std::string deleted = "Delete(C:\\Temp\\a.tmp)", opened = "OpenLog(" + log + "," + dir + ")";
  const std::string run = "RunHiddenAndWait(" + JunkScriptCommandLine("C:\\Windows\\system32\\", dir, log) + ")";
  const std::string earlier = std::string("@echo off\r\n") + kEarlierScriptHeader + "\r\n";
  const struct {
    bool openLog;
    std::optional<std::string> script;
    bool writable;
    CallLog calls;
  } cases[] = {
      {true, std::nullopt, true, {created, deleted, added, added, opened}},
      {false, std::nullopt, true, {created, deleted, added, added}},
      {false, std::string("@echo mine\r\n"), true, {created, deleted, added, added, run, added}},
      // The earlier script, which cleaned by itself, is not run again.
      {true, earlier, true, {created, deleted, added, added, added, opened}},
      // No log can be created: nothing is deleted, run or opened.
      {true, std::string("@echo mine\r\n"), false, {created}},
  };
  for (const auto& c : cases) {
    JunkFixture f;
    f.system.script = c.script;
    f.system.writable = c.writable;
    EXPECT_EQ(f.Cleaner(dir + "Ordavi.exe").CleanJunk(c.openLog),
              c.writable ? JunkResult::Cleaned : JunkResult::NoLog);
    EXPECT_EQ(f.log, c.calls);
  }
  JunkFixture f;
  f.Cleaner(dir + "Ordavi.exe").CleanJunk(false);
  const std::string& text = f.system.logs[log];
  EXPECT_EQ(text.rfind("Ordavi junk cleaning, started 2024-03-05 08:07:09\r\n\r\nFolder \"C:\\Temp\"\r\n", 0), 0u)
      << text;
  EXPECT_NE(text.find("  removed: \"a.tmp\"\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\nRemoved: 1 files, 0 folders. Kept: 0 (in use, or holding a link).\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\n\r\nFinished 2024-03-05 08:07:09\r\n"), std::string::npos);
}

TEST(CleanJunk, AnElevatedAgentInAFolderOthersCanChangeSaysSoAndCleansNothing) {
  const std::string notice = std::string("ShowNotice(") + kOpenFolderNotice + ")";
  const struct {
    bool elevated;
    bool othersMayWrite;
    bool refused;
  } cases[] = {{true, true, true}, {true, false, false}, {false, true, false}, {false, false, false}};
  for (const auto& c : cases) {
    JunkFixture f;
    f.security.elevated = c.elevated;
    SecurityFacts facts{"S-1-5-32-544", true, {}};
    if (c.othersMayWrite) facts.rules.push_back({"S-1-5-11", true, 0x1301BF, false});
    f.security.files["D:\\Ordavi"] = facts;
    JunkCleaner cleaner = f.Cleaner("D:\\Ordavi\\Ordavi.exe");
    cleaner.CheckAgentFolder();
    EXPECT_EQ(f.log, c.refused ? CallLog{notice} : CallLog{});
    f.log.clear();
    const JunkResult expected = c.refused ? JunkResult::OpenFolder : JunkResult::Cleaned;
    EXPECT_EQ(cleaner.CleanJunk(false), expected);  // a task: nothing at all
    EXPECT_EQ(cleaner.CleanJunk(true), expected);   // the menu: the notice again
    if (c.refused) {
      EXPECT_EQ(f.log, CallLog{notice});
    } else {
      EXPECT_EQ(f.log.front(), "WriteLog(D:\\Ordavi\\清理系统垃圾列表202435_879.txt,new)");
    }
  }
}

}  // namespace
}  // namespace ordavi
