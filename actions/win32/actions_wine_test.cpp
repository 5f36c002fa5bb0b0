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
#include <winsock2.h>
#include <windows.h>
#include <aclapi.h>
#include <iphlpapi.h>
#include <sddl.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "actions/junk.h"
#include "actions/processes.h"
#include "actions/testing/fake_notices.h"
#include "actions/win32/win32_junk.h"
#include "actions/win32/win32_processes.h"
#include "actions/win32/win32_cleaning.h"
#include "actions/win32/win32_conditions.h"
#include "actions/win32/win32_devices.h"
#include "actions/win32/win32_power.h"
#include "actions/win32/win32_shell.h"
#include "schedule/testing/fake_clocks.h"
#include "platform/win32/system_library.h"
#include "store/testing/readable_failures.h"
#include "store/text.h"
#include "store/win32/gbk_text.h"
#include "platform/win32/testing/test_files.h"

using winetest::Exists;
using winetest::MakeLink;
using winetest::ReadAll;
using winetest::WriteAll;

namespace ordavi {
namespace {

const std::string kWorkDir = "C:\\ordavi wt 目录\\";  // a blank and GBK characters


// Whether the file exists and its writer has closed it (it opens with no
// sharing): only then is everything written there to read.
bool WrittenAndClosed(const std::string& path) {
  const HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  return true;
}

std::string SelfPath() {
  char buf[MAX_PATH + 1] = {};
  GetModuleFileNameA(nullptr, buf, MAX_PATH);
  return buf;
}

// The id of the process that started this one.
DWORD ParentProcessId() {
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  DWORD parent = 0;
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
    if (entry.th32ProcessID == GetCurrentProcessId()) parent = entry.th32ParentProcessID;
  }
  CloseHandle(snapshot);
  return parent;
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


// What the PC can do, as the power adapter reads it through GetPwrCapabilities,
// is the structure the system gives CallNtPowerInformation: any of S1 to S3
// is a sleep, S4 hibernation, then the hibernation file and AoAc (byte 20).
TEST(Win32Power, CapabilitiesAreTheSystemsOwn) {
  Win32DeviceSystem devices(nullptr);
  const std::optional<PowerCapabilities> caps = Win32PowerSystem(devices).Capabilities();
  ASSERT_TRUE(caps.has_value());
  using CallNtPowerInformationFn = LONG(WINAPI*)(int, void*, ULONG, void*, ULONG);
  const auto call = SystemProc<CallNtPowerInformationFn>("powrprof.dll", "CallNtPowerInformation");
  ASSERT_NE(call, nullptr);
  unsigned char raw[76] = {};
  const int kSystemPowerCapabilities = 4;
  ASSERT_EQ(call(kSystemPowerCapabilities, nullptr, 0, raw, sizeof raw), 0);
  EXPECT_EQ(caps->sleep, raw[3] || raw[4] || raw[5]);
  EXPECT_EQ(caps->hibernate, raw[6] != 0);
  EXPECT_EQ(caps->hiberFile, raw[8] != 0);
  EXPECT_EQ(caps->modernStandby, raw[20] != 0);
  std::printf("S1 %d S2 %d S3 %d S4 %d hiberfile %d AoAc %d\n", raw[3], raw[4], raw[5], raw[6], raw[8], raw[20]);
}

TEST(Win32Processes, ProcessSnapshotListsRunningProgramsByFileName) {
  Win32ProcessSystem sys;
  const auto list = sys.ListProcesses();
  ASSERT_TRUE(list.has_value());
  bool self = false;
  for (const ProcessEntry& p : *list) {
    if (p.pid == GetCurrentProcessId()) self = ProcessMatches(p.exeFile, SplitPath(SelfPath()).name);
  }
  EXPECT_TRUE(self);
}

// Sends 200 datagrams of 1000 bytes to the address; the bytes sent.
std::uint64_t SendDatagrams(const char* address) {
  WSADATA wsa;
  if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0) return 0;
  const SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(9);  // discard
  to.sin_addr.s_addr = inet_addr(address);
  const std::vector<char> datagram(1000, 'x');
  std::uint64_t sent = 0;
  for (int i = 0; s != INVALID_SOCKET && i < 200; ++i) {
    sent += std::max(0, sendto(s, datagram.data(), 1000, 0, reinterpret_cast<sockaddr*>(&to), sizeof to));
  }
  closesocket(s);
  WSACleanup();
  return sent;
}

// The condition sensors over the real system: the program itself among the
// running programs, the system times giving a processor use, and the
// interface table's counters of the adapters that are up (loopback left
// out). Under the test command the program runs in a network namespace of
// its own (tools/wine-run.sh --own-network), where datagrams to
// ORDAVI_TEST_TRAFFIC_TO leave through one of its adapters; elsewhere no
// traffic can be made without another host (a datagram to this machine's
// own address goes through loopback), and the counters are only read.
TEST(Win32Conditions, SensorsReadTheSystemsCounters) {
  Win32ProcessSystem processes;
  Win32ConditionSensors sensors(processes);
  const auto programs = sensors.RunningPrograms();
  ASSERT_TRUE(programs.has_value());
  bool self = false;
  for (const std::string& p : *programs) self = self || ProcessMatches(p, SplitPath(SelfPath()).name);
  EXPECT_TRUE(self);

  const auto before = sensors.AdapterCounters();
  ASSERT_TRUE(before.has_value());
  const auto times = sensors.ProcessorUse();
  ASSERT_TRUE(times.has_value());
  EXPECT_GE(times->kernel, times->idle);
  const char* target = std::getenv("ORDAVI_TEST_TRAFFIC_TO");
  const std::uint64_t sent = target ? SendDatagrams(target) : 0;
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < 300) {
  }
  const auto after = sensors.AdapterCounters();
  ASSERT_TRUE(after.has_value());
  const std::uint64_t moved = OctetsBetween(*before, *after, 300);
  const auto use = ProcessorPercent(*times, *sensors.ProcessorUse());
  std::printf("adapters up: %u, octets sent by the test: %llu, moved in 0.3 s: %llu, processor use: %.1f%%\n",
              static_cast<unsigned>(after->size()), static_cast<unsigned long long>(sent),
              static_cast<unsigned long long>(moved), use ? *use : -1.0);
  ASSERT_TRUE(use.has_value());
  EXPECT_GT(*use, 0.0);  // this loop kept one processor busy
  EXPECT_LE(*use, 100.0);
  if (!target) {
    std::printf("no adapter of its own to send on (ORDAVI_TEST_TRAFFIC_TO unset): counters only read\n");
  } else {
    ASSERT_EQ(sent, 200000u) << "datagrams to " << target;
    EXPECT_GE(moved, sent);  // each datagram with its headers
    bool counted = false;  // as sent by one adapter, its counters never going back
    for (const AdapterOctets& a : *after) {
      for (const AdapterOctets& b : *before) {
        if (a.id == b.id) counted = counted || (a.received >= b.received && a.sent >= b.sent + sent);
      }
    }
    EXPECT_TRUE(counted) << "no adapter counted the datagrams as sent";
  }

