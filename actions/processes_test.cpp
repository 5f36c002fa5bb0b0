#include "actions/processes.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "actions/testing/fake_processes.h"

namespace ordavi {
namespace {

using testing::CallLog;
using testing::FakeProcesses;

TEST(CloseProgramByName, EndsEveryInstanceWhateverTheAsciiCase) {
  FakeProcesses sys;
  sys.processes = std::vector<ProcessEntry>{
      {4, "System"},        {100, "tool.exe"}, {200, "explorer.exe"},
      {300, "Tool.Exe"},    {400, "TOOL.EXE"}, {500, "C:\\Apps\\tool.exe"},
      {600, "tools.exe"},   {700, "tool.exe "},
  };
  CloseProgramByName("TOOL.EXE", sys);
  EXPECT_EQ(sys.log, (CallLog{"TerminateProcess(100)", "TerminateProcess(300)", "TerminateProcess(400)",
                              "TerminateProcess(500)"}));
}

// Between the snapshot and the opening, a process may end and its id go to
// another program: only a handle whose image still is the program is ended.
TEST(CloseProgramByName, AReusedProcessIdDoesNotEndAnotherProgram) {
  FakeProcesses sys;
  sys.processes = std::vector<ProcessEntry>{{100, "tool.exe"}, {200, "tool.exe"}, {300, "tool.exe"},
                                       {400, "tool.exe"}, {500, "tool.exe"}, {600, "tool.exe"}};
  sys.imageNow = {{100, std::string("C:\\Windows\\System32\\lsass.exe")},   // id reused by another program
                  {200, std::string("\\Device\\HarddiskVolume2\\Apps\\TOOL.exe")},  // the program, by its device path
                  {300, std::nullopt},                                       // image cannot be told
                  {400, std::string("")},
                  {500, std::string("C:\\Apps\\tool.exe\\evil.exe")},
                  {600, std::string("D:\\记事本\\tool.exe")}};
  CloseProgramByName("TOOL.EXE", sys);
  EXPECT_EQ(sys.log, (CallLog{"TerminateProcess(200)", "TerminateProcess(600)"}));
}

TEST(ProcessMatches, FileNamePartThenWholeText) {
  const struct {
    const char* exe;
    const char* name;
    bool match;
  } cases[] = {
      {"notepad.exe", "NOTEPAD.EXE", true},
      {"C:\\Windows\\notepad.exe", "notepad.exe", true},        // file-name part of the entry
      {"C:\\Windows\\notepad.exe", "c:\\windows\\NOTEPAD.exe", true},  // whole text, for a name with a path
      {"notepad.exe", "C:\\Windows\\notepad.exe", false},
      {"记事本.exe", "记事本.EXE", true},
      // Byte-wise upper case: the trail byte 0x61 ('a') of a Chinese character
      // is converted on both sides alike, so it still matches itself...
      {"\xB0" "a.exe", "\xB0" "a.exe", true},
      // ...and also its upper-case twin, which is another character.
      {"\xB0" "a.exe", "\xB0" "A.exe", true},
      // A trail byte '\' does not split the entry's path.
      {"\xD5\x5C" "x.exe", "x.exe", false},
      {"D:prog.exe", "PROG.EXE", true},  // a colon splits too
      {"", "", true},
  };
  for (const auto& c : cases) EXPECT_EQ(ProcessMatches(c.exe, c.name), c.match) << c.exe << " / " << c.name;
}

TEST(CloseProgramByName, NothingHappensWithoutASnapshotOrWithAnEmptyName) {
  FakeProcesses sys;
  CloseProgramByName("tool.exe", sys);  // no snapshot functions
  EXPECT_TRUE(sys.log.empty());
  sys.processes = std::vector<ProcessEntry>{{1, ""}, {2, "C:\\dir\\"}};
  CloseProgramByName("", sys);
  EXPECT_TRUE(sys.log.empty());
}

}  // namespace
}  // namespace ordavi
