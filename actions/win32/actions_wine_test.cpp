// The Win32 adapters of the task actions, run under Wine with
// LC_ALL=zh_CN.UTF-8 (ANSI code page 936) in a fresh private prefix:
// CloseProgramByName over a real process snapshot, junk cleaning (the
// temporary folders, links as or above or inside them, an entry swapped for
// a link while the cleaning runs, the user's QLLJ.bat in a directory with a
// blank and Chinese in its name, the command processor's AutoRun and the /D
// that keeps it out, another profile's temporary folder, the folder held
// against renaming, access lists of the agent's folder), the cleaning's log
// in Notepad whatever the .txt association says, and opening a file with its
// directory as working directory.
#include <windows.h>
#include <sddl.h>
#include <shellapi.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "actions/junk.h"
#include "actions/processes.h"
#include "actions/testing/fake_notices.h"
#include "actions/win32/win32_actions.h"
#include "actions/win32/win32_cleaning.h"
#include "actions/win32/win32_network.h"
#include "schedule/testing/fake_clocks.h"
#include "store/text.h"
#include "tools/winetest/links.h"
#include "tools/winetest/winetest.h"

using namespace ordavi;
using winetest::MakeLink;

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

// 2024-03-05 08:07:09.
struct FixedClock : testing::FakeLocalClock {
  FixedClock() { startSecondOfDay = 8 * 3600 + 7 * 60 + 9; }
};

const std::string kLogName = "清理系统垃圾列表202435_879.txt";


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

// The real adapters of junk cleaning, with the agent's folder `dir`.
// The tests plant their temporary folders anywhere on C:, and this Wine runs
// every program with administrator rights; where an elevated agent's folders
// may lie is tested on its own (TemporaryFoldersOfAnotherProfileAreNotCleaned).
struct AnyFolderOfC : Win32TempFolderSystem {
  std::vector<std::string> OwnFolders() override { return {"C:"}; }
};

struct RealJunk {
  Win32JunkSystem system;
  AnyFolderOfC folders;
  Win32FolderSecuritySystem security;
  FixedClock clock;
  testing::FakeNotices notices;
  JunkCleaner Cleaner(const std::string& dir = kWorkDir) {
    return JunkCleaner(JunkPorts{system, folders, security, clock, notices}, dir + "Ordavi.exe");
  }
};

// Runs `cleaning` with only the environment variables given set among those
// the cleaning reads, and returns the log.
template <typename Fn>
std::string WithFolders(const std::vector<std::pair<const char*, std::string>>& set, Fn cleaning) {
  const char* vars[] = {"TEMP", "TMP", "LOCALAPPDATA", "USERPROFILE", "SystemRoot"};
  std::vector<std::string> saved;
  for (const char* v : vars) {
    char buf[1024] = {};
    GetEnvironmentVariableA(v, buf, sizeof buf);
    saved.push_back(buf);
    SetEnvironmentVariableA(v, nullptr);
  }
  for (const auto& s : set) SetEnvironmentVariableA(s.first, s.second.c_str());
  DeleteFileA((kWorkDir + kLogName).c_str());
  cleaning();
  for (std::size_t i = 0; i < saved.size(); ++i) SetEnvironmentVariableA(vars[i], saved[i].c_str());
  return ReadAll(kWorkDir + kLogName);
}

bool Has(const std::string& log, const std::string& text) { return log.find(text) != std::string::npos; }

// A folder outside every temporary folder, holding what must survive.
const std::string kOutside = "C:\\precious\\";
void MakeOutside() {
  CreateDirectoryA(kOutside.c_str(), nullptr);
  CreateDirectoryA((kOutside + "sub").c_str(), nullptr);
  WriteAll(kOutside + "keep.txt", "keep");
  WriteAll(kOutside + "sub\\deep.txt", "keep");
}
bool OutsideWhole() {
  return ReadAll(kOutside + "keep.txt") == "keep" && ReadAll(kOutside + "sub\\deep.txt") == "keep";
}

void MakeDirs(const std::string& path) {
  for (std::size_t i = 3; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '\\') CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
  }
}

}  // namespace