  // Loopback is left out: its index is not among the adapters read.
  using GetFn = DWORD(WINAPI*)(PMIB_IFTABLE, PULONG, BOOL);
  const GetFn get = SystemProc<GetFn>("iphlpapi.dll", "GetIfTable");
  ULONG size = 0;
  ASSERT_TRUE(get && get(nullptr, &size, FALSE) == ERROR_INSUFFICIENT_BUFFER);
  std::vector<unsigned char> buffer(size);
  PMIB_IFTABLE table = reinterpret_cast<PMIB_IFTABLE>(buffer.data());
  ASSERT_EQ(get(table, &size, FALSE), static_cast<DWORD>(NO_ERROR));
  int loopbacks = 0;
  for (DWORD i = 0; i < table->dwNumEntries; ++i) {
    if (table->table[i].dwType != 24) continue;  // IF_TYPE_SOFTWARE_LOOPBACK
    ++loopbacks;
    for (const AdapterOctets& a : *after) EXPECT_NE(a.id, table->table[i].dwIndex);
  }
  EXPECT_GT(loopbacks, 0) << "the interface table lists the loopback adapter";
}

// "After a program ends" watches this agent's own session only: a program
// of the watched name in another session (another user's) is not seen, nor
// one whose session cannot be read; here one session holds every process,
// so the other sessions are told by the lookup.
TEST(Win32Conditions, OnlyTheProgramsOfTheAgentsOwnSessionAreWatched) {
  const HANDLE other = StartSleeper("backup.exe");
  const HANDLE unknown = StartSleeper("unknown.exe");
  ASSERT_TRUE(other && unknown);
  const DWORD otherPid = GetProcessId(other), unknownPid = GetProcessId(unknown);
  Win32ProcessSystem processes;
  Win32ConditionSensors sensors(processes, [&](std::uint32_t pid, std::uint32_t& session) {
    if (pid == unknownPid) return false;
    if (!SystemSessionOf(pid, session)) return false;
    if (pid == otherPid) session += 1;
    return true;
  });
  const auto names = sensors.RunningPrograms();
  ASSERT_TRUE(names.has_value());
  const auto seen = [&names](const char* name) {
    for (const std::string& p : *names) {
      if (ProcessMatches(p, name)) return true;
    }
    return false;
  };
  EXPECT_TRUE(seen(SplitPath(SelfPath()).name.c_str()));
  EXPECT_FALSE(seen("backup.exe"));
  EXPECT_FALSE(seen("unknown.exe"));
  // The system's own lookup sees both, in this one session.
  Win32ConditionSensors system(processes);
  const auto all = system.RunningPrograms();
  ASSERT_TRUE(all.has_value());
  int found = 0;
  for (const std::string& p : *all) found += ProcessMatches(p, "backup.exe") + ProcessMatches(p, "unknown.exe");
  EXPECT_EQ(found, 2);
  for (const HANDLE h : {other, unknown}) {
    TerminateProcess(h, 0);
    CloseHandle(h);
  }
}

