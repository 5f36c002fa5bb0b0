// Test driver for the end-to-end scenarios: finds the agent's windows by class
// and caption on the "shell" desktop, reports their geometry and controls,
// and posts messages to them. Texts in the output are GBK, like the agent's
// own, whatever the system's code page: the command line is read as UTF-16,
// windows and the registry through the W functions, and every text converted
// with code page 936.
//
//   driver wait CLASS CAPTION [SECONDS]     a visible window appears; prints it, then
//                                           "seen at H:M:S.mmm", the local time it was
//                                           found (looked for every 200 ms)
//   driver gone CLASS CAPTION [SECONDS]     no such window is left
//   driver count CLASS CAPTION              number of visible windows
//   driver info CLASS CAPTION               the window and its child controls (" hidden"
//                                           after a control that is not visible)
//   driver hidden CLASS                     a hidden window of the class exists
//   driver post CLASS MSG WPARAM LPARAM     posts to the first window of the class; a MSG
//                                           that is not a number names a registered message
//   driver where CLASS CAPTION CONTROLTEXT   screen position "x y" of the centre of
//                                           a child control with that text (for a
//                                           real mouse click by xdotool)
//   driver close CLASS CAPTION              posts WM_CLOSE to every such window
//   driver peek CLASS ADDRESS LENGTH        hex bytes of the window's process memory
//   driver show CLASS / driver hide CLASS   shows or hides the first window of the class
//   driver setsz NAME TEXT                  REG_SZ in the agent's key (as the agent stores GBK TEXT)
//   driver setdword NAME NUMBER             REG_DWORD in the agent's key
//   driver getsz NAME                       hex bytes of a value (a string in GBK), then its type
//   driver setraw NAME TYPE HEX             any type (a number) with any bytes ("-" for none)
//   driver setfill NAME PREFIX COUNT        REG_SZ: PREFIX, then COUNT bytes 'x', then one NUL
//   driver settasks FIRST LAST A B C        tasks FIRST..LAST, enabled, each with these texts
//   driver running EXE                      a process with that executable name runs (exact case)
//   driver now                              the local time: year month day hour minute second
//   driver acp                              the system's ANSI code page
//   driver ctl|items|lv|lvcell CLASS CAPTION ...  child controls of a window (controls.cpp)
//   driver keep THREADS                     stays on the desktop with that many threads, doing
//                                           nothing, until it is ended
//   driver serve                            answers commands on stdin until it closes (below)
//
// CAPTION "*" matches any caption. Exit code 0 on success, 1 when the window
// was not found, 2 on bad usage.
//
// A scenario makes hundreds of looks, and each start of a Wine program costs
// a tenth of a second of processor time or more, which side by side
// scenarios share with the agents they watch. "serve" runs the same commands
// without a start each: a request on stdin is the number of arguments, then
// each argument (UTF-8), each followed by a NUL byte; the answer on stdout is
// the command's output, then a line of the byte 0x1d and the exit code. The
// server joins the shell desktop once, when it starts, and ends when stdin
// closes.
#include <windows.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <fcntl.h>
#include <io.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "e2e/controls.h"