WT_TEST(CleaningRunsTheUsersScriptByTheInterpretersFullPathAndKeepsItsOutput) {
  WriteAll(kWorkDir + "QLLJ.bat", "@echo off\r\necho script ran\r\n");
  RealJunk junk;
  const std::string log = WithFolders({}, [&] { junk.Cleaner().CleanJunk(false); });
  CHECK(log.rfind("Ordavi junk cleaning, started 2024-03-05 08:07:09\r\n", 0) == 0);
  CHECK(Has(log, "\r\nQLLJ.bat:\r\nscript ran\r\n\r\nFinished "));
}

WT_TEST(JunkRunnerReportsAProcessThatCannotStart) {
  Win32JunkSystem sys;
  CHECK(!sys.RunHiddenAndWait("C:\\no such dir\\none.exe"));
  CHECK(sys.RunHiddenAndWait("cmd.exe /c exit 3"));
}

WT_TEST(CleaningEmptiesTheTempFolderOnly) {
  REQUIRE(CopyFileA((SplitPath(SelfPath()).dir + "QLLJ.bat").c_str(), (kWorkDir + "QLLJ.bat").c_str(), FALSE));
  char temp[MAX_PATH + 1] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string tempDir = temp;
  CreateDirectoryA((tempDir + "ordavi junk folder").c_str(), nullptr);
  WriteAll(tempDir + "ordavi junk folder\\inner.tmp", "x");
  WriteAll(tempDir + "ordavi_junk.tmp", "x");
  WriteAll(tempDir + "read-only.tmp", "x");
  SetFileAttributesA((tempDir + "read-only.tmp").c_str(), FILE_ATTRIBUTE_READONLY);
  WriteAll(kWorkDir + "precious.tmp", "keep");

  RealJunk junk;
  junk.Cleaner().CleanJunk(false);
  CHECK(!Exists(tempDir + "ordavi_junk.tmp"));
  CHECK(!Exists(tempDir + "read-only.tmp"));
  CHECK(!Exists(tempDir + "ordavi junk folder"));
  CHECK(Exists(tempDir));
  CHECK(Exists(kWorkDir + "precious.tmp"));
  CHECK(Exists(kWorkDir + "QLLJ.bat"));
  const std::string log = ReadAll(kWorkDir + kLogName);
  CHECK(Has(log, "  removed: \"ordavi_junk.tmp\""));
  CHECK(Has(log, "  removed folder: \"ordavi junk folder\\\""));
  CHECK(Has(log, "\r\nFinished "));
}

WT_TEST(CleaningWithUnsetFoldersRemovesNothing) {
  // Junk-like files in the current directory and in a root must survive when
  // every variable the cleaning uses is unset.
  WriteAll(kWorkDir + "current.tmp", "keep");
  WriteAll("C:\\root.tmp", "keep");
  char oldDir[MAX_PATH + 1] = {};
  GetCurrentDirectoryA(MAX_PATH, oldDir);
  SetCurrentDirectoryA(kWorkDir.c_str());
  RealJunk junk;
  const std::string log = WithFolders({}, [&] { junk.Cleaner().CleanJunk(false); });
  SetCurrentDirectoryA(oldDir);
  CHECK(Exists(kWorkDir + "current.tmp"));
  CHECK(Exists("C:\\root.tmp"));
  CHECK(Has(log, "skipped: TEMP is not set"));
  CHECK(Has(log, "Removed: 0 files, 0 folders"));
}