TEST(Win32Processes, CloseProgramByNameEndsEveryInstanceAndNothingElse) {
  HANDLE a = StartSleeper("victim.exe");
  HANDLE b = StartSleeper("victim.exe");
  HANDLE other = StartSleeper("bystander.exe");
  ASSERT_TRUE(a && b && other);
  Sleep(1500);
  Win32ProcessSystem sys;
  CloseProgramByName("Victim.EXE", sys);
  EXPECT_EQ(WaitForSingleObject(a, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_EQ(WaitForSingleObject(b, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
  DWORD code = 1;
  GetExitCodeProcess(a, &code);
  EXPECT_EQ(code, static_cast<DWORD>(0));
  EXPECT_EQ(WaitForSingleObject(other, 500), static_cast<DWORD>(WAIT_TIMEOUT));
  TerminateProcess(other, 0);
  for (HANDLE h : {a, b, other}) CloseHandle(h);
}

// The image path is read through the very handle that would end the process,
// and a check that refuses it leaves the process running.
TEST(Win32Processes, ClosingAProcessChecksItsImageThroughTheOpenedHandle) {
  HANDLE victim = StartSleeper("被查.exe");
  ASSERT_TRUE(victim);
  Sleep(1000);
  const DWORD pid = GetProcessId(victim);
  Win32ProcessSystem sys;
  std::optional<std::string> seen;
  sys.TerminateProcess(pid, [&seen](const std::optional<std::string>& image) {
    seen = image;
    return false;
  });
  ASSERT_TRUE(seen.has_value());
  EXPECT_EQ(SplitPath(*seen).name, std::string("被查.exe"));
  EXPECT_TRUE(ImageIsTheProgram(seen, "被查.EXE"));
  EXPECT_EQ(WaitForSingleObject(victim, 500), static_cast<DWORD>(WAIT_TIMEOUT));  // refused: still running
  sys.TerminateProcess(pid, [](const std::optional<std::string>& image) { return ImageIsTheProgram(image, "被查.exe"); });
  EXPECT_EQ(WaitForSingleObject(victim, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
  CloseHandle(victim);
}

// The process is ended through the handle its image was checked through,
// never reopened by its id, which may have gone to another program by then.
// Shown by taking the right to end it from every later opening while the
// check runs: only the handle opened before can still end it.
TEST(Win32Processes, TheProcessIsEndedThroughTheHandleThatWasCheckedNotReopened) {
  HANDLE victim = StartSleeper("被换.exe");
  ASSERT_TRUE(victim);
  Sleep(1000);
  Win32ProcessSystem sys;
  sys.TerminateProcess(GetProcessId(victim), [victim](const std::optional<std::string>& image) {
    PSECURITY_DESCRIPTOR sd = nullptr;
    ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;;0x00101000;;;WD)", SDDL_REVISION_1, &sd, nullptr);
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    GetSecurityDescriptorDacl(sd, &present, &dacl, &defaulted);
    SetSecurityInfo(victim, SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr,
                    nullptr, dacl, nullptr);
    LocalFree(sd);
    return ImageIsTheProgram(image, "被换.exe");
  });
  EXPECT_EQ(WaitForSingleObject(victim, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
  ::TerminateProcess(victim, 0);
  CloseHandle(victim);
}

// The tests plant their temporary folders anywhere on C:, and this Wine runs
// every program with administrator rights; where an elevated agent's folders
// may lie is tested on its own (TemporaryFoldersOfAnotherProfileAreNotCleaned).
struct AnyFolderOfC : Win32TempFolderSystem {
  std::vector<std::string> OwnFolders() override { return {"C:"}; }
};

// The real adapters of junk cleaning, with the agent's folder kWorkDir.
class JunkCleaning : public ::testing::Test {
 protected:
  JunkCleaner Cleaner() { return CleanerOver(system, folders); }
  JunkCleaner CleanerOver(JunkSystem& junkSystem, TempFolderSystem& temp) {
    return JunkCleaner(JunkPorts{junkSystem, temp, security, clock, notices}, kWorkDir + "Ordavi.exe");
  }

  // Cleans with only the environment variables given set among those the
  // cleaning reads, and returns the log; over other ports when given.
  std::string CleanWith(const std::vector<std::pair<const char*, std::string>>& set) {
    return CleanWith(set, system, folders);
  }
  std::string CleanWith(const std::vector<std::pair<const char*, std::string>>& set, JunkSystem& junkSystem,
                        TempFolderSystem& temp) {
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
    CleanerOver(junkSystem, temp).CleanJunk(false);
    for (std::size_t i = 0; i < saved.size(); ++i) SetEnvironmentVariableA(vars[i], saved[i].c_str());
    return ReadAll(kWorkDir + kLogName);
  }

  Win32JunkSystem system;
  AnyFolderOfC folders;
  Win32FolderSecuritySystem security;
  FixedClock clock;
  testing::FakeNotices notices;
};

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

TEST_F(JunkCleaning, CleaningRunsTheUsersScriptByTheInterpretersFullPathAndKeepsItsOutput) {
  WriteAll(kWorkDir + "QLLJ.bat", "@echo off\r\necho script ran\r\n");
  const std::string log = CleanWith({});
  EXPECT_TRUE(log.rfind("Ordavi junk cleaning, started 2024-03-05 08:07:09\r\n", 0) == 0);
  EXPECT_TRUE(Has(log, "\r\nQLLJ.bat:\r\nscript ran\r\n\r\nFinished "));
}

TEST_F(JunkCleaning, JunkRunnerReportsAProcessThatCannotStart) {
  Win32JunkSystem sys;
  EXPECT_FALSE(sys.RunHiddenAndWait("C:\\no such dir\\none.exe"));
  EXPECT_TRUE(sys.RunHiddenAndWait("cmd.exe /c exit 3"));
}

TEST_F(JunkCleaning, CleaningEmptiesTheTempFolderOnly) {
  ASSERT_TRUE(CopyFileA((SplitPath(SelfPath()).dir + "QLLJ.bat").c_str(), (kWorkDir + "QLLJ.bat").c_str(), FALSE));
  char temp[MAX_PATH + 1] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string tempDir = temp;
  CreateDirectoryA((tempDir + "ordavi junk folder").c_str(), nullptr);
  WriteAll(tempDir + "ordavi junk folder\\inner.tmp", "x");
  WriteAll(tempDir + "ordavi_junk.tmp", "x");
  WriteAll(tempDir + "read-only.tmp", "x");
  SetFileAttributesA((tempDir + "read-only.tmp").c_str(), FILE_ATTRIBUTE_READONLY);
  WriteAll(kWorkDir + "precious.tmp", "keep");

  Cleaner().CleanJunk(false);
  EXPECT_FALSE(Exists(tempDir + "ordavi_junk.tmp"));
  EXPECT_FALSE(Exists(tempDir + "read-only.tmp"));
  EXPECT_FALSE(Exists(tempDir + "ordavi junk folder"));
  EXPECT_TRUE(Exists(tempDir));
  EXPECT_TRUE(Exists(kWorkDir + "precious.tmp"));
  EXPECT_TRUE(Exists(kWorkDir + "QLLJ.bat"));
  const std::string log = ReadAll(kWorkDir + kLogName);
  EXPECT_TRUE(Has(log, "  removed: \"ordavi_junk.tmp\""));
  EXPECT_TRUE(Has(log, "  removed folder: \"ordavi junk folder\\\""));
  EXPECT_TRUE(Has(log, "\r\nFinished "));
}

TEST_F(JunkCleaning, CleaningWithUnsetFoldersRemovesNothing) {
  // Junk-like files in the current directory and in a root must survive when
  // every variable the cleaning uses is unset.
  WriteAll(kWorkDir + "current.tmp", "keep");
  WriteAll("C:\\root.tmp", "keep");
  char oldDir[MAX_PATH + 1] = {};
  GetCurrentDirectoryA(MAX_PATH, oldDir);
  SetCurrentDirectoryA(kWorkDir.c_str());
  const std::string log = CleanWith({});
  SetCurrentDirectoryA(oldDir);
  EXPECT_TRUE(Exists(kWorkDir + "current.tmp"));
  EXPECT_TRUE(Exists("C:\\root.tmp"));
  EXPECT_TRUE(Has(log, "skipped: TEMP is not set"));
  EXPECT_TRUE(Has(log, "Removed: 0 files, 0 folders"));
}

TEST_F(JunkCleaning, ALinkAsTheTempFolderOrAboveItIsNotCleaned) {
  MakeOutside();
  MakeDirs("C:\\linked\\outer");
  WriteAll(kOutside + "Temp", "");  // a plain file named Temp, never reached
  CreateDirectoryA((kOutside + "Tmp").c_str(), nullptr);
  WriteAll(kOutside + "Tmp\\inner.txt", "keep");
  ASSERT_TRUE(MakeLink("C:\\linked\\Temp", kOutside));           // the folder itself
  ASSERT_TRUE(MakeLink("C:\\linked\\above", "C:\\precious"));     // a folder above it
  const std::string log = CleanWith({{"TEMP", "C:\\linked\\Temp"}, {"TMP", "C:\\linked\\above\\Tmp"}});
  EXPECT_TRUE(OutsideWhole());
  EXPECT_EQ(ReadAll(kOutside + "Tmp\\inner.txt"), std::string("keep"));
  EXPECT_TRUE(Has(log, "Folder \"C:\\linked\\Temp\"\r\n  full path \"C:\\linked\\Temp\"\r\n  skipped: it or a folder above it is a link"));
  EXPECT_TRUE(Has(log, "Folder \"C:\\linked\\above\\Tmp\"\r\n  full path \"C:\\linked\\above\\Tmp\"\r\n  skipped: it or a folder above it is a link"));
}

TEST_F(JunkCleaning, LinksInsideTheTempFolderAreNeverFollowed) {
  MakeOutside();
  const std::string t = "C:\\links\\Temp\\";
  MakeDirs(t + "holder");
  WriteAll(t + "junk.tmp", "x");
  WriteAll(t + "holder\\junk2.tmp", "x");
  ASSERT_TRUE(MakeLink(t + "folderlink", kOutside));
  ASSERT_TRUE(MakeLink(t + "filelink.txt", kOutside + "keep.txt"));
  ASSERT_TRUE(MakeLink(t + "holder\\innerlink", kOutside + "sub"));
  const std::string log = CleanWith({{"TEMP", "C:\\links\\Temp"}});
  EXPECT_TRUE(OutsideWhole());
  EXPECT_FALSE(Exists(t + "junk.tmp"));
  EXPECT_FALSE(Exists(t + "holder\\junk2.tmp"));
  EXPECT_TRUE(Has(log, "  removed: \"junk.tmp\""));
  // Wine opens its Unix links' targets even when asked not to; the handle then
  // lies elsewhere, and that is what the cleaning sees.
  EXPECT_TRUE(Has(log, "left alone: \"folderlink\""));
  EXPECT_TRUE(Has(log, "left alone: \"filelink.txt\""));
  EXPECT_TRUE(Has(log, "left alone: \"holder\\innerlink\""));
  EXPECT_TRUE(Has(log, "  kept in part: \"holder\\\""));
}

TEST_F(JunkCleaning, AnEntrySwappedForALinkAfterTheListingIsLeftAlone) {
  MakeOutside();
  const std::string t = "C:\\race\\Temp\\";
  MakeDirs(t + "victim");
  WriteAll(t + "victim\\a.tmp", "x");
  WriteAll(t + "victim.tmp", "x");
  WriteAll(t + "plain.tmp", "x");
  bool swapped = false;
  // Between the listing and the opening of each entry, as a racing user
  // would: the folder and the file are replaced by links to the outside.
  folders.afterListing = [&](const std::string& folder) {
    if (swapped || folder != "C:\\race\\Temp") return;
    swapped = true;
    MoveFileA((t + "victim").c_str(), "C:\\race\\moved-victim");
    DeleteFileA((t + "victim.tmp").c_str());
    MakeLink(t + "victim", kOutside);
    MakeLink(t + "victim.tmp", kOutside + "keep.txt");
  };
  const std::string log = CleanWith({{"TEMP", "C:\\race\\Temp"}});
  EXPECT_TRUE(swapped);
  EXPECT_TRUE(OutsideWhole());
  EXPECT_FALSE(Exists(t + "plain.tmp"));
  EXPECT_TRUE(Has(log, "  removed: \"plain.tmp\""));
  EXPECT_TRUE(Has(log, "left alone: \"victim\""));
  EXPECT_TRUE(Has(log, "left alone: \"victim.tmp\""));
}

// TEMP set through the user's settings to another user's temporary folder:
// the elevated agent leaves it alone, and cleans its own profile's.
TEST_F(JunkCleaning, TemporaryFoldersOfAnotherProfileAreNotCleaned) {
  Win32TempFolderSystem real;
  const std::vector<std::string> own = real.OwnFolders();
  ASSERT_EQ(own.size(), 2u);
  char windows[MAX_PATH + 1] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  EXPECT_EQ(own[1], std::string(windows) + "\\Temp");
  const std::string other = "C:\\users\\other\\Temp";
  const std::string mine = own[0] + "\\ordavi own\\Temp";
  MakeDirs(other);
  MakeDirs(mine);
  WriteAll(other + "\\theirs.tmp", "x");
  WriteAll(mine + "\\mine.tmp", "x");
  // A service profile's lies inside the Windows directory (as the system
  // profile's does, below system32, which a 32-bit program sees redirected).
  const std::string systemProfile = std::string(windows) + "\\ServiceProfiles\\LocalService\\AppData\\Local\\Temp";
  MakeDirs(systemProfile);
  WriteAll(systemProfile + "\\system.tmp", "x");
  const std::string log =
      CleanWith({{"TEMP", other}, {"TMP", mine}, {"LOCALAPPDATA", std::string(windows) +
                                                   "\\ServiceProfiles\\LocalService\\AppData\\Local"}},
                system, real);
  EXPECT_TRUE(Exists(systemProfile + "\\system.tmp"));
  EXPECT_TRUE(Exists(other + "\\theirs.tmp"));
  EXPECT_FALSE(Exists(mine + "\\mine.tmp"));
  EXPECT_TRUE(Has(log, "skipped: not in this user's profile or the Windows folder's Temp"));
}

// The folder being cleaned is held without FILE_SHARE_DELETE: a racing
// user cannot rename it away to put a link in its place.
TEST_F(JunkCleaning, TheTempFolderCannotBeRenamedWhileItIsCleaned) {
  const std::string t = "C:\\held\\Temp";
  MakeDirs(t);
  WriteAll(t + "\\a.tmp", "x");
  bool tried = false, renamed = true;
  folders.afterListing = [&](const std::string& folder) {
    if (tried || folder != t) return;
    tried = true;
    renamed = MoveFileA(t.c_str(), "C:\\held\\away") != 0;
  };
  CleanWith({{"TEMP", t}});
  EXPECT_TRUE(tried);
  EXPECT_FALSE(renamed);
  EXPECT_FALSE(Exists("C:\\held\\away"));
}

TEST_F(JunkCleaning, AReadOnlyFileWithAnotherNameOutsideKeepsItsAttribute) {
  MakeOutside();
  const std::string t = "C:\\hard\\Temp\\";
  MakeDirs(t.substr(0, t.size() - 1));
  WriteAll(kOutside + "guarded.txt", "keep");
  SetFileAttributesA((kOutside + "guarded.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  ASSERT_TRUE(CreateHardLinkA((t + "second-name.tmp").c_str(), (kOutside + "guarded.txt").c_str(), nullptr));
  const std::string log = CleanWith({{"TEMP", "C:\\hard\\Temp"}});
  EXPECT_EQ(ReadAll(kOutside + "guarded.txt"), std::string("keep"));
  EXPECT_TRUE(GetFileAttributesA((kOutside + "guarded.txt").c_str()) & FILE_ATTRIBUTE_READONLY);
  EXPECT_TRUE(Has(log, "  kept, in use: \"second-name.tmp\""));
}

TEST_F(JunkCleaning, ATempComponentInTheMiddleDoesNotMakeATemporaryFolder) {
  MakeDirs("C:\\tmp\\project\\src");
  WriteAll("C:\\tmp\\project\\main.cpp", "keep");
  WriteAll("C:\\tmp\\project\\src\\a.cpp", "keep");
  const std::string log = CleanWith({{"TEMP", "C:\\tmp\\project"}, {"TMP", "C:\\tmp\\project\\src\\..\\"}});
  EXPECT_EQ(ReadAll("C:\\tmp\\project\\main.cpp"), std::string("keep"));
  EXPECT_EQ(ReadAll("C:\\tmp\\project\\src\\a.cpp"), std::string("keep"));
  EXPECT_TRUE(Has(log, "Folder \"C:\\tmp\\project\"\r\n  full path \"C:\\tmp\\project\"\r\n  skipped: its last part is not Temp or Tmp"));
  EXPECT_TRUE(Has(log, "  full path \"C:\\tmp\\project\"\r\n  skipped: its last part is not Temp or Tmp\r\n\r\n  skipped: LOCALAPPDATA"));
}

// Wine 8's cmd ignores AutoRun altogether (with or without /D), so under Wine
// this shows only that the log stays free of it; what keeps Windows' cmd from
// running it is the /D of the command line (unit test, relay trace).
TEST_F(JunkCleaning, TheUsersCommandProcessorAutoRunDoesNotRunInTheCleaning) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Command Processor", 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS);
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
  const std::string log = CleanWith({}, traced, folders);
  RegDeleteValueA(key, "AutoRun");
  RegCloseKey(key);
  EXPECT_TRUE(Has(log, "script ran"));
  EXPECT_FALSE(Has(log, "AUTORUN"));
  char system[MAX_PATH + 1] = {};
  GetSystemDirectoryA(system, MAX_PATH);
  const std::string interpreter = "\"" + std::string(system) + "\\cmd.exe\" /D /c ";
  EXPECT_EQ(traced.commandLine.substr(0, interpreter.size()), interpreter);
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

TEST(FolderAccessLists, AccessListsAreReadAsTheFolderCheckWeighsThem) {
  // This Wine keeps no access lists on files, so the descriptors are built
  // here, as Windows shows them for the folders in question; the judgement's
  // own cases are in the unit tests.
  const std::string me = "S-1-5-21-1-2-3-1001";
  // Program Files\Ordavi, as the installer leaves it.
  EXPECT_FALSE(OpenToOthers(FactsOf(L"O:S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464"
                                    L"D:(A;OICIID;FA;;;SY)(A;OICIID;FA;;;BA)(A;OICIID;0x1200a9;;;BU)(A;OICIIOID;GA;;;CO)"),
                            me));
  // D:\Ordavi, made in a drive's root: Authenticated Users may modify.
  const SecurityFacts root =
      FactsOf(L"O:BAD:(A;OICIID;FA;;;BA)(A;OICIID;0x1301bf;;;AU)(A;OICIIOID;GA;;;CO)(D;;WD;;;BU)");
  EXPECT_TRUE(OpenToOthers(root, me));
  ASSERT_EQ(root.rules.size(), 4u);
  EXPECT_EQ(root.owner, std::string("S-1-5-32-544"));
  EXPECT_EQ(root.rules[1].sid, std::string("S-1-5-11"));
  EXPECT_EQ(root.rules[1].mask, static_cast<std::uint32_t>(0x1301bf));
  EXPECT_TRUE(root.rules[1].allow && !root.rules[1].inheritOnly);
  EXPECT_TRUE(root.rules[2].inheritOnly);
  EXPECT_FALSE(root.rules[3].allow);
  // No access list at all, as on a FAT drive: built by hand, since this
  // Wine's SDDL parser does not know NO_ACCESS_CONTROL.
  SECURITY_DESCRIPTOR nullDacl;
  InitializeSecurityDescriptor(&nullDacl, SECURITY_DESCRIPTOR_REVISION);
  SetSecurityDescriptorDacl(&nullDacl, TRUE, nullptr, FALSE);
  EXPECT_FALSE(SecurityFactsOf(&nullDacl).hasDacl);
}

TEST_F(JunkCleaning, TheAgentsOwnFolderIsReadThroughTheSystem) {
  // Wine runs programs with administrator rights and reports its files as
  // owned by the user, who alone may write them.
  EXPECT_TRUE(security.RunsElevated());
  EXPECT_TRUE(security.OwnUserSid().rfind("S-1-5-21-", 0) == 0);
  EXPECT_FALSE(security.ReadSecurity(kWorkDir + "no such file").has_value());
  const auto facts = security.ReadSecurity(kWorkDir.substr(0, kWorkDir.size() - 1));
  ASSERT_TRUE(facts.has_value());
  EXPECT_EQ(facts->owner, security.OwnUserSid());
  EXPECT_FALSE(AgentFolderOpenToOthers(security, kWorkDir + "Ordavi.exe"));
  // So the cleaning runs; a folder others could change is the unit tests' and
  // the descriptor cases' part.
  Cleaner().CheckAgentFolder();
  EXPECT_TRUE(notices.log.empty());
}

// A link in the agent's place (the folder itself, or one of its files) is
// weighed as a link, not by the rights of what it points to: whoever
// controls the link's target controls the agent.
TEST_F(JunkCleaning, ALinkAsTheAgentsFolderOrItsFileCountsAsOpen) {
  const std::string real = "C:\\agent-real", linked = "C:\\agent-linked";  // ASCII, for ln
  CreateDirectoryA(real.c_str(), nullptr);
  WriteAll(real + "\\Ordavi.exe", "x");
  ASSERT_TRUE(MakeLink(linked, real));
  EXPECT_FALSE(AgentFolderOpenToOthers(security, real + "\\Ordavi.exe"));
  EXPECT_TRUE(AgentFolderOpenToOthers(security, linked + "\\Ordavi.exe"));
  const auto facts = security.ReadSecurity(linked);
  ASSERT_TRUE(facts.has_value());
  EXPECT_FALSE(facts->hasDacl);
  // A link as the program's help file beside it.
  ASSERT_TRUE(MakeLink(real + "\\Ordavi.CHM", real + "\\Ordavi.exe"));
  EXPECT_TRUE(AgentFolderOpenToOthers(security, real + "\\Ordavi.exe"));
}

// A system program runs from the system directory even when the current
// directory holds a program of the same name, with its GBK arguments whole.
TEST(Shell, SystemProgramsRunByTheirFullPathWithGbkArguments) {
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
  for (int i = 0; i < 100 && !WrittenAndClosed(kWorkDir + "系统程序.txt"); ++i) Sleep(100);
  EXPECT_EQ(ReadAll(kWorkDir + "系统程序.txt"), std::string("网卡\r\n"));
  EXPECT_FALSE(Exists(kWorkDir + "planted.txt"));
  DeleteFileA((kWorkDir + "cmd.exe").c_str());  // later tests start cmd.exe in this folder
}

// The App Paths of the user's own registry, which the shell's search reads
// and any program of the user can write, name nothing an elevated agent
// runs for a program given without a folder: only the system and Windows
// directories are looked in.
TEST(Shell, AProgramWithoutAFolderIsLookedForInTheSystemFoldersOnly) {
  const char* key = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\ordavi-planted.exe";
  HKEY planted = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &planted, nullptr), 0);
  const std::string self = SelfPath();
  RegSetValueExA(planted, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(self.c_str()), self.size() + 1);
  RegCloseKey(planted);
  Win32Shell shell([] { return HWND(nullptr); });
  EXPECT_EQ(shell.SystemProgram("ordavi-planted.exe"), "");
  char system[MAX_PATH] = {};
  GetSystemDirectoryA(system, MAX_PATH);
  EXPECT_EQ(AsciiUpper(shell.SystemProgram("notepad.exe")), AsciiUpper(std::string(system) + "\\notepad.exe"));
  EXPECT_EQ(shell.SystemProgram("system32"), "");  // a folder is no program
  RegDeleteKeyA(HKEY_CURRENT_USER, key);
}

TEST(Shell, OpenFileUsesTheDirectoryPartAsWorkingDirectory) {
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
  EXPECT_TRUE(seen);
}

// A program of the user points the text files' association at its own
// command (on Windows in the per-user classes, writable without
// administrator rights, which the classes root shows first; this Wine merges
// no per-user classes, so the test writes the classes root). The cleaning's
// log must open in the system's Notepad all the same.
TEST(Shell, TheCleaningLogOpensInNotepadNotThroughTheUsersTxtAssociation) {
  const std::string hit = "C:\\assoc-hit.txt";
  const std::string command = "C:\\windows\\system32\\cmd.exe /c echo hit> " + hit;
  for (const char* key : {"txtfile\\shell\\open\\command", "ordavi.hostile\\shell\\open\\command"}) {
    ASSERT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, key, REG_SZ, command.c_str(), 0), ERROR_SUCCESS);
  }
  ASSERT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, ".txt", REG_SZ, "ordavi.hostile", 0), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, ".ordavitest", REG_SZ, "ordavi.hostile", 0), ERROR_SUCCESS);
  const auto hitWithin = [&hit](int tenths) {
    for (int i = 0; i < tenths && !Exists(hit); ++i) Sleep(100);
    return Exists(hit);
  };
  const std::string log = kWorkDir + "log.txt";
  WriteAll(log, "log");
  Win32JunkSystem().OpenLog(log, kWorkDir);
  EXPECT_FALSE(hitWithin(30));
  // The same association through the shell runs the command: the setup is
  // one the shell follows.
  WriteAll(kWorkDir + "control.ordavitest", "");
  ShellExecuteA(nullptr, "open", (kWorkDir + "control.ordavitest").c_str(), nullptr, nullptr, SW_HIDE);
  EXPECT_TRUE(hitWithin(100));
  for (const char* key : {"ordavi.hostile", "txtfile", ".txt", ".ordavitest"}) RegDeleteTreeA(HKEY_CLASSES_ROOT, key);
}

TEST(Shell, AnArgumentIsQuotedAsTheCommandLineRulesReadItBack) {
  const std::wstring cases[] = {L"C:\\Users\\a b\\log.txt", L"C:\\x\" /y", L"ends\\", L"a\\\"b", L""};
  for (const std::wstring& arg : cases) {
    const std::wstring line = L"notepad.exe " + QuotedArgument(arg);
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(line.c_str(), &argc);
    ASSERT_NE(argv, nullptr);
    EXPECT_EQ(argc, 2);
    EXPECT_TRUE(argc == 2 && std::wstring(argv[1]) == arg);
    LocalFree(argv);
  }
}

// A document `doc` of a type whose program is this program, which writes
// its parent's id into `marker`.
bool PlantTestDocument(const std::string& doc, const std::string& marker) {
  WriteAll(doc, "x");
  const std::string command = "\"" + SelfPath() + "\" --parent \"" + marker + "\"";
  return RegSetValueA(HKEY_CLASSES_ROOT, ".ordavitest", REG_SZ, "ordavitestfile", 0) == ERROR_SUCCESS &&
         RegSetValueA(HKEY_CLASSES_ROOT, "ordavitestfile\\shell\\open\\command", REG_SZ, command.c_str(), 0) ==
             ERROR_SUCCESS;
}

// The desktop's shell opens a document with its own process, so the
// program the association names is not this process's child and does not
// get its rights; opened directly, it is.
TEST(Shell, ADocumentOpensThroughTheDesktopsShellNotAsThisProcesssChild) {
  const std::string doc = kWorkDir + "desk.ordavitest", marker = kWorkDir + "desk-parent.txt";
  ASSERT_TRUE(PlantTestDocument(doc, marker));
  Win32Shell shell([] { return HWND(nullptr); });
  const std::string self = std::to_string(GetCurrentProcessId());
  for (const bool desktop : {true, false}) {
    DeleteFileA(marker.c_str());
    if (desktop) {
      EXPECT_EQ(shell.OpenAsDesktopUser(doc, kWorkDir, true), DesktopOpen::Opened);
    } else {
      shell.OpenFileHidden(doc, kWorkDir);
    }
    for (int i = 0; i < 100 && !WrittenAndClosed(marker); ++i) Sleep(100);
    const std::string parent = ReadAll(marker);
    EXPECT_FALSE(parent.empty()) << desktop;
    EXPECT_EQ(parent == self, !desktop) << "parent " << parent << ", this process " << self;
  }
  RegDeleteTreeA(HKEY_CLASSES_ROOT, ".ordavitest");
  RegDeleteTreeA(HKEY_CLASSES_ROOT, "ordavitestfile");
}

// An elevated agent starts a task's program itself, by its full path, a
// batch file in the system's interpreter and a screen saver with the /S its
// "open" gives: the association a program of the user may have pointed at
// its own command (on Windows in its per-user classes; here the classes
// root) never runs. (Wine's shell starts programs itself whatever the
// association says, so the shell's way cannot be shown to follow it here;
// that an elevated agent never takes that way is the unit tests' part.)
TEST(Shell, AnElevatedAgentsProgramIsStartedWithoutTheUsersAssociation) {
  const std::string hit = kWorkDir + "assoc-program.txt", ran = kWorkDir + "batch-ran.txt";
  const std::string saver = kWorkDir + "屏保 1.scr", saverRan = kWorkDir + "saver-ran.txt";
  const std::string command = "C:\\windows\\system32\\cmd.exe /c echo hit> \"" + hit + "\"";
  for (const char* key : {"batfile\\shell\\open\\command", "exefile\\shell\\open\\command",
                          "scrfile\\shell\\open\\command"}) {
    ASSERT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, key, REG_SZ, command.c_str(), 0), ERROR_SUCCESS);
  }
  ASSERT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, ".bat", REG_SZ, "batfile", 0), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, ".scr", REG_SZ, "scrfile", 0), ERROR_SUCCESS);
  const std::string script = kWorkDir + "任务 1.bat";
  WriteAll(script, "@echo ran> \"" + ran + "\"\r\n");
  CopyFileA(SelfPath().c_str(), saver.c_str(), FALSE);  // marks that it ran, and with what
  const auto within = [](const std::string& file, int tenths) {
    for (int i = 0; i < tenths && !WrittenAndClosed(file); ++i) Sleep(100);
    return WrittenAndClosed(file);
  };
  Win32Shell shell([] { return HWND(nullptr); });
  for (const std::string& f : {hit, ran, saverRan}) DeleteFileA(f.c_str());
  EXPECT_TRUE(shell.StartProgramHidden(script, kWorkDir));
  EXPECT_TRUE(shell.StartProgramHidden(saver, kWorkDir));
  EXPECT_TRUE(within(ran, 100));
  EXPECT_TRUE(within(saverRan, 100));
  EXPECT_EQ(ReadAll(saverRan), "/S");
  EXPECT_FALSE(within(hit, 20));
  // A program that cannot be started is said.
  EXPECT_FALSE(shell.StartProgramHidden(kWorkDir + "no such program.exe", kWorkDir));
  for (const char* key : {"batfile\\shell", "exefile\\shell", "scrfile\\shell"}) {
    RegDeleteTreeA(HKEY_CLASSES_ROOT, key);
  }
}

