// The agent's data files under Wine, in a fresh private prefix: written,
// read, replaced and removed relative to the held data folder, and never
// through a link planted as the folder, above it, as the file or as its part
// file, nor through a folder swapped for a link while it is held.
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "app/win32/agent_data.h"
#include "app/menu.h"
#include "app/win32/agent_slot.h"
#include "app/win32/win32_wake.h"
#include "store/testing/readable_failures.h"
#include "store/win32/gbk_text.h"
#include "platform/win32/testing/test_files.h"

using winetest::Exists;
using winetest::MakeDanglingLink;
using winetest::MakeLink;
using winetest::ReadAll;
using winetest::WriteAll;

namespace ordavi {
namespace {


std::wstring Wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

// What must survive every refused write: a folder outside the data folder.
const std::string kOutside = "C:\\precious\\";
void MakeOutside() {
  CreateDirectoryA(kOutside.c_str(), nullptr);
  WriteAll(kOutside + "keep.txt", "keep");
  WriteAll(kOutside + "run-history.txt", "keep");
}
bool OutsideWhole() {
  return ReadAll(kOutside + "keep.txt") == "keep" && ReadAll(kOutside + "run-history.txt") == "keep" &&
         !Exists(kOutside + "made.txt") && !Exists(kOutside + "run-history.txt.new");
}

}  // namespace

TEST(DataFile, TheFolderIsTheKnownFolderNotTheEnvironmentsVariable) {
  SetEnvironmentVariableA("LOCALAPPDATA", "C:\\planted");
  const std::wstring folder = AgentDataFolder();
  EXPECT_TRUE(folder.size() > 8);
  EXPECT_TRUE(folder.find(L"planted") == std::wstring::npos);
  EXPECT_TRUE(folder.compare(folder.size() - 8, 8, L"\\Ordavi\\") == 0);
}

TEST(DataFile, IsMadeReadReplacedAndRemovedInItsFolder) {
  const std::string folder = "C:\\data plain\\Ordavi\\";
  CreateDirectoryA("C:\\data plain", nullptr);
  Win32DataFile file("run-history.txt", Wide(folder));
  EXPECT_EQ(file.CheckedPath(), L"");  // no file yet
  EXPECT_TRUE(file.Size() == std::optional<std::uint64_t>(0));
  EXPECT_TRUE(file.ReadAll() == std::optional<std::string>(""));
  EXPECT_TRUE(file.Append("one\r\n"));  // makes the folder
  EXPECT_TRUE(file.Append("two\r\n"));
  EXPECT_TRUE(file.ReadAll() == std::optional<std::string>("one\r\ntwo\r\n"));
  WriteAll(folder + "run-history.txt.new", "left over");
  EXPECT_TRUE(file.Replace("new\r\n"));
  EXPECT_EQ(ReadAll(folder + "run-history.txt"), std::string("new\r\n"));
  EXPECT_FALSE(Exists(folder + "run-history.txt.new"));
  EXPECT_TRUE(file.Size() == std::optional<std::uint64_t>(5));
  EXPECT_TRUE(platform::SamePath(file.CheckedPath(), L"C:\\data plain\\Ordavi\\run-history.txt"));
  // A file far past any size the agent writes: only its newest part, from a
  // line's start.
  std::string big(3 * 1024 * 1024, 'x');
  for (std::size_t i = 99; i < big.size(); i += 100) big[i] = '\n';
  WriteAll(folder + "run-history.txt", big + "last\n");
  const auto tail = file.ReadAll();
  ASSERT_TRUE(tail.has_value());
  EXPECT_TRUE(tail->size() <= kDataFileReadLimit);
  EXPECT_TRUE(tail->size() > kDataFileReadLimit - 100);
  EXPECT_TRUE(tail->compare(0, 99, std::string(99, 'x')) == 0);
  EXPECT_TRUE(tail->compare(tail->size() - 5, 5, "last\n") == 0);
  EXPECT_TRUE(file.Clear());
  EXPECT_FALSE(Exists(folder + "run-history.txt"));
  EXPECT_TRUE(file.Clear());  // nothing there is no failure
}

// A link where the data folder, a folder above it, the file or its part file
// should be: every write, read and removal is refused, and nothing outside
// is read, made, changed or deleted.
TEST(DataFile, LinksInTheDataFolderAreRefusedAndTheirTargetsLeftAlone) {
  MakeOutside();
  struct Case {
    const char* what;
    std::string folder;
    bool readRefused;  // a link at the part file only touches writes
    bool replaceRefused;  // Wine cannot tell a dangling link from no file; a
                          // replacement takes the link's place, not its target's
  };
  CreateDirectoryA("C:\\d1", nullptr);
  ASSERT_TRUE(MakeLink("C:\\d1\\Ordavi", kOutside));  // the folder itself
  CreateDirectoryA("C:\\d2real", nullptr);
  CreateDirectoryA("C:\\d2real\\Ordavi", nullptr);
  ASSERT_TRUE(MakeLink("C:\\d2", "C:\\d2real"));  // a folder above it
  CreateDirectoryA("C:\\d3", nullptr);
  CreateDirectoryA("C:\\d3\\Ordavi", nullptr);
  ASSERT_TRUE(MakeLink("C:\\d3\\Ordavi\\run-history.txt", kOutside + "keep.txt"));  // the file
  CreateDirectoryA("C:\\d4", nullptr);
  CreateDirectoryA("C:\\d4\\Ordavi", nullptr);
  ASSERT_TRUE(MakeDanglingLink("C:\\d4\\Ordavi\\run-history.txt", kOutside + "made.txt"));  // to a file not yet there
  CreateDirectoryA("C:\\d5", nullptr);
  CreateDirectoryA("C:\\d5\\Ordavi", nullptr);
  ASSERT_TRUE(MakeLink("C:\\d5\\Ordavi\\run-history.txt.new", kOutside + "keep.txt"));  // the part file
  const Case cases[] = {
      {"folder", "C:\\d1\\Ordavi\\", true, true},    {"above", "C:\\d2\\Ordavi\\", true, true},
      {"file", "C:\\d3\\Ordavi\\", true, true},      {"dangling", "C:\\d4\\Ordavi\\", false, false},
      {"part file", "C:\\d5\\Ordavi\\", false, true},
  };
  for (const Case& c : cases) {
    std::printf("  %s\n", c.what);
    Win32DataFile file("run-history.txt", Wide(c.folder));
    if (c.readRefused) {
      EXPECT_FALSE(file.ReadAll().has_value());
      EXPECT_FALSE(file.Size().has_value());
      EXPECT_FALSE(file.Append("x"));
      EXPECT_FALSE(file.Clear());
    }
    if (c.replaceRefused) {
      EXPECT_FALSE(file.Replace("x")) << c.what;
    } else {
      file.Replace("x");
    }
    EXPECT_TRUE(OutsideWhole());
  }
  // A second hard link to a file outside: the file is refused before a byte
  // is read or written, and the history window gets no path for it.
  CreateDirectoryA("C:\\d6", nullptr);
  CreateDirectoryA("C:\\d6\\Ordavi", nullptr);
  ASSERT_TRUE(CreateHardLinkA("C:\\d6\\Ordavi\\run-history.txt", (kOutside + "keep.txt").c_str(), nullptr));
  Win32DataFile hardLinked("run-history.txt", L"C:\\d6\\Ordavi\\");
  EXPECT_FALSE(hardLinked.ReadAll().has_value());
  EXPECT_FALSE(hardLinked.Append("x"));
  EXPECT_EQ(hardLinked.CheckedPath(), L"");
  EXPECT_TRUE(OutsideWhole());
  // The history window's 打开文件 gets no path to hand to Notepad.
  for (const Case& c : cases) {
    if (c.readRefused) {
      EXPECT_EQ(Win32DataFile("run-history.txt", Wide(c.folder)).CheckedPath(), L"") << c.what;
    }
  }
  Win32DataFile dangling("run-history.txt", L"C:\\d4\\Ordavi\\");
  EXPECT_FALSE(dangling.Append("x"));
  EXPECT_TRUE(OutsideWhole());
  EXPECT_FALSE(Exists("C:\\d2real\\Ordavi\\run-history.txt"));
}

// The folder is held once opened: swapped for a link afterwards, nothing
// reaches the link's target; what is written lands in the held folder or is
// refused.
TEST(DataFile, AFolderSwappedForALinkWhileHeldIsNotFollowed) {
  MakeOutside();
  CreateDirectoryA("C:\\swap", nullptr);
  Win32DataFile file("run-history.txt", L"C:\\swap\\Ordavi\\");
  ASSERT_TRUE(file.Append("first\r\n"));
  ASSERT_TRUE(winetest::MoveUnix("C:\\swap\\Ordavi", "C:\\swap\\moved"));
  ASSERT_TRUE(MakeLink("C:\\swap\\Ordavi", kOutside));
  file.Append("second\r\n");
  file.Replace("third\r\n");
  file.Clear();
  file.ReadAll();
  EXPECT_TRUE(OutsideWhole());
}

// A program of the session that takes the slot's name with an object of
// another kind must not make this start a second agent.
TEST(AgentSlot, ANameTakenByAnotherKindOfObjectIsRefusedAndSaid) {
  const HANDLE squat = CreateEventW(nullptr, TRUE, FALSE, L"Local\\Ordavi-Agent");
  ASSERT_TRUE(squat != nullptr);
  Win32AgentSlot slot;
  std::string said;
  slot.say = [&said](const char* text) { said += text; };
  EXPECT_FALSE(StartAsTheSessionAgent(slot));
  EXPECT_EQ(said, std::string(kSlotRefusedNotice));
  CloseHandle(squat);
}

namespace {

// This test program started again as `mode` (--agent-window: a main window
// of the agent's class and nothing else; --agent-slot: the session's agent),
// ended when the test's scope ends.
struct Child {
  explicit Child(const wchar_t* mode) {
    wchar_t self[MAX_PATH + 1] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) + L"\" " + mode;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    started = CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi) != 0;
  }
  ~Child() {
    if (!started) return;
    TerminateProcess(pi.hProcess, 0);
    WaitForSingleObject(pi.hProcess, 5000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  bool started = false;
  PROCESS_INFORMATION pi{};
};

// A word "this process holds the slot" planted as a program of the session
// could: a section of that name holding `pid`, made with `sddl`.
HANDLE PlantProcessWord(const std::wstring& sddl, DWORD pid) {
  PSECURITY_DESCRIPTOR sd = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &sd, nullptr)) return nullptr;
  SECURITY_ATTRIBUTES sa{sizeof sa, sd, FALSE};
  const HANDLE h = CreateFileMappingW(INVALID_HANDLE_VALUE, &sa, PAGE_READWRITE, 0, 4, L"Local\\Ordavi-Agent-Process");
  LocalFree(sd);
  void* view = h ? MapViewOfFile(h, FILE_MAP_WRITE, 0, 0, 4) : nullptr;
  if (view) {
    *static_cast<DWORD*>(view) = pid;
    UnmapViewOfFile(view);
  }
  return h;
}