WT_TEST(ALinkAsTheTempFolderOrAboveItIsNotCleaned) {
  MakeOutside();
  MakeDirs("C:\\linked\\outer");
  WriteAll(kOutside + "Temp", "");  // a plain file named Temp, never reached
  CreateDirectoryA((kOutside + "Tmp").c_str(), nullptr);
  WriteAll(kOutside + "Tmp\\inner.txt", "keep");
  REQUIRE(MakeLink("C:\\linked\\Temp", kOutside));           // the folder itself
  REQUIRE(MakeLink("C:\\linked\\above", "C:\\precious"));     // a folder above it
  RealJunk junk;
  const std::string log = WithFolders({{"TEMP", "C:\\linked\\Temp"}, {"TMP", "C:\\linked\\above\\Tmp"}},
                                      [&] { junk.Cleaner().CleanJunk(false); });
  CHECK(OutsideWhole());
  CHECK_EQ(ReadAll(kOutside + "Tmp\\inner.txt"), std::string("keep"));
  CHECK(Has(log, "Folder \"C:\\linked\\Temp\"\r\n  full path \"C:\\linked\\Temp\"\r\n  skipped: it or a folder above it is a link"));
  CHECK(Has(log, "Folder \"C:\\linked\\above\\Tmp\"\r\n  full path \"C:\\linked\\above\\Tmp\"\r\n  skipped: it or a folder above it is a link"));
}

WT_TEST(LinksInsideTheTempFolderAreNeverFollowed) {
  MakeOutside();
  const std::string t = "C:\\links\\Temp\\";
  MakeDirs(t + "holder");
  WriteAll(t + "junk.tmp", "x");
  WriteAll(t + "holder\\junk2.tmp", "x");
  REQUIRE(MakeLink(t + "folderlink", kOutside));
  REQUIRE(MakeLink(t + "filelink.txt", kOutside + "keep.txt"));
  REQUIRE(MakeLink(t + "holder\\innerlink", kOutside + "sub"));
  RealJunk junk;
  const std::string log = WithFolders({{"TEMP", "C:\\links\\Temp"}}, [&] { junk.Cleaner().CleanJunk(false); });
  CHECK(OutsideWhole());
  CHECK(!Exists(t + "junk.tmp"));
  CHECK(!Exists(t + "holder\\junk2.tmp"));
  CHECK(Has(log, "  removed: \"junk.tmp\""));
  // Wine opens its Unix links' targets even when asked not to; the handle then
  // lies elsewhere, and that is what the cleaning sees.
  CHECK(Has(log, "left alone: \"folderlink\""));
  CHECK(Has(log, "left alone: \"filelink.txt\""));
  CHECK(Has(log, "left alone: \"holder\\innerlink\""));
  CHECK(Has(log, "  kept in part: \"holder\\\""));
}

WT_TEST(AnEntrySwappedForALinkAfterTheListingIsLeftAlone) {
  MakeOutside();
  const std::string t = "C:\\race\\Temp\\";
  MakeDirs(t + "victim");
  WriteAll(t + "victim\\a.tmp", "x");
  WriteAll(t + "victim.tmp", "x");
  WriteAll(t + "plain.tmp", "x");
  RealJunk junk;
  bool swapped = false;
  // Between the listing and the opening of each entry, as a racing user
  // would: the folder and the file are replaced by links to the outside.
  junk.folders.afterListing = [&](const std::string& folder) {
    if (swapped || folder != "C:\\race\\Temp") return;
    swapped = true;
    MoveFileA((t + "victim").c_str(), "C:\\race\\moved-victim");
    DeleteFileA((t + "victim.tmp").c_str());
    MakeLink(t + "victim", kOutside);
    MakeLink(t + "victim.tmp", kOutside + "keep.txt");
  };
  const std::string log = WithFolders({{"TEMP", "C:\\race\\Temp"}}, [&] { junk.Cleaner().CleanJunk(false); });
  CHECK(swapped);
  CHECK(OutsideWhole());
  CHECK(!Exists(t + "plain.tmp"));
  CHECK(Has(log, "  removed: \"plain.tmp\""));
  CHECK(Has(log, "left alone: \"victim\""));
  CHECK(Has(log, "left alone: \"victim.tmp\""));
}

