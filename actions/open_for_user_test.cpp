#include "actions/open_for_user.h"

#include <gtest/gtest.h>

#include <string>

#include "actions/testing/fake_shell.h"

namespace ordavi {
namespace {

using testing::CallLog;

TEST(OpenTaskFile, ADocumentGoesToTheDesktopAndAProgramRunsAsTheTaskSays) {
  const std::string dir = "C:\\文档\\";
  const struct {
    const char* path;
    bool desktopShell;
    CallLog calls;
    const char* detail;
  } cases[] = {
      {"C:\\文档\\报表.xls", true, {"OpenAsDesktopUser(C:\\文档\\报表.xls,C:\\文档\\,hidden)"}, kOpenedAsUser},
      // No desktop shell to ask (or it refused): opened as before, and said.
      {"C:\\文档\\报表.xls",
       false,
       {"OpenAsDesktopUser(C:\\文档\\报表.xls,C:\\文档\\,hidden)", "OpenFileHidden(C:\\文档\\报表.xls,C:\\文档\\)"},
       kOpenedByAgent},
      {"C:\\文档\\backup.BAT", true, {"OpenFileHidden(C:\\文档\\backup.BAT,C:\\文档\\)"}, ""},
      {"C:\\文档\\tool.exe", false, {"OpenFileHidden(C:\\文档\\tool.exe,C:\\文档\\)"}, ""},
      // Only the last part's extension makes a program; a shortcut is a document.
      {"C:\\a.exe\\readme", true, {"OpenAsDesktopUser(C:\\a.exe\\readme,C:\\文档\\,hidden)"}, kOpenedAsUser},
      {"C:\\文档\\tool.exe.lnk", true, {"OpenAsDesktopUser(C:\\文档\\tool.exe.lnk,C:\\文档\\,hidden)"}, kOpenedAsUser},
  };
  for (const auto& c : cases) {
    CallLog log;
    testing::FakeShell shell(log);
    shell.desktopShell = c.desktopShell;
    EXPECT_EQ(OpenTaskFile(shell, c.path, dir).detail, c.detail) << c.path;
    EXPECT_EQ(log, c.calls) << c.path;
  }
}

// A program named without a folder: the shell would look for it in the
// user's own App Paths too, so an elevated agent takes it from the system
// or Windows directory only, or does not run it. Without the rights, the
// shell's search is the user's own.
TEST(OpenTaskFile, AProgramWithoutAFolderComesFromTheSystemFoldersWhenElevated) {
  const struct {
    const char* path;
    bool elevated;
    CallLog calls;
    OpenedFile result;
  } cases[] = {
      {"notepad.exe", true, {"OpenFileHidden(C:\\windows\\notepad.exe,)"}, {kRanFromSystemFolder}},
      {"ipconfig.EXE", true, {}, {kBareProgramRefused, true}},  // not among them (names are the system's own case)
      {"tool.bat", true, {}, {kBareProgramRefused, true}},
      {"tool.bat", false, {"OpenFileHidden(tool.bat,)"}, {}},
      {"D:tool.exe", true, {"OpenFileHidden(D:tool.exe,)"}, {}},  // a drive names where: run as written
      {"../../Users/Public/notepad.exe", true, {"OpenFileHidden(../../Users/Public/notepad.exe,)"}, {}},
      {"C:\\工具\\notepad.exe", true, {"OpenFileHidden(C:\\工具\\notepad.exe,)"}, {}},
      {"readme.txt", true, {"OpenAsDesktopUser(readme.txt,,hidden)"}, {kOpenedAsUser}},
  };
  for (const auto& c : cases) {
    CallLog log;
    testing::FakeShell shell(log);
    shell.elevated = c.elevated;
    shell.systemPrograms = {"C:\\windows\\system32\\ipconfig.exe", "C:\\windows\\notepad.exe"};
    const OpenedFile result = OpenTaskFile(shell, c.path, "");
    EXPECT_EQ(result.detail, c.result.detail) << c.path;
    EXPECT_EQ(result.refused, c.result.refused) << c.path;
    EXPECT_EQ(log, c.calls) << c.path;
  }
}

TEST(ShowWebPageForUser, ThroughTheDesktopShownOrElseDirectly) {
  const std::string url = "http://example.invalid/";
  for (const bool desktop : {true, false}) {
    CallLog log;
    testing::FakeShell shell(log);
    shell.desktopShell = desktop;
    ShowWebPageForUser(shell, url);
    CallLog expected = {"OpenAsDesktopUser(" + url + ",,shown)"};
    if (!desktop) expected.push_back("ShowWebPage(" + url + ")");
    EXPECT_EQ(log, expected);
  }
}

}  // namespace
}  // namespace ordavi