namespace {

struct Query {
  std::string cls, caption;
  bool visibleOnly = true;
  std::vector<HWND> found;
};

std::string TextOf(HWND h) {
  wchar_t buf[512] = {};
  GetWindowTextW(h, buf, 512);
  return GbkOf(buf);
}

BOOL CALLBACK Match(HWND h, LPARAM p) {
  auto* q = reinterpret_cast<Query*>(p);
  if (q->visibleOnly && !IsWindowVisible(h)) return TRUE;
  if (ClassOf(h) != q->cls) return TRUE;
  if (q->caption != "*" && TextOf(h) != q->caption) return TRUE;
  q->found.push_back(h);
  return TRUE;
}

std::vector<HWND> Find(const std::string& cls, const std::string& caption, bool visibleOnly = true) {
  Query q{cls, caption, visibleOnly, {}};
  EnumWindows(Match, reinterpret_cast<LPARAM>(&q));
  return q.found;
}

std::vector<HWND> WaitFor(const std::string& cls, const std::string& caption, double seconds) {
  const DWORD end = GetTickCount() + static_cast<DWORD>(seconds * 1000);
  for (;;) {
    auto v = Find(cls, caption);
    if (!v.empty() || static_cast<LONG>(GetTickCount() - end) >= 0) return v;
    Sleep(200);
  }
}

void PrintWindow(HWND h) {
  RECT w, c;
  GetWindowRect(h, &w);
  GetClientRect(h, &c);
  const LONG style = GetWindowLongW(h, GWL_STYLE), ex = GetWindowLongW(h, GWL_EXSTYLE);
  std::printf("window %s \"%s\" at %ld,%ld outer %ldx%ld client %ldx%ld style %08lx exstyle %08lx\n",
              ClassOf(h).c_str(), TextOf(h).c_str(), w.left, w.top, w.right - w.left, w.bottom - w.top, c.right,
              c.bottom, static_cast<unsigned long>(style), static_cast<unsigned long>(ex));
}

BOOL CALLBACK PrintChild(HWND h, LPARAM parent) {
  RECT r;
  GetWindowRect(h, &r);
  MapWindowPoints(nullptr, reinterpret_cast<HWND>(parent), reinterpret_cast<POINT*>(&r), 2);
  std::printf("child %s id %d \"%s\" at %ld,%ld size %ldx%ld%s%s\n", ClassOf(h).c_str(), GetDlgCtrlID(h),
              TextOf(h).c_str(), r.left, r.top, r.right - r.left, r.bottom - r.top,
              (GetFocus() == h) ? " focus" : "", IsWindowVisible(h) ? "" : " hidden");
  return TRUE;
}

BOOL CALLBACK FindControl(HWND h, LPARAM p) {
  auto* q = reinterpret_cast<std::pair<std::string, HWND>*>(p);
  if (TextOf(h) == q->first) {
    q->second = h;
    return FALSE;
  }
  return TRUE;
}

// Under "wine explorer /desktop=shell" the agent's windows live on that
// desktop. A driver that cannot join it would see no window at all, and a
// "gone" or a "count" would answer for a desktop that has none: it says why
// in C:\e2e-driver-errors.txt, which a failing scenario prints, and exits
// with 3.
bool JoinShellDesktop(const std::vector<std::string>& args) {
  HDESK desk = OpenDesktopW(L"shell", 0, FALSE, GENERIC_ALL);
  const DWORD openError = desk ? 0 : GetLastError();
  if (desk && SetThreadDesktop(desk)) return true;
  const DWORD setError = desk ? GetLastError() : 0;
  if (FILE* f = std::fopen("C:\\e2e-driver-errors.txt", "a")) {
    SYSTEMTIME t;
    GetLocalTime(&t);
    std::fprintf(f, "%02u:%02u:%02u.%03u driver", t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
    for (std::size_t i = 1; i < args.size(); ++i) std::fprintf(f, " %s", args[i].c_str());
    std::fprintf(f, ": %s (error %lu)\n", desk ? "SetThreadDesktop failed" : "OpenDesktop(shell) failed",
                 static_cast<unsigned long>(desk ? setError : openError));
    std::fclose(f);
  }
  return false;
}

DWORD WINAPI WaitForever(LPVOID) {
  Sleep(INFINITE);
  return 0;
}

constexpr const wchar_t* kAgentKey = L"Software\\Velmora\\Ordavi";

bool IsString(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// A value as the agent stores it: a string type's GBK bytes (its NUL counted)
// as UTF-16, any other type's bytes as they are.
LONG SetValue(HKEY key, const std::string& name, DWORD type, const std::string& bytes) {
  if (!IsString(type)) {
    return RegSetValueExW(key, WideOf(name).c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                          static_cast<DWORD>(bytes.size()));
  }
  const std::wstring wide = WideOf(bytes);
  return RegSetValueExW(key, WideOf(name).c_str(), 0, type, reinterpret_cast<const BYTE*>(wide.data()),
                        static_cast<DWORD>(wide.size() * sizeof(wchar_t)));
}
std::string WithNul(const char* text) { return std::string(text, std::strlen(text) + 1); }

// The agent's key: made if missing for a write, only opened for a read (a
// read must not make the key a scenario checks is gone).
HKEY AgentKey(bool write) {
  HKEY key = nullptr;
  const LONG rc = write ? RegCreateKeyExW(HKEY_LOCAL_MACHINE, kAgentKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                          &key, nullptr)
                        : RegOpenKeyExW(HKEY_LOCAL_MACHINE, kAgentKey, 0, KEY_QUERY_VALUE, &key);
  return rc == ERROR_SUCCESS ? key : nullptr;
}

int Registry(const std::string& cmd, int argc, char** argv) {
  HKEY key = AgentKey(cmd != "getsz");
  if (!key) return 1;
  LONG rc = ERROR_INVALID_PARAMETER;
  if (cmd == "setsz" && argc >= 4) {
    rc = SetValue(key, argv[2], REG_SZ, WithNul(argv[3]));
  } else if (cmd == "setdword" && argc >= 4) {
    const DWORD v = std::strtoul(argv[3], nullptr, 0);
    rc = SetValue(key, argv[2], REG_DWORD, std::string(reinterpret_cast<const char*>(&v), sizeof v));
  } else if (cmd == "setraw" && argc >= 5) {
    std::string bytes;
    for (const char* h = argv[4]; h[0] && h[1] && h[0] != '-'; h += 2) {
      bytes += static_cast<char>(std::strtoul(std::string(h, 2).c_str(), nullptr, 16));
    }
    rc = SetValue(key, argv[2], std::strtoul(argv[3], nullptr, 0), bytes);
  } else if (cmd == "setfill" && argc >= 5) {
    std::string text = std::string(argv[3]) + std::string(std::strtoul(argv[4], nullptr, 0), 'x');
    rc = SetValue(key, argv[2], REG_SZ, WithNul(text.c_str()));
  } else if (cmd == "settasks" && argc >= 7) {
    rc = ERROR_SUCCESS;
    for (long n = std::strtol(argv[2], nullptr, 10); n <= std::strtol(argv[3], nullptr, 10) && rc == ERROR_SUCCESS;
         ++n) {
      const char* texts[] = {argv[4], argv[5], argv[6], "启用"};
      for (int f = 0; f < 4 && rc == ERROR_SUCCESS; ++f) {
        const std::string name = std::string(1, static_cast<char>('A' + f)) + std::to_string(n);
        rc = SetValue(key, name, REG_SZ, WithNul(texts[f]));
      }
    }
  } else if (cmd == "getsz") {
    BYTE data[2048];
    DWORD type = 0, size = sizeof data;
    rc = RegQueryValueExW(key, WideOf(argv[2]).c_str(), nullptr, &type, data, &size);
    if (rc == ERROR_SUCCESS) {
      std::string bytes(reinterpret_cast<const char*>(data), size);
      if (IsString(type)) bytes = GbkOf(std::wstring(reinterpret_cast<const wchar_t*>(data), size / sizeof(wchar_t)));
      for (unsigned char c : bytes) std::printf("%02x ", c);
      std::printf("type %lu\n", static_cast<unsigned long>(type));
    }
  }
  RegCloseKey(key);
  return rc == ERROR_SUCCESS ? 0 : 1;
}

bool Running(const std::string& exe) {
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return false;
  PROCESSENTRY32 e = {};
  e.dwSize = sizeof e;
  bool found = false;
  for (BOOL ok = Process32First(snap, &e); ok && !found; ok = Process32Next(snap, &e)) found = exe == e.szExeFile;
  CloseHandle(snap);
  return found;
}

int Usage() {
  std::fprintf(stderr, "usage: driver wait|gone|count|info|hidden|post|where|close|peek|show|hide|keep|serve|setsz|setdword|getsz|setraw|setfill|settasks|running|atom|now ...\n");
  return 2;
}

// Runs one command; args[0] is the program's name. The output goes to stdout.
int Command(std::vector<std::string> args, bool serving) {
  const int argc = static_cast<int>(args.size());
  std::vector<char*> argvList;
  for (std::string& a : args) argvList.push_back(&a[0]);
  argvList.push_back(nullptr);
  char** argv = argvList.data();
  if (argc < 2) return Usage();
  if (argc < 3 && std::strcmp(argv[1], "now") != 0 && std::strcmp(argv[1], "acp") != 0) return Usage();
  const std::string cmd = argv[1], cls = argc > 2 ? argv[2] : "";
  if (cmd == "setsz" || cmd == "setdword" || cmd == "getsz" || cmd == "setraw" || cmd == "setfill" ||
      cmd == "settasks") {
    return Registry(cmd, argc, argv);
  }
  if (cmd == "running") return Running(argv[2]) ? 0 : 1;
  // Whether a global atom of that name exists (the agent adds its hotkeys'
  // atoms late in its start-up).
  if (cmd == "atom") return GlobalFindAtomA(argv[2]) != 0 ? 0 : 1;
  if (cmd == "acp") {
    std::printf("%u\n", GetACP());
    return 0;
  }
  if (cmd == "now") {
    SYSTEMTIME t;
    GetLocalTime(&t);
    std::printf("%u %u %u %u %u %u\n", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
    return 0;
  }
  // A server joined the desktop when it started, and never stays or serves
  // within a command.
  if (serving) {
    if (cmd == "keep" || cmd == "serve") return Usage();
  } else if (!JoinShellDesktop(args)) {
    return 3;
  }
  if (cmd == "keep") {
    // Each thread of a process is a user of its desktop; these wait forever.
    const int threads = std::atoi(argv[2]);
    for (int i = 1; i < threads; ++i) {
      HANDLE t = CreateThread(nullptr, 0, WaitForever, nullptr, 0, nullptr);
      if (!t) return 1;
      CloseHandle(t);
    }
    Sleep(INFINITE);
    return 0;
  }
  const std::string caption = argc > 3 ? argv[3] : "*";
  if (cmd == "wait") {
    auto v = WaitFor(cls, caption, argc > 4 ? std::atof(argv[4]) : 10);
    if (v.empty()) {
      std::printf("no window %s \"%s\"\n", cls.c_str(), caption.c_str());
      return 1;
    }
    SYSTEMTIME seen;
    GetLocalTime(&seen);
    PrintWindow(v.back());
    std::printf("seen at %u:%u:%u.%03u\n", seen.wHour, seen.wMinute, seen.wSecond, seen.wMilliseconds);
    return 0;
  }
  if (cmd == "gone") {
    const DWORD end = GetTickCount() + static_cast<DWORD>((argc > 4 ? std::atof(argv[4]) : 10) * 1000);
    while (!Find(cls, caption, false).empty()) {
      if (static_cast<LONG>(GetTickCount() - end) >= 0) return 1;
      Sleep(200);
    }
    return 0;
  }
  if (cmd == "count") {
    std::printf("%u\n", static_cast<unsigned>(Find(cls, caption).size()));
    return 0;
  }
  if (cmd == "info") {
    auto v = Find(cls, caption, false);
    if (v.empty()) return 1;
    for (HWND h : v) {
      PrintWindow(h);
      EnumChildWindows(h, PrintChild, reinterpret_cast<LPARAM>(h));
    }
    return 0;
  }
  if (cmd == "hidden") {
    auto v = Find(cls, "*", false);
    for (HWND h : v) {
      if (!IsWindowVisible(h)) {
        PrintWindow(h);
        return 0;
      }
    }
    return 1;
  }
  if (cmd == "post") {
    if (argc < 6) return Usage();
    auto v = Find(cls, "*", false);
    if (v.empty()) return 1;
    char* end = nullptr;
    UINT msg = std::strtoul(argv[3], &end, 0);
    if (*end != '\0') msg = RegisterWindowMessageW(WideOf(argv[3]).c_str());  // "TaskbarCreated"
    PostMessageW(v[0], msg, std::strtoul(argv[4], nullptr, 0), std::strtol(argv[5], nullptr, 0));
    return 0;
  }
  if (cmd == "where") {
    if (argc < 5) return Usage();
    auto v = Find(cls, caption);
    if (v.empty()) return 1;
    std::pair<std::string, HWND> q{argv[4], nullptr};
    EnumChildWindows(v.back(), FindControl, reinterpret_cast<LPARAM>(&q));
    if (!q.second || !IsWindowVisible(q.second)) return 1;
    RECT r;
    GetWindowRect(q.second, &r);
    std::printf("%ld %ld\n", (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    return 0;
  }
  if (IsControlCommand(cmd)) {
    auto v = Find(cls, caption);
    if (v.empty()) return 1;
    return ControlCommand(v.back(), cmd, argc - 4, argv + 4);
  }
  if (cmd == "close") {
    auto v = Find(cls, caption);
    if (v.empty()) return 1;
    for (HWND h : v) PostMessageW(h, WM_CLOSE, 0, 0);
    return 0;
  }
  if (cmd == "show" || cmd == "hide") {
    auto v = Find(cls, "*", false);
    if (v.empty()) return 1;
    ShowWindow(v[0], cmd == "show" ? SW_SHOWNORMAL : SW_HIDE);
    return 0;
  }
  if (cmd == "peek") {
    if (argc < 5) return Usage();
    auto v = Find(cls, "*", false);
    if (v.empty()) return 1;
    DWORD pid = 0;
    GetWindowThreadProcessId(v[0], &pid);
    HANDLE process = OpenProcess(PROCESS_VM_READ, FALSE, pid);
    if (!process) return 1;
    std::vector<unsigned char> bytes(std::strtoul(argv[4], nullptr, 0));
    SIZE_T read = 0;
    const BOOL ok = ReadProcessMemory(process, reinterpret_cast<void*>(static_cast<std::uintptr_t>(std::strtoull(argv[3], nullptr, 16))),
                                      bytes.data(), bytes.size(), &read);
    CloseHandle(process);
    if (!ok) return 1;
    for (SIZE_T i = 0; i < read; ++i) std::printf("%02x%s", bytes[i], (i + 1) % 16 == 0 ? "\n" : " ");
    std::printf("\n");
    return 0;
  }
  return Usage();
}

// One request of a server: false when stdin has ended (or breaks off).
bool ReadRequest(std::vector<std::string>& args) {
  auto field = [](std::string& out) {
    out.clear();
    for (int c; (c = std::getchar()) != EOF;) {
      if (c == 0) return true;
      out += static_cast<char>(c);
    }
    return false;
  };
  std::string count;
  if (!field(count)) return false;
  args.assign(1, "e2e_driver.exe");
  for (long n = std::strtol(count.c_str(), nullptr, 10); n > 0; --n) {
    std::string utf8;
    if (!field(utf8)) return false;
    std::wstring wide(utf8.size() + 1, L'\0');
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0],
                                           static_cast<int>(wide.size()));
    wide.resize(length > 0 ? length : 0);
    args.push_back(GbkOf(wide));
  }
  return true;
}

int Serve(const std::vector<std::string>& args) {
  if (!JoinShellDesktop(args)) return 3;
  // Bytes as they are both ways: no CR added before a line's end.
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  std::vector<std::string> request;
  while (ReadRequest(request)) {
    const int rc = Command(request, true);
    std::printf("\n\x1d%d\n", rc);
    std::fflush(stdout);
  }
  return 0;
}

}  // namespace

int main() {
  // The arguments as typed, whatever the system's code page, in GBK.
  int argc = 0;
  wchar_t** wideArgs = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<std::string> args;
  for (int i = 0; i < argc; ++i) args.push_back(GbkOf(wideArgs[i]));
  if (argc == 2 && args[1] == "serve") return Serve(args);
  return Command(args, false);
}