// TEMP set through the user's settings to another user's temporary folder:
// the elevated agent leaves it alone, and cleans its own profile's.
WT_TEST(TemporaryFoldersOfAnotherProfileAreNotCleaned) {
  Win32TempFolderSystem real;
  const std::vector<std::string> own = real.OwnFolders();
  REQUIRE(own.size() == 2u);
  char windows[MAX_PATH + 1] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  CHECK_EQ(own[1], std::string(windows));
  const std::string other = "C:\\users\\other\\Temp";
  const std::string mine = own[0] + "\\ordavi own\\Temp";
  MakeDirs(other + "\\");
  MakeDirs(mine + "\\");
  WriteAll(other + "\\theirs.tmp", "x");
  WriteAll(mine + "\\mine.tmp", "x");
  RealJunk junk;
  const std::string log = WithFolders({{"TEMP", other}, {"TMP", mine}}, [&] {
    JunkCleaner(JunkPorts{junk.system, real, junk.security, junk.clock, junk.notices}, kWorkDir + "Ordavi.exe")
        .CleanJunk(false);
  });
  CHECK(Exists(other + "\\theirs.tmp"));
  CHECK(!Exists(mine + "\\mine.tmp"));
  CHECK(Has(log, "skipped: not in this user's profile or the Windows folder"));
}

// The folder being cleaned is held without FILE_SHARE_DELETE: a racing
// user cannot rename it away to put a link in its place.
WT_TEST(TheTempFolderCannotBeRenamedWhileItIsCleaned) {
  const std::string t = "C:\\held\\Temp";
  MakeDirs(t + "\\");
  WriteAll(t + "\\a.tmp", "x");
  RealJunk junk;
  bool tried = false, renamed = true;
  junk.folders.afterListing = [&](const std::string& folder) {
    if (tried || folder != t) return;
    tried = true;
    renamed = MoveFileA(t.c_str(), "C:\\held\\away") != 0;
  };
  WithFolders({{"TEMP", t}}, [&] { junk.Cleaner().CleanJunk(false); });
  CHECK(tried);
  CHECK(!renamed);
  CHECK(!Exists("C:\\held\\away"));
}

WT_TEST(AReadOnlyFileWithAnotherNameOutsideKeepsItsAttribute) {
  MakeOutside();
  const std::string t = "C:\\hard\\Temp\\";
  MakeDirs(t.substr(0, t.size() - 1));
  WriteAll(kOutside + "guarded.txt", "keep");
  SetFileAttributesA((kOutside + "guarded.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  REQUIRE(CreateHardLinkA((t + "second-name.tmp").c_str(), (kOutside + "guarded.txt").c_str(), nullptr));
  RealJunk junk;
  const std::string log = WithFolders({{"TEMP", "C:\\hard\\Temp"}}, [&] { junk.Cleaner().CleanJunk(false); });
  CHECK_EQ(ReadAll(kOutside + "guarded.txt"), std::string("keep"));
  CHECK(GetFileAttributesA((kOutside + "guarded.txt").c_str()) & FILE_ATTRIBUTE_READONLY);
  CHECK(Has(log, "  kept, in use: \"second-name.tmp\""));
}

WT_TEST(ATempComponentInTheMiddleDoesNotMakeATemporaryFolder) {
  MakeDirs("C:\\tmp\\project\\src");
  WriteAll("C:\\tmp\\project\\main.cpp", "keep");
  WriteAll("C:\\tmp\\project\\src\\a.cpp", "keep");
  RealJunk junk;
  const std::string log = WithFolders({{"TEMP", "C:\\tmp\\project"}, {"TMP", "C:\\tmp\\project\\src\\..\\"}},
                                      [&] { junk.Cleaner().CleanJunk(false); });
  CHECK_EQ(ReadAll("C:\\tmp\\project\\main.cpp"), std::string("keep"));
  CHECK_EQ(ReadAll("C:\\tmp\\project\\src\\a.cpp"), std::string("keep"));
  CHECK(Has(log, "Folder \"C:\\tmp\\project\"\r\n  full path \"C:\\tmp\\project\"\r\n  skipped: its last part is not Temp or Tmp"));
  CHECK(Has(log, "  full path \"C:\\tmp\\project\"\r\n  skipped: its last part is not Temp or Tmp\r\n\r\n  skipped: LOCALAPPDATA"));
}

// Wine 8's cmd ignores AutoRun altogether (with or without /D), so under Wine
// this shows only that the log stays free of it; what keeps Windows' cmd from
// running it is the /D of the command line (unit test, relay trace).
WT_TEST(TheUsersCommandProcessorAutoRunDoesNotRunInTheCleaning) {
  HKEY key = nullptr;
  REQUIRE(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Command Processor", 0, nullptr, 0, KEY_ALL_ACCESS,
                          nullptr, &key, nullptr) == ERROR_SUCCESS);
  const char autorun[] = "echo AUTORUN-NAME.tmp";
  RegSetValueExA(key, "AutoRun", 0, REG_SZ, reinterpret_cast<const BYTE*>(autorun), sizeof autorun);
  WriteAll(kWorkDir + "QLLJ.bat", "@echo off\r\necho script ran\r\n");
  // The command line is traced too: this Wine's cmd ignores AutoRun, so only
  // the /D on it shows that Windows' would not run it either.
  struct Traced : Win32JunkSystem {
    std::string commandLine;
    bool RunHiddenAndWait(const std::string& line) override {
      commandLine = line;
      return Win32JunkSystem::RunHiddenAndWait(line);
    }
  } traced;
  RealJunk junk;
  const std::string log = WithFolders({}, [&] {
    JunkCleaner(JunkPorts{traced, junk.folders, junk.security, junk.clock, junk.notices}, kWorkDir + "Ordavi.exe")
        .CleanJunk(false);
  });
  RegDeleteValueA(key, "AutoRun");
  RegCloseKey(key);
  CHECK(Has(log, "script ran"));
  CHECK(!Has(log, "AUTORUN"));
  char system[MAX_PATH + 1] = {};
  GetSystemDirectoryA(system, MAX_PATH);
  const std::string interpreter = "\"" + std::string(system) + "\\cmd.exe\" /D /c ";
  CHECK_EQ(traced.commandLine.substr(0, interpreter.size()), interpreter);
}

namespace {
SecurityFacts FactsOf(const wchar_t* sddl) {
  PSECURITY_DESCRIPTOR sd = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &sd, nullptr)) return {};
  SecurityFacts facts = SecurityFactsOf(sd);
  LocalFree(sd);
  return facts;
}
}  // namespace