// The desktop's shell does not answer (its process suspended): the agent's
// thread waits no longer than its bound, asks no more while that call hangs,
// and is answered again once the shell runs.
TEST(Shell, AHungDesktopShellCostsTheAgentABoundedWaitOnly) {
  const std::string doc = kWorkDir + "hung.ordavitest", marker = kWorkDir + "hung-parent.txt";
  ASSERT_TRUE(PlantTestDocument(doc, marker));
  Win32Shell shell([] { return HWND(nullptr); }, 2000);
  ASSERT_EQ(shell.OpenAsDesktopUser(doc, kWorkDir, true), DesktopOpen::Opened);  // the desktop's shell is up
  // Every thread of the desktop's process (Wine's explorer.exe) stops.
  DWORD desktopPid = 0;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32W process{};
  process.dwSize = sizeof process;
  for (BOOL more = Process32FirstW(snapshot, &process); more; more = Process32NextW(snapshot, &process)) {
    if (lstrcmpiW(process.szExeFile, L"explorer.exe") == 0) desktopPid = process.th32ProcessID;
  }
  CloseHandle(snapshot);
  ASSERT_NE(desktopPid, 0u);
  std::vector<HANDLE> threads;
  snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID != desktopPid) continue;
    if (const HANDLE t = OpenThread(THREAD_SUSPEND_RESUME, FALSE, entry.th32ThreadID)) {
      SuspendThread(t);
      threads.push_back(t);
    }
  }
  CloseHandle(snapshot);
  ASSERT_FALSE(threads.empty());
  const DWORD start = GetTickCount();
  EXPECT_EQ(shell.OpenAsDesktopUser(doc, kWorkDir, true), DesktopOpen::NoAnswer);
  const DWORD waited = GetTickCount() - start;
  EXPECT_GE(waited, 1900u);
  EXPECT_LT(waited, 20000u);  // not for ever: the bound is 2 s
  // The call still hangs: the next is not made.
  const DWORD again = GetTickCount();
  EXPECT_EQ(shell.OpenAsDesktopUser(doc, kWorkDir, true), DesktopOpen::NoAnswer);
  EXPECT_LT(GetTickCount() - again, 1000u);
  for (const HANDLE t : threads) {
    ResumeThread(t);
    CloseHandle(t);
  }
  // Once the shell runs again the hung call ends, and the next is answered.
  DesktopOpen after = DesktopOpen::NoAnswer;
  for (int i = 0; i < 20 && after == DesktopOpen::NoAnswer; ++i) {
    Sleep(500);
    after = shell.OpenAsDesktopUser(doc, kWorkDir, true);
  }
  EXPECT_EQ(after, DesktopOpen::Opened);
  RegDeleteTreeA(HKEY_CLASSES_ROOT, ".ordavitest");
  RegDeleteTreeA(HKEY_CLASSES_ROOT, "ordavitestfile");
}

}  // namespace ordavi

int main(int argc, char** argv) {
  using namespace ordavi;
  if (argc > 1 && std::string(argv[1]) == "--sleep") {
    Sleep(60000);
    return 0;
  }
  if (argc > 2 && std::string(argv[1]) == "--parent") {  // a document's program: who started it
    WriteAll(argv[2], std::to_string(ParentProcessId()));
    return 0;
  }
  if (AsciiUpper(SplitPath(SelfPath()).name).find(".SCR") != std::string::npos) {  // a task's screen saver
    WriteAll(kWorkDir + "saver-ran.txt", argc > 1 ? argv[1] : "");
    return 0;
  }
  if (SplitPath(SelfPath()).name == "cmd.exe") {  // planted in place of the system's
    WriteAll(kWorkDir + "planted.txt", "planted");
    return 0;
  }
  CreateDirectoryA(kWorkDir.c_str(), nullptr);
  ::testing::InitGoogleTest(&argc, argv);
  Win32GbkCodec codec;
  ordavi::testing::PrintFailuresReadably(codec);
  return RUN_ALL_TESTS();
}