std::wstring UserSidText() {
  HANDLE token = nullptr;
  BYTE user[256];
  DWORD length = 0;
  wchar_t* text = nullptr;
  if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
    if (GetTokenInformation(token, TokenUser, user, sizeof user, &length)) {
      ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user)->User.Sid, &text);
    }
    CloseHandle(token);
  }
  const std::wstring sid = text ? text : L"";
  if (text) LocalFree(text);
  return sid;
}

}  // namespace

// The running agent is the process that holds the slot, as it published
// itself, not any process of this program's name with a main window of the
// agent's class: the foreground right goes to it, and its rights come from
// its own token, only where an elevated process made that word (not from
// the administrator event's name, which any program of the session can
// create).
TEST(AgentSlot, TheRunningAgentIsTheSlotsHolderAndItsRightsComeFromItsToken) {
  const HANDLE squat = CreateEventW(nullptr, TRUE, FALSE, L"Local\\Ordavi-Agent-Administrator");
  ASSERT_TRUE(squat != nullptr);
  Win32AgentSlot start;
  bool elevated = true;
  EXPECT_FALSE(start.RunningAgentHasAdministratorRights());  // no agent runs
  EXPECT_EQ(start.RunningAgentProcessId(elevated), 0u);
  EXPECT_FALSE(elevated);
  Child running(L"--agent-window");
  ASSERT_TRUE(running.started);
  for (int i = 0; i < 100 && !FindWindowW(L"TForm1", nullptr); ++i) Sleep(50);
  ASSERT_TRUE(FindWindowW(L"TForm1", nullptr) != nullptr);
  EXPECT_EQ(start.RunningAgentProcessId(elevated), 0u);  // a window is no slot
  {
    Child agent(L"--agent-slot");
    ASSERT_TRUE(agent.started);
    for (int i = 0; i < 100 && start.RunningAgentProcessId(elevated) == 0; ++i) Sleep(50);
    EXPECT_EQ(start.RunningAgentProcessId(elevated), agent.pi.dwProcessId);
    EXPECT_EQ(start.ClaimSession(), SessionClaim::HeldByAnother);
    // This Wine gives every process the rights, so the agent published its
    // word elevated.
    ASSERT_TRUE(start.HasAdministratorRights());
    EXPECT_TRUE(elevated);
    EXPECT_TRUE(start.RunningAgentHasAdministratorRights());
  }
  // Words planted in the slot's place: one owned by the user (a program at
  // normal rights could make it) names the process for the foreground right
  // but says nothing about rights, whatever that process has; one owned by
  // administrators naming a process that is not there has no token to say
  // so; one owned by anyone else (here the group this Wine makes the
  // default owner) names nobody. (That a running process without the rights
  // is read as such only Windows shows: this Wine gives every process the
  // rights.)
  struct Case {
    std::wstring sddl;
    DWORD pid;
    DWORD named;
    bool elevated;
  };
  const DWORD other = running.pi.dwProcessId;
  const Case cases[] = {{L"O:" + UserSidText() + L"D:(A;;GA;;;WD)", other, other, false},
                        {L"O:BAD:(A;;GA;;;WD)", 0x7FFFFFF0, 0x7FFFFFF0, true},
                        {L"D:(A;;GA;;;WD)", other, 0, false}};
  for (const Case& c : cases) {
    const HANDLE word = PlantProcessWord(c.sddl, c.pid);
    ASSERT_TRUE(word != nullptr);
    EXPECT_EQ(start.RunningAgentProcessId(elevated), c.named) << c.named;
    EXPECT_EQ(elevated, c.elevated);
    EXPECT_FALSE(start.RunningAgentHasAdministratorRights()) << c.named;
    CloseHandle(word);
  }
  CloseHandle(squat);
}

