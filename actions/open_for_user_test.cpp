#include "actions/open_for_user.h"

#include <gtest/gtest.h>

#include <string>

#include "actions/testing/fake_notices.h"
#include "actions/testing/fake_shell.h"

namespace ordavi {
namespace {

using testing::CallLog;

constexpr DesktopOpen kOpened = DesktopOpen::Opened;
constexpr DesktopOpen kFailed = DesktopOpen::Failed;
constexpr DesktopOpen kNoAnswer = DesktopOpen::NoAnswer;

// A document goes to the desktop's shell. Where the shell does not take
// it, the agent opens it itself only when that carries no more rights than
// the desktop's user has (both unelevated, or both elevated as with UAC
// off); an elevated agent above the desktop refuses, and a shell that did
// not answer may still open it, so nothing opens it twice.
TEST(OpenTaskFile, ADocumentIsOpenedHereOnlyWhereThatRaisesNothing) {
  const std::string dir = "C:\\文档\\", doc = "C:\\文档\\报表.xls";
  const std::string toDesktop = "OpenAsDesktopUser(C:\\文档\\报表.xls,C:\\文档\\,hidden)";
  const std::string here = "OpenFileHidden(C:\\文档\\报表.xls,C:\\文档\\)";
  const struct {
    DesktopOpen desktop;
    bool elevated, desktopElevated;
    CallLog calls;
    OpenedFile result;
  } cases[] = {
      {kOpened, true, false, {toDesktop}, {kOpenedAsUser}},
      {kFailed, false, false, {toDesktop, here}, {kOpenedByAgent}},
      {kFailed, true, true, {toDesktop, here}, {kOpenedByAgent}},  // UAC off: the same rights
      {kFailed, true, false, {toDesktop}, {kRefusedAboveDesktop, true}},
      {kNoAnswer, true, false, {toDesktop}, {kDesktopNoAnswer, true}},
      {kNoAnswer, false, false, {toDesktop}, {kDesktopNoAnswer, true}},
  };
  for (const auto& c : cases) {
    CallLog log;
    testing::FakeShell shell(log);
    shell.desktop = c.desktop;
    shell.elevated = c.elevated;
    shell.desktopElevated = c.desktopElevated;
    const OpenedFile result = OpenTaskFile(shell, doc, dir);
    const std::string row = std::to_string(&c - cases);
    EXPECT_EQ(result.detail, c.result.detail) << row;
    EXPECT_EQ(result.refused, c.result.refused) << row;
    EXPECT_EQ(log, c.calls) << row;
  }
}

// A program: started by this agent, as the task says. Elevated, it is
// started by its path and never through the shell, whose "open" reads the
// user's own association for programs and batch files; a program named
// without a folder comes from the system or Windows directory only (the
// shell would look in the user's own App Paths too). Without the rights,
// the shell's way is the user's own.
TEST(OpenTaskFile, AProgramIsStartedByItsPathWhenElevatedAndBareNamesOnlyFromTheSystem) {
  const struct {
    const char* path;
    bool elevated;
    bool starts;
    CallLog calls;
    OpenedFile result;
  } cases[] = {
      {"C:\\文档\\backup.BAT", true, true, {"StartProgramHidden(C:\\文档\\backup.BAT,C:\\文档\\)"}, {}},
      {"C:\\文档\\backup.BAT", false, true, {"OpenFileHidden(C:\\文档\\backup.BAT,C:\\文档\\)"}, {}},
      {"C:\\文档\\tool.exe", true, false, {"StartProgramHidden(C:\\文档\\tool.exe,C:\\文档\\)"}, {kProgramNotStarted, true}},
      {"notepad.exe", true, true, {"StartProgramHidden(C:\\windows\\notepad.exe,C:\\文档\\)"}, {kRanFromSystemFolder}},
      {"ipconfig.EXE", true, true, {}, {kBareProgramRefused, true}},  // not among them (names are the system's own case)
      {"tool.bat", true, true, {}, {kBareProgramRefused, true}},
      {"tool.bat", false, true, {"OpenFileHidden(tool.bat,C:\\文档\\)"}, {}},
      {"D:tool.exe", true, true, {"StartProgramHidden(D:tool.exe,C:\\文档\\)"}, {}},  // a drive names where
      {"../../Users/Public/notepad.exe", true, true, {"StartProgramHidden(../../Users/Public/notepad.exe,C:\\文档\\)"}, {}},
      // Only the last part's extension makes a program; a shortcut is a document.
      {"C:\\a.exe\\readme", true, true, {"OpenAsDesktopUser(C:\\a.exe\\readme,C:\\文档\\,hidden)"}, {kOpenedAsUser}},
      {"C:\\文档\\tool.exe.lnk", true, true, {"OpenAsDesktopUser(C:\\文档\\tool.exe.lnk,C:\\文档\\,hidden)"}, {kOpenedAsUser}},
  };
  for (const auto& c : cases) {
    CallLog log;
    testing::FakeShell shell(log);
    shell.elevated = c.elevated;
    shell.programStarts = c.starts;
    shell.systemPrograms = {"C:\\windows\\system32\\ipconfig.exe", "C:\\windows\\notepad.exe"};
    const OpenedFile result = OpenTaskFile(shell, c.path, "C:\\文档\\");
    EXPECT_EQ(result.detail, c.result.detail) << c.path;
    EXPECT_EQ(result.refused, c.result.refused) << c.path;
    EXPECT_EQ(log, c.calls) << c.path;
  }
}

// What an elevated agent starts for a task's program: nothing an
// association names, a batch file in the system's interpreter without the
// user's AutoRun, quoted as the interpreter takes it off again.
TEST(TaskProgramStart, TheProgramOrTheSystemsInterpreterByItsFullPath) {
  const std::string sys = "C:\\Windows\\system32\\";
  const struct {
    const char* path;
    const char* application;
    const char* commandLine;
  } cases[] = {
      {"C:\\工具\\备份 1.exe", "C:\\工具\\备份 1.exe", "\"C:\\工具\\备份 1.exe\""},
      {"C:\\工具\\x.Bat", "C:\\Windows\\system32\\cmd.exe",
       "\"C:\\Windows\\system32\\cmd.exe\" /D /c \"\"C:\\工具\\x.Bat\"\""},
      {"D:\\a&b.CMD", "C:\\Windows\\system32\\cmd.exe", "\"C:\\Windows\\system32\\cmd.exe\" /D /c \"\"D:\\a&b.CMD\"\""},
      {"C:\\s.scr", "C:\\s.scr", "\"C:\\s.scr\" /S"},
      {"C:\\old.com", "C:\\old.com", "\"C:\\old.com\""},
  };
  for (const auto& c : cases) {
    const ProgramStart start = TaskProgramStart(sys, c.path);
    EXPECT_EQ(start.application, c.application) << c.path;
    EXPECT_EQ(start.commandLine, c.commandLine) << c.path;
  }
}

TEST(ShowWebPageForUser, ThroughTheDesktopOrDirectlyOnlyWithoutMoreRightsThanTheDesktop) {
  const std::string url = "http://example.invalid/";
  const std::string toDesktop = "OpenAsDesktopUser(" + url + ",,shown)", here = "ShowWebPage(" + url + ")";
  const struct {
    DesktopOpen desktop;
    bool elevated, desktopElevated;
    bool shown;
    CallLog calls;
  } cases[] = {
      {kOpened, true, false, true, {toDesktop}},
      {kFailed, false, false, true, {toDesktop, here}},
      {kFailed, true, true, true, {toDesktop, here}},
      {kFailed, true, false, false, {toDesktop}},
      {kNoAnswer, false, false, false, {toDesktop}},
  };
  for (const auto& c : cases) {
    CallLog log;
    testing::FakeShell shell(log);
    shell.desktop = c.desktop;
    shell.elevated = c.elevated;
    shell.desktopElevated = c.desktopElevated;
    EXPECT_EQ(ShowWebPageForUser(shell, url), c.shown) << (&c - cases);
    EXPECT_EQ(log, c.calls) << (&c - cases);
  }
}

// Each refusal is in the run history; the notice comes once per agent life.
TEST(TaskFileOpener, SaysOnceThatItRefusedWhatTheDesktopDidNotTake) {
  CallLog log;
  testing::FakeShell shell(log);
  testing::FakeNotices notices;
  shell.elevated = true;
  TaskFileOpener opener(shell, notices);
  EXPECT_EQ(opener.Open("C:\\a.txt", "C:\\").detail, kOpenedAsUser);
  EXPECT_TRUE(notices.log.empty());
  shell.desktop = kFailed;
  EXPECT_TRUE(opener.Open("C:\\a.txt", "C:\\").refused);
  shell.desktop = kNoAnswer;
  EXPECT_TRUE(opener.Open("C:\\a.txt", "C:\\").refused);
  EXPECT_EQ(notices.log, CallLog{"ShowNotice(" + std::string(kTaskFileRefusedNotice) + ")"});
}

}  // namespace
}  // namespace ordavi
