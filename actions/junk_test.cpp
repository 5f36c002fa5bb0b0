#include "actions/junk.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace ordavi {
namespace {

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

struct FakeJunkSystem : JunkSystem, TempFolderSystem, FolderSecuritySystem, LocalClock, NoticeSink {
  bool WriteLog(const std::string& path, const std::string& text, bool append) override {
    if (!writable) return false;
    calls.push_back((append ? "add " : "write ") + path);
    logs[path] = (append ? logs[path] : "") + text;
    return true;
  }
  std::optional<std::string> ReadScript(const std::string& path) override {
    if (!script) return std::nullopt;
    calls.push_back("read " + path);
    return script;
  }
  std::string SystemFolder() override { return "C:\\Windows\\system32\\"; }
  bool RunHiddenAndWait(const std::string& commandLine) override {
    calls.push_back("run " + commandLine);
    return true;
  }
  void OpenLog(const std::string& logPath, const std::string& dir) override {
    calls.push_back("open " + logPath + " in " + dir);
  }
  // The folders: none is set, so nothing is touched.
  std::optional<std::string> Environment(const std::string&) override {
    ++folderLookups;
    return std::nullopt;
  }
  std::string FullPath(const std::string& p) override { return p; }
  std::string AgentFolder() override { return "D:\\工具"; }
  OpenedFolder OpenFolder(const std::string&) override { return {}; }
  std::optional<std::vector<std::string>> List(std::uint64_t) override { return std::nullopt; }
  OpenedEntry Open(std::uint64_t, const std::string&) override { return {}; }
  bool Delete(std::uint64_t) override { return false; }
  void Close(std::uint64_t) override {}
  // The agent's folder.
  bool RunsElevated() override { return elevated; }
  std::string OwnUserSid() override { return "S-1-5-21-1"; }
  std::optional<SecurityFacts> ReadSecurity(const std::string&) override {
    SecurityFacts f{"S-1-5-32-544", true, {}};
    if (othersMayWrite) f.rules.push_back({"S-1-5-11", true, 0x1301BF, false});
    return f;
  }
  ScheduleNow LocalTime() override { return At(2024, 3, 5, 8, 7, 9); }
  void ShowNotice(const std::string& text) override { calls.push_back("notice " + text); }

  JunkPorts Ports() { return {*this, *this, *this, *this, *this}; }
  std::vector<std::string> calls;
  std::map<std::string, std::string> logs;
  std::optional<std::string> script;
  bool writable = true;
  bool elevated = true;
  bool othersMayWrite = false;
  int folderLookups = 0;
};

TEST(CleanJunk, WritesTheLogRunsTheUsersScriptAndOpensTheLogOnlyWhenAsked) {
  const std::string dir = "D:\\工具\\";
  const std::string log = dir + "清理系统垃圾列表202435_879.txt";
  const std::string run = "run " + JunkScriptCommandLine("C:\\Windows\\system32\\", dir, log);
  const std::string earlier = std::string("@echo off\r\n") + kEarlierScriptHeader + "\r\n";
  const struct {
    bool openLog;
    std::optional<std::string> script;
    bool writable;
    std::vector<std::string> calls;
  } cases[] = {
      {true, std::nullopt, true, {"write " + log, "add " + log, "add " + log, "open " + log + " in " + dir}},
      {false, std::nullopt, true, {"write " + log, "add " + log, "add " + log}},
      {false, std::string("@echo mine\r\n"), true,
       {"write " + log, "add " + log, "read " + dir + "QLLJ.bat", "add " + log, run, "add " + log}},
      // The earlier script, which cleaned by itself, is not run again.
      {true, earlier, true,
       {"write " + log, "add " + log, "read " + dir + "QLLJ.bat", "add " + log, "add " + log,
        "open " + log + " in " + dir}},
      // No log can be written: nothing is cleaned, run or opened.
      {true, std::string("@echo mine\r\n"), false, {}},
  };
  for (const auto& c : cases) {
    FakeJunkSystem sys;
    sys.script = c.script;
    sys.writable = c.writable;
    JunkCleaner cleaner{sys.Ports(), dir + "Ordavi.exe"};
    cleaner.CleanJunk(c.openLog);
    EXPECT_EQ(sys.calls, c.calls);
    EXPECT_EQ(sys.folderLookups != 0, c.writable);
  }
  FakeJunkSystem sys;
  JunkCleaner{sys.Ports(), dir + "Ordavi.exe"}.CleanJunk(false);
  const std::string& text = sys.logs[log];
  EXPECT_EQ(text.rfind("Ordavi junk cleaning, started 2024-03-05 08:07:09\r\n", 0), 0u) << text;
  EXPECT_NE(text.find("\r\nRemoved: 0 files, 0 folders. Kept: 0 (in use, or holding a link).\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\n\r\nFinished 2024-03-05 08:07:09\r\n"), std::string::npos);
}

TEST(CleanJunk, AnElevatedAgentInAFolderOthersCanChangeSaysSoAndCleansNothing) {
  const struct {
    bool elevated;
    bool othersMayWrite;
    bool refused;
  } cases[] = {{true, true, true}, {true, false, false}, {false, true, false}, {false, false, false}};
  for (const auto& c : cases) {
    FakeJunkSystem sys;
    sys.elevated = c.elevated;
    sys.othersMayWrite = c.othersMayWrite;
    JunkCleaner cleaner{sys.Ports(), "D:\\Ordavi\\Ordavi.exe"};
    cleaner.CheckAgentFolder();
    const std::vector<std::string> atStart =
        c.refused ? std::vector<std::string>{std::string("notice ") + kOpenFolderNotice} : std::vector<std::string>{};
    EXPECT_EQ(sys.calls, atStart);
    sys.calls.clear();
    cleaner.CleanJunk(false);  // a task: nothing at all
    cleaner.CleanJunk(true);   // the menu: the notice again
    if (c.refused) {
      EXPECT_EQ(sys.calls, (std::vector<std::string>{std::string("notice ") + kOpenFolderNotice}));
    } else {
      EXPECT_EQ(sys.calls.front(), "write D:\\Ordavi\\清理系统垃圾列表202435_879.txt");
    }
  }
}

}  // namespace
}  // namespace ordavi