namespace {

std::wstring InstallationName(const wchar_t* prefix) {
  wchar_t self[MAX_PATH + 1] = {};
  std::wstring folder(self, GetModuleFileNameW(nullptr, self, MAX_PATH));
  folder.erase(folder.find_last_of(L'\\'));
  CharLowerBuffW(&folder[0], static_cast<DWORD>(folder.size()));
  for (wchar_t& c : folder) c = c == L'\\' ? L'/' : c;
  return prefix + folder;
}

HANDLE PlantEvent(const wchar_t* sddl, const std::wstring& name) {
  PSECURITY_DESCRIPTOR sd = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &sd, nullptr)) return nullptr;
  SECURITY_ATTRIBUTES sa{sizeof sa, sd, FALSE};
  const HANDLE h = CreateEventW(&sa, TRUE, TRUE, name.c_str());
  LocalFree(sd);
  return h;
}

// The slot of an agent with or without administrator rights in force,
// whatever this test process has.
class SlotWithRights : public Win32AgentSlot {
 public:
  explicit SlotWithRights(bool administrator) : administrator_(administrator) {
    say = [this](const char* text) { said += text; };
  }
  bool HasAdministratorRights() override { return administrator_; }
  std::string said;

 private:
  bool administrator_;
};

}  // namespace