WT_TEST(AccessListsAreReadAsTheFolderCheckWeighsThem) {
  // This Wine keeps no access lists on files, so the descriptors are built
  // here, as Windows shows them for the folders in question; the judgement's
  // own cases are in the unit tests.
  const std::string me = "S-1-5-21-1-2-3-1001";
  // Program Files\Ordavi, as the installer leaves it.
  CHECK(!OpenToOthers(FactsOf(L"O:S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464"
                              L"D:(A;OICIID;FA;;;SY)(A;OICIID;FA;;;BA)(A;OICIID;0x1200a9;;;BU)(A;OICIIOID;GA;;;CO)"),
                      me));
  // D:\Ordavi, made in a drive's root: Authenticated Users may modify.
  const SecurityFacts root =
      FactsOf(L"O:BAD:(A;OICIID;FA;;;BA)(A;OICIID;0x1301bf;;;AU)(A;OICIIOID;GA;;;CO)(D;;WD;;;BU)");
  CHECK(OpenToOthers(root, me));
  REQUIRE(root.rules.size() == 4);
  CHECK_EQ(root.owner, std::string("S-1-5-32-544"));
  CHECK_EQ(root.rules[1].sid, std::string("S-1-5-11"));
  CHECK_EQ(root.rules[1].mask, static_cast<std::uint32_t>(0x1301bf));
  CHECK(root.rules[1].allow && !root.rules[1].inheritOnly);
  CHECK(root.rules[2].inheritOnly);
  CHECK(!root.rules[3].allow);
  // No access list at all, as on a FAT drive: built by hand, since this
  // Wine's SDDL parser does not know NO_ACCESS_CONTROL.
  SECURITY_DESCRIPTOR nullDacl;
  InitializeSecurityDescriptor(&nullDacl, SECURITY_DESCRIPTOR_REVISION);
  SetSecurityDescriptorDacl(&nullDacl, TRUE, nullptr, FALSE);
  CHECK(!SecurityFactsOf(&nullDacl).hasDacl);
}

