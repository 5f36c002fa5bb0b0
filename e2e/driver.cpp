// Test driver for the end-to-end scenarios: finds the agent's windows by class
// and caption on the "shell" desktop, reports their geometry and controls,
// and posts messages to them. Texts on the command line and in the output are
// in the ANSI code page (GBK), like the agent's own.
//
//   driver wait CLASS CAPTION [SECONDS]     a visible window appears; prints it
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
//   driver setsz NAME TEXT                  REG_SZ in the agent's key (RegSetValueExA: ANSI bytes)
//   driver setdword NAME NUMBER             REG_DWORD in the agent's key
//   driver getsz NAME                       hex bytes of a value (RegQueryValueExA), then its type
//   driver setraw NAME TYPE HEX             any type (a number) with any bytes ("-" for none)
//   driver setfill NAME PREFIX COUNT        REG_SZ: PREFIX, then COUNT bytes 'x', then one NUL
//   driver settasks FIRST LAST A B C        tasks FIRST..LAST, enabled, each with these texts
//   driver running EXE                      a process with that executable name runs (exact case)
//   driver now                              the local time: year month day hour minute second
//   driver ctl|items|lv|lvcell CLASS CAPTION ...  child controls of a window (controls.cpp)
//
// CAPTION "*" matches any caption. Exit code 0 on success, 1 when the window
// was not found, 2 on bad usage.
#include <windows.h>
#include <tlhelp32.h>

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
  char buf[512] = {};
  GetWindowTextA(h, buf, sizeof buf);
  return buf;
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
  const LONG style = GetWindowLongA(h, GWL_STYLE), ex = GetWindowLongA(h, GWL_EXSTYLE);
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

// Under "wine explorer /desktop=shell" the agent's windows live on that desktop.
void JoinShellDesktop() {
  HDESK desk = OpenDesktopA("shell", 0, FALSE, GENERIC_ALL);
  if (desk) SetThreadDesktop(desk);
}

constexpr const char* kAgentKey = "Software\\Velmora\\Ordavi";

HKEY AgentKey() {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kAgentKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
      ERROR_SUCCESS) {
    return nullptr;
  }
  return key;
}

int Registry(const std::string& cmd, int argc, char** argv) {
  HKEY key = AgentKey();
  if (!key) return 1;
  LONG rc = ERROR_INVALID_PARAMETER;
  if (cmd == "setsz" && argc >= 4) {
    rc = RegSetValueExA(key, argv[2], 0, REG_SZ, reinterpret_cast<const BYTE*>(argv[3]),
                        static_cast<DWORD>(std::strlen(argv[3]) + 1));
  } else if (cmd == "setdword" && argc >= 4) {
    const DWORD v = std::strtoul(argv[3], nullptr, 0);
    rc = RegSetValueExA(key, argv[2], 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
  } else if (cmd == "setraw" && argc >= 5) {
    std::string bytes;
    for (const char* h = argv[4]; h[0] && h[1] && h[0] != '-'; h += 2) {
      bytes += static_cast<char>(std::strtoul(std::string(h, 2).c_str(), nullptr, 16));
    }
    rc = RegSetValueExA(key, argv[2], 0, std::strtoul(argv[3], nullptr, 0),
                        reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()));
  } else if (cmd == "setfill" && argc >= 5) {
    std::string text = std::string(argv[3]) + std::string(std::strtoul(argv[4], nullptr, 0), 'x');
    rc = RegSetValueExA(key, argv[2], 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                        static_cast<DWORD>(text.size() + 1));
  } else if (cmd == "settasks" && argc >= 7) {
    rc = ERROR_SUCCESS;
    for (long n = std::strtol(argv[2], nullptr, 10); n <= std::strtol(argv[3], nullptr, 10) && rc == ERROR_SUCCESS;
         ++n) {
      const char* texts[] = {argv[4], argv[5], argv[6], "启用"};
      for (int f = 0; f < 4 && rc == ERROR_SUCCESS; ++f) {
        const std::string name = std::string(1, static_cast<char>('A' + f)) + std::to_string(n);
        rc = RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(texts[f]),
                            static_cast<DWORD>(std::strlen(texts[f]) + 1));
      }
    }
  } else if (cmd == "getsz") {
    BYTE data[1024];
    DWORD type = 0, size = sizeof data;
    rc = RegQueryValueExA(key, argv[2], nullptr, &type, data, &size);
    if (rc == ERROR_SUCCESS) {
      for (DWORD i = 0; i < size; ++i) std::printf("%02x ", data[i]);
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
  std::fprintf(stderr, "usage: driver wait|gone|count|info|hidden|post|where|close|peek|show|hide|setsz|setdword|getsz|setraw|setfill|settasks|running|now ...\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  if (argc < 3 && std::strcmp(argv[1], "now") != 0) return Usage();
  JoinShellDesktop();
  const std::string cmd = argv[1], cls = argc > 2 ? argv[2] : "";
  if (cmd == "setsz" || cmd == "setdword" || cmd == "getsz" || cmd == "setraw" || cmd == "setfill" ||
      cmd == "settasks") {
    return Registry(cmd, argc, argv);
  }
  if (cmd == "running") return Running(argv[2]) ? 0 : 1;
  if (cmd == "now") {
    SYSTEMTIME t;
    GetLocalTime(&t);
    std::printf("%u %u %u %u %u %u\n", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
    return 0;
  }
  const std::string caption = argc > 3 ? argv[3] : "*";
  if (cmd == "wait") {
    auto v = WaitFor(cls, caption, argc > 4 ? std::atof(argv[4]) : 10);
    if (v.empty()) {
      std::printf("no window %s \"%s\"\n", cls.c_str(), caption.c_str());
      return 1;
    }
    PrintWindow(v.back());
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
    if (*end != '\0') msg = RegisterWindowMessageA(argv[3]);  // "TaskbarCreated"
    PostMessageA(v[0], msg, std::strtoul(argv[4], nullptr, 0), std::strtol(argv[5], nullptr, 0));
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
    for (HWND h : v) PostMessageA(h, WM_CLOSE, 0, 0);
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