// A close event made first by anything but SYSTEM or administrators is not
// the installer's word, whatever list it carries (the one an agent without
// the rights used to give it included): its creator's handle can set it.
// This agent neither ends on it nor refuses to start; it says so once.
TEST(AgentSlot, OnlyACloseEventOwnedByAdministratorsIsTheInstallersWord) {
  const std::wstring name = InstallationName(L"Global\\Ordavi-Close:");
  struct Case {
    const wchar_t* sddl;
    bool closing;
  };
  const Case cases[] = {{L"D:(A;;GA;;;WD)", false},
                        {L"D:P(A;;GA;;;SY)(A;;GA;;;BA)(A;;0x00120000;;;WD)(A;;0x00100000;;;OW)", false},
                        {L"O:BAD:P(A;;GA;;;SY)(A;;GA;;;BA)(A;;0x00120000;;;WD)", true}};
  for (const Case& c : cases) {
    const HANDLE planted = PlantEvent(c.sddl, name);
    ASSERT_TRUE(planted != nullptr);
    SlotWithRights slot(true);
    EXPECT_EQ(slot.InstallationClosing(), c.closing);
    EXPECT_EQ(slot.said, std::string(c.closing ? "" : kForeignCloseEventNotice));
    CloseHandle(planted);
  }
}