WT_TEST(TheAgentsOwnFolderIsReadThroughTheSystem) {
  Win32FolderSecuritySystem security;
  // Wine runs programs with administrator rights and reports its files as
  // owned by the user, who alone may write them.
  CHECK(security.RunsElevated());
  CHECK(security.OwnUserSid().rfind("S-1-5-21-", 0) == 0);
  CHECK(!security.ReadSecurity(kWorkDir + "no such file").has_value());
  const auto facts = security.ReadSecurity(kWorkDir.substr(0, kWorkDir.size() - 1));
  REQUIRE(facts.has_value());
  CHECK_EQ(facts->owner, security.OwnUserSid());
  CHECK(!AgentFolderOpenToOthers(security, kWorkDir + "Ordavi.exe"));
  // So the cleaning runs; a folder others could change is the unit tests' and
  // the descriptor cases' part.
  RealJunk junk;
  junk.Cleaner().CheckAgentFolder();
  CHECK(junk.notices.log.empty());
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

// A program of the user points the text files' association at its own
// command (on Windows in the per-user classes, writable without
// administrator rights, which the classes root shows first; this Wine merges
// no per-user classes, so the test writes the classes root). The cleaning's
// log must open in the system's Notepad all the same.
WT_TEST(TheCleaningLogOpensInNotepadNotThroughTheUsersTxtAssociation) {
  const std::string hit = "C:\\assoc-hit.txt";
  const std::string command = "C:\\windows\\system32\\cmd.exe /c echo hit> " + hit;
  const char* keys[] = {"txtfile\\shell\\open\\command",
                        "ordavi.hostile\\shell\\open\\command"};
  for (const char* key : keys) {
    REQUIRE(RegSetValueA(HKEY_CLASSES_ROOT, key, REG_SZ, command.c_str(), 0) == ERROR_SUCCESS);
  }
  REQUIRE(RegSetValueA(HKEY_CLASSES_ROOT, ".txt", REG_SZ, "ordavi.hostile", 0) == ERROR_SUCCESS);
  REQUIRE(RegSetValueA(HKEY_CLASSES_ROOT, ".ordavitest", REG_SZ, "ordavi.hostile", 0) ==
          ERROR_SUCCESS);
  const auto hitWithin = [&hit](int tenths) {
    for (int i = 0; i < tenths && !Exists(hit); ++i) Sleep(100);
    return Exists(hit);
  };
  const std::string log = kWorkDir + "log.txt";
  WriteAll(log, "log");
  Win32JunkSystem().OpenLog(log, kWorkDir);
  CHECK(!hitWithin(30));
  // The same association through the shell runs the command: the setup is
  // one the shell follows.
  WriteAll(kWorkDir + "control.ordavitest", "");
  ShellExecuteA(nullptr, "open", (kWorkDir + "control.ordavitest").c_str(), nullptr, nullptr, SW_HIDE);
  CHECK(hitWithin(100));
  RegDeleteTreeA(HKEY_CLASSES_ROOT, "ordavi.hostile");
  RegDeleteTreeA(HKEY_CLASSES_ROOT, "txtfile");
  RegDeleteTreeA(HKEY_CLASSES_ROOT, ".txt");
  RegDeleteTreeA(HKEY_CLASSES_ROOT, ".ordavitest");
}

WT_TEST(AnArgumentIsQuotedAsTheCommandLineRulesReadItBack) {
  const std::wstring cases[] = {L"C:\\Users\\a b\\log.txt", L"C:\\x\" /y", L"ends\\", L"a\\\"b", L""};
  for (const std::wstring& arg : cases) {
    const std::wstring line = L"notepad.exe " + QuotedArgument(arg);
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(line.c_str(), &argc);
    REQUIRE(argv != nullptr);
    CHECK_EQ(argc, 2);
    CHECK(argc == 2 && std::wstring(argv[1]) == arg);
    LocalFree(argv);
  }
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
