// The Win32 adapters of the task actions, run under Wine with
// LC_ALL=zh_CN.UTF-8 (ANSI code page 936) in a fresh private prefix:
// CloseProgramByName over a real process snapshot, junk cleaning with the
// shipped QLLJ.bat in a directory with a blank and Chinese in its name,
// and opening a file with its directory as working directory.
#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "actions/junk.h"
#include "actions/processes.h"
#include "actions/win32/win32_actions.h"
#include "actions/win32/win32_network.h"
#include "store/text.h"
#include "tools/winetest/winetest.h"

using namespace ordavi;

namespace {

const std::string kWorkDir = "C:\\ordavi wt 目录\\";  // a blank and GBK characters

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteAll(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string SelfPath() {
  char buf[MAX_PATH + 1] = {};
  GetModuleFileNameA(nullptr, buf, MAX_PATH);
  return buf;
}

// Starts this program again, under another file name, to sleep for a minute.
HANDLE StartSleeper(const std::string& exeName) {
  const std::string exe = kWorkDir + exeName;
  CopyFileA(SelfPath().c_str(), exe.c_str(), FALSE);
  std::string cmd = "\"" + exe + "\" --sleep";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return nullptr;
  CloseHandle(pi.hThread);
  return pi.hProcess;
}

struct FixedClock : LocalClock {
  ScheduleNow LocalTime() override {
    ScheduleNow n;
    n.year = 2024;
    n.month = 3;
    n.day = 5;
    n.hour = 8;
    n.minute = 7;
    n.second = 9;
    return n;
  }
};

const std::string kLogName = "清理系统垃圾列表202435_879.txt";

}  // namespace

WT_TEST(ProcessSnapshotListsRunningProgramsByFileName) {
  Win32ProcessSystem sys;
  const auto list = sys.ListProcesses();
  REQUIRE(list.has_value());
  bool self = false;
  for (const ProcessEntry& p : *list) {
    if (p.pid == GetCurrentProcessId()) self = ProcessMatches(p.exeFile, SplitPath(SelfPath()).name);
  }
  CHECK(self);
}

WT_TEST(CloseProgramByNameEndsEveryInstanceAndNothingElse) {
  HANDLE a = StartSleeper("victim.exe");
  HANDLE b = StartSleeper("victim.exe");
  HANDLE other = StartSleeper("bystander.exe");
  REQUIRE(a && b && other);
  Sleep(1500);
  Win32ProcessSystem sys;
  CloseProgramByName("Victim.EXE", sys);
  CHECK_EQ(WaitForSingleObject(a, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
  CHECK_EQ(WaitForSingleObject(b, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
  DWORD code = 1;
  GetExitCodeProcess(a, &code);
  CHECK_EQ(code, static_cast<DWORD>(0));
  CHECK_EQ(WaitForSingleObject(other, 500), static_cast<DWORD>(WAIT_TIMEOUT));
  TerminateProcess(other, 0);
  for (HANDLE h : {a, b, other}) CloseHandle(h);
}

// The image path is read through the very handle that would end the process,
// and a check that refuses it leaves the process running.
WT_TEST(ClosingAProcessChecksItsImageThroughTheOpenedHandle) {
  HANDLE victim = StartSleeper("被查.exe");
  REQUIRE(victim);
  Sleep(1000);
  const DWORD pid = GetProcessId(victim);
  Win32ProcessSystem sys;
  std::optional<std::string> seen;
  sys.TerminateProcess(pid, [&seen](const std::optional<std::string>& image) {
    seen = image;
    return false;
  });
  REQUIRE(seen.has_value());
  CHECK_EQ(SplitPath(*seen).name, std::string("被查.exe"));
  CHECK(ImageIsTheProgram(seen, "被查.EXE"));
  CHECK_EQ(WaitForSingleObject(victim, 500), static_cast<DWORD>(WAIT_TIMEOUT));  // refused: still running
  sys.TerminateProcess(pid, [](const std::optional<std::string>& image) { return ImageIsTheProgram(image, "被查.exe"); });
  CHECK_EQ(WaitForSingleObject(victim, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
  CloseHandle(victim);
}

WT_TEST(JunkCleanerRunsTheScriptFromADirectoryWithABlankAndKeepsItsOutput) {
  WriteAll(kWorkDir + "QLLJ.bat", "@echo off\r\necho script ran\r\n");
  Win32JunkSystem sys;
  FixedClock clock;
  JunkCleaner cleaner{sys, clock, kWorkDir};
  DeleteFileA((kWorkDir + kLogName).c_str());
  cleaner.CleanJunk(false);  // returns only when the script has ended
  CHECK_EQ(ReadAll(kWorkDir + kLogName), std::string("script ran\r\n"));
}

WT_TEST(JunkRunnerReportsAProcessThatCannotStart) {
  Win32JunkSystem sys;
  CHECK(!sys.RunHiddenAndWait("C:\\no such dir\\none.exe"));
  CHECK(sys.RunHiddenAndWait("cmd.exe /c exit 3"));
}

WT_TEST(ShippedScriptEmptiesTheTempFolderOnly) {
  REQUIRE(CopyFileA((SplitPath(SelfPath()).dir + "QLLJ.bat").c_str(), (kWorkDir + "QLLJ.bat").c_str(), FALSE));
  char temp[MAX_PATH + 1] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string tempDir = temp;
  CreateDirectoryA((tempDir + "ordavi junk folder").c_str(), nullptr);
  WriteAll(tempDir + "ordavi junk folder\\inner.tmp", "x");
  WriteAll(tempDir + "ordavi_junk.tmp", "x");
  WriteAll(kWorkDir + "precious.tmp", "keep");

  Win32JunkSystem sys;
  FixedClock clock;
  JunkCleaner{sys, clock, kWorkDir}.CleanJunk(false);
  CHECK(!Exists(tempDir + "ordavi_junk.tmp"));
  CHECK(!Exists(tempDir + "ordavi junk folder"));
  CHECK(Exists(kWorkDir + "precious.tmp"));
  CHECK(Exists(kWorkDir + "QLLJ.bat"));
  const std::string log = ReadAll(kWorkDir + kLogName);
  CHECK(log.find("removed: \"ordavi_junk.tmp\"") != std::string::npos);
  CHECK(log.find("removed folder: \"ordavi junk folder\\\"") != std::string::npos);
}

WT_TEST(ShippedScriptWithUnsetFoldersRemovesNothing) {
  REQUIRE(CopyFileA((SplitPath(SelfPath()).dir + "QLLJ.bat").c_str(), (kWorkDir + "QLLJ.bat").c_str(), FALSE));
  // Junk-like files in the current directory and in a root must survive when
  // every variable the script uses is unset.
  WriteAll(kWorkDir + "current.tmp", "keep");
  WriteAll("C:\\root.tmp", "keep");
  char oldDir[MAX_PATH + 1] = {};
  GetCurrentDirectoryA(MAX_PATH, oldDir);
  SetCurrentDirectoryA(kWorkDir.c_str());
  const char* vars[] = {"TEMP", "TMP", "LOCALAPPDATA", "USERPROFILE", "SystemRoot"};
  std::vector<std::string> saved;
  for (const char* v : vars) {
    char buf[1024] = {};
    GetEnvironmentVariableA(v, buf, sizeof buf);
    saved.push_back(buf);
    SetEnvironmentVariableA(v, nullptr);
  }
  Win32JunkSystem sys;
  FixedClock clock;
  JunkCleaner{sys, clock, kWorkDir}.CleanJunk(false);
  for (std::size_t i = 0; i < saved.size(); ++i) SetEnvironmentVariableA(vars[i], saved[i].c_str());
  SetCurrentDirectoryA(oldDir);

  CHECK(Exists(kWorkDir + "current.tmp"));
  CHECK(Exists("C:\\root.tmp"));
  const std::string log = ReadAll(kWorkDir + kLogName);
  CHECK(log.find("skipped: TEMP is not set") != std::string::npos);
  CHECK(log.find("Removed: 0 files, 0 folders") != std::string::npos);
}

// A system program runs from the system directory even when the current
// directory holds a program of the same name, with its GBK arguments whole.
WT_TEST(SystemProgramsRunByTheirFullPathWithGbkArguments) {
  // A copy of this program named cmd.exe, which marks that it ran.
  CopyFileA(SelfPath().c_str(), (kWorkDir + "cmd.exe").c_str(), FALSE);
  DeleteFileA((kWorkDir + "planted.txt").c_str());
  DeleteFileA((kWorkDir + "系统程序.txt").c_str());
  char oldDir[MAX_PATH + 1] = {};
  GetCurrentDirectoryA(MAX_PATH, oldDir);
  SetCurrentDirectoryA(kWorkDir.c_str());
  Win32Shell shell([] { return HWND(nullptr); });
  shell.RunHidden("cmd.exe", "/D /c echo 网卡> \"" + kWorkDir + "系统程序.txt\"", kWorkDir);
  SetCurrentDirectoryA(oldDir);
  for (int i = 0; i < 100 && !Exists(kWorkDir + "系统程序.txt"); ++i) Sleep(100);
  Sleep(300);
  CHECK_EQ(ReadAll(kWorkDir + "系统程序.txt"), std::string("网卡\r\n"));
  CHECK(!Exists(kWorkDir + "planted.txt"));
  DeleteFileA((kWorkDir + "cmd.exe").c_str());  // later tests start cmd.exe in this folder
}

WT_TEST(OpenFileUsesTheDirectoryPartAsWorkingDirectory) {
  const std::string script = kWorkDir + "mark.bat";
  WriteAll(script, "@echo opened> marker.txt\r\n");
  DeleteFileA((kWorkDir + "marker.txt").c_str());
  // The same call an open-file task makes.
  Win32Shell shell([] { return HWND(nullptr); });
  shell.OpenFileHidden(script, SplitPath(script).dir);
  bool seen = false;
  for (int i = 0; i < 100 && !seen; ++i) {
    Sleep(100);
    seen = Exists(kWorkDir + "marker.txt");
  }
  CHECK(seen);
}

int main(int argc, char** argv) {
  if (argc > 1 && std::string(argv[1]) == "--sleep") {
    Sleep(60000);
    return 0;
  }
  if (SplitPath(SelfPath()).name == "cmd.exe") {  // planted in place of the system's
    WriteAll(kWorkDir + "planted.txt", "planted");
    return 0;
  }
  CreateDirectoryA(kWorkDir.c_str(), nullptr);
  return winetest::RunAll(argc, argv);
}