// A close event's name taken by an object of another kind (a mutex) is
// someone else's too: not waited on, and said once, with the rights or
// without them.
TEST(AgentSlot, ACloseEventsNameTakenByAnotherKindOfObjectIsSaid) {
  const HANDLE squat = CreateMutexW(nullptr, FALSE, InstallationName(L"Global\\Ordavi-Close:").c_str());
  ASSERT_TRUE(squat != nullptr);
  for (const bool administrator : {true, false}) {
    SlotWithRights slot(administrator);
    ASSERT_TRUE(StartAsTheSessionAgent(slot));
    EXPECT_EQ(slot.said, std::string(kForeignCloseEventNotice)) << administrator;
    slot.OnWaitTimeout();  // looked for again: said once only
    EXPECT_EQ(slot.said, std::string(kForeignCloseEventNotice)) << administrator;
  }
  CloseHandle(squat);
}

// An agent without administrator rights creates no Global\ object, so no
// handle of its user's can set one. It finds the installer's close event
// when that appears later, and ends on it; an elevated agent creates its
// own, owned by administrators.
TEST(AgentSlot, AnAgentWithoutTheRightsCreatesNoGlobalObjectAndStillHearsTheInstaller) {
  const std::wstring close = InstallationName(L"Global\\Ordavi-Close:");
  const std::wstring running = InstallationName(L"Global\\Ordavi-Running:");
  const HWND window = CreateWindowW(L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  {
    SlotWithRights standard(false);
    ASSERT_TRUE(StartAsTheSessionAgent(standard));
    EXPECT_TRUE(OpenEventW(SYNCHRONIZE, FALSE, close.c_str()) == nullptr);
    EXPECT_TRUE(OpenMutexW(SYNCHRONIZE, FALSE, running.c_str()) == nullptr);
    standard.Listen(window);
    EXPECT_EQ(standard.WaitCount(), 4u);  // 设置, 退出, /cancel, /awake
    EXPECT_EQ(standard.WaitTimeoutMs(), 1000u);
    standard.OnWaitTimeout();  // still none
    EXPECT_EQ(standard.WaitCount(), 4u);
    // The installer's event, set: the next look finds it, and the wait on it
    // asks for 退出.
    const HANDLE installer = PlantEvent(L"O:BAD:P(A;;GA;;;SY)(A;;GA;;;BA)(A;;0x00120000;;;WD)", close);
    ASSERT_TRUE(installer != nullptr);
    standard.OnWaitTimeout();
    ASSERT_EQ(standard.WaitCount(), 5u);
    EXPECT_EQ(standard.WaitTimeoutMs(), INFINITE);
    const DWORD woke = WaitForMultipleObjects(standard.WaitCount(), standard.WaitObjects(), FALSE, 0);
    ASSERT_TRUE(woke >= WAIT_OBJECT_0 && woke < WAIT_OBJECT_0 + standard.WaitCount());
    standard.OnSignalled(woke - WAIT_OBJECT_0);
    MSG msg{};
    EXPECT_TRUE(PeekMessageW(&msg, window, WM_COMMAND, WM_COMMAND, PM_REMOVE));
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>(CommandIdOf(MenuItem::Exit)));
    EXPECT_EQ(standard.said, "");
    CloseHandle(installer);
  }
  SlotWithRights elevated(true);
  ASSERT_TRUE(StartAsTheSessionAgent(elevated));
  const HANDLE made = OpenEventW(READ_CONTROL, FALSE, close.c_str());
  ASSERT_TRUE(made != nullptr);
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR sd = nullptr;
  ASSERT_EQ(GetSecurityInfo(made, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr, &sd),
            static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_TRUE(IsWellKnownSid(owner, WinBuiltinAdministratorsSid));
  LocalFree(sd);
  CloseHandle(made);
  DestroyWindow(window);
}

// The wake timer goes off a minute before its local minute: set for the
// minute after this one it is due already, set for three minutes on it is
// not; its due time is that local minute in UTC, less the minute.
TEST(WakeTimer, GoesOffAMinuteBeforeItsLocalMinute) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  FILETIME localNow;
  SystemTimeToFileTime(&now, &localNow);
  const auto minuteAfter = [&](int minutes) {
    ULARGE_INTEGER t;
    t.LowPart = localNow.dwLowDateTime, t.HighPart = localNow.dwHighDateTime;
    t.QuadPart = t.QuadPart / 600000000ULL * 600000000ULL + minutes * 600000000ULL;
    FILETIME f = {t.LowPart, t.HighPart};
    SYSTEMTIME s;
    FileTimeToSystemTime(&f, &s);
    return LocalMinute{s.wYear, s.wMonth, s.wDay, s.wHour, s.wMinute};
  };
  Win32WakeSystem wake;
  ASSERT_NE(wake.timer(), nullptr);
  wake.SetWakeTimer(minuteAfter(3));
  EXPECT_EQ(WaitForSingleObject(wake.timer(), 200), static_cast<DWORD>(WAIT_TIMEOUT));
  wake.SetWakeTimer(minuteAfter(1));
  EXPECT_EQ(WaitForSingleObject(wake.timer(), 2000), static_cast<DWORD>(WAIT_OBJECT_0));
  wake.CancelWakeTimer();

  LARGE_INTEGER due;
  ASSERT_TRUE(WakeDueTime(minuteAfter(3), due));
  FILETIME utcNow;
  GetSystemTimeAsFileTime(&utcNow);
  ULARGE_INTEGER u;
  u.LowPart = utcNow.dwLowDateTime, u.HighPart = utcNow.dwHighDateTime;
  const long long secondsAhead = (due.QuadPart - static_cast<long long>(u.QuadPart)) / 10000000;
  EXPECT_GE(secondsAhead, 59);  // the minute's seconds gone, the lead
  EXPECT_LE(secondsAhead, 120);
}

}  // namespace ordavi

int main(int argc, char** argv) {
  if (argc > 1 && std::string(argv[1]) == "--agent-window") {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TForm1";
    RegisterClassW(&wc);
    CreateWindowW(L"TForm1", L"", 0, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
    Sleep(30000);
    return 0;
  }
  if (argc > 1 && std::string(argv[1]) == "--agent-slot") {
    ordavi::Win32AgentSlot slot;
    slot.say = [](const char*) {};
    if (ordavi::StartAsTheSessionAgent(slot)) Sleep(30000);
    return 0;
  }
  ::testing::InitGoogleTest(&argc, argv);
  ordavi::Win32GbkCodec codec;
  ordavi::testing::PrintFailuresReadably(codec);
  return RUN_ALL_TESTS();
}
