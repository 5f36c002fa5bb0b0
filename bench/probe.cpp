// Measures a running or starting Win32 program from outside, for the
// benchmarks. Runs on the desktop "shell" of a Wine virtual desktop.
//
//   probe footprint CLASS
//       the process owning the (first) window of CLASS:
//       "handles <n> windows <n> gdi <n> user <n> threads <n> cpu_ms <ms>"
//       handles from the system's handle list, windows counted with their
//       children, gdi and user from GetGuiResources (which Wine does not
//       count: 0 there). Memory is read on the Linux side (bench/run.sh).
//   probe startup EXE CLASS tray|window
//       starts EXE and waits until its window of CLASS exists and, with
//       "tray", until that window's tray icon (id 100) is in the notification
//       area; prints "startup_ms <ms>" measured from just before the process
//       is created. The program is asked to close afterwards.
//   probe tick
//       the system tick count (ms), the clock of Wine's relay timestamps.
//   probe ontime CLASS COUNT
//       waits for COUNT windows of CLASS to appear one after another (each
//       closed when seen, 10 minutes at most in all); for each prints
//       "late_ms <ms>", how far into its minute of the local clock it appeared.
#include <windows.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bench/clock.h"

namespace {

struct Search {
  const char* cls;
  DWORD pid;  // 0: any process
  HWND found;
};

BOOL CALLBACK Match(HWND h, LPARAM p) {
  auto* s = reinterpret_cast<Search*>(p);
  char cls[256] = {};
  GetClassNameA(h, cls, sizeof cls);
  if (std::strcmp(cls, s->cls) != 0) return TRUE;
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  if (s->pid && pid != s->pid) return TRUE;
  s->found = h;
  return FALSE;
}

HWND FindOf(const char* cls, DWORD pid) {
  Search s{cls, pid, nullptr};
  EnumWindows(Match, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

int Threads(DWORD pid) {
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snap == INVALID_HANDLE_VALUE) return -1;
  THREADENTRY32 e = {};
  e.dwSize = sizeof e;
  int n = 0;
  for (BOOL ok = Thread32First(snap, &e); ok; ok = Thread32Next(snap, &e)) n += e.th32OwnerProcessID == pid;
  CloseHandle(snap);
  return n;
}

// Kernel handles of a process, from the system-wide handle list (what
// GetProcessHandleCount answers only for the caller's own process in Wine).
struct HandleEntry {
  ULONG OwnerPid;
  BYTE ObjectType;
  BYTE HandleFlags;
  USHORT HandleValue;
  PVOID ObjectPointer;
  ULONG AccessMask;
};
struct HandleList {
  ULONG Count;
  HandleEntry Handles[1];
};
using QuerySystemInformation = LONG(WINAPI*)(int, PVOID, ULONG, PULONG);

long Handles(DWORD pid) {
  auto query = reinterpret_cast<QuerySystemInformation>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
  if (!query) return -1;
  std::string buf(1 << 20, '\0');
  for (int attempt = 0; attempt < 6; ++attempt) {
    ULONG needed = 0;
    const LONG status = query(16 /* SystemHandleInformation */, &buf[0], static_cast<ULONG>(buf.size()), &needed);
    if (status == 0) {
      const auto* list = reinterpret_cast<const HandleList*>(buf.data());
      long n = 0;
      for (ULONG i = 0; i < list->Count; ++i) n += list->Handles[i].OwnerPid == pid;
      return n;
    }
    buf.resize(buf.size() * 4);
  }
  return -1;
}

struct WindowCount {
  DWORD pid;
  long n;
};
BOOL CALLBACK CountChild(HWND, LPARAM p) {
  ++reinterpret_cast<WindowCount*>(p)->n;
  return TRUE;
}
BOOL CALLBACK CountTop(HWND h, LPARAM p) {
  auto* c = reinterpret_cast<WindowCount*>(p);
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  if (pid != c->pid) return TRUE;
  ++c->n;
  EnumChildWindows(h, CountChild, p);
  return TRUE;
}

int Footprint(const char* cls) {
  HWND h = FindOf(cls, 0);
  if (!h) return 1;
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  HANDLE p = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
  if (!p) return 1;
  WindowCount windows{pid, 0};
  EnumWindows(CountTop, reinterpret_cast<LPARAM>(&windows));
  FILETIME created, exited, kernel, user;
  GetProcessTimes(p, &created, &exited, &kernel, &user);
  auto ms = [](FILETIME f) {
    return static_cast<double>((static_cast<unsigned long long>(f.dwHighDateTime) << 32) | f.dwLowDateTime) / 1e4;
  };
  std::printf("handles %ld windows %ld gdi %lu user %lu threads %d cpu_ms %.1f\n", Handles(pid), windows.n,
              static_cast<unsigned long>(GetGuiResources(p, GR_GDIOBJECTS)),
              static_cast<unsigned long>(GetGuiResources(p, GR_USEROBJECTS)), Threads(pid), ms(kernel) + ms(user));
  CloseHandle(p);
  return 0;
}

// True once the notification area knows the window's icon: modifying an icon
// that is not there fails, and a modify with no flags changes nothing.
bool TrayIconPresent(HWND owner) {
  NOTIFYICONDATAA nid = {};
  nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
  nid.hWnd = owner;
  nid.uID = 100;
  nid.uFlags = 0;
  return Shell_NotifyIconA(NIM_MODIFY, &nid) != FALSE;
}

int Startup(const char* exe, const char* cls, bool tray) {
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  si.lpDesktop = const_cast<char*>("shell");
  PROCESS_INFORMATION pi = {};
  std::string cmd = std::string("\"") + exe + "\"";
  const double t0 = NowMs();
  if (!CreateProcessA(exe, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 1;
  HWND h = nullptr;
  double t1 = 0;
  for (;;) {
    if (!h) h = FindOf(cls, pi.dwProcessId);
    if (h && (!tray || TrayIconPresent(h))) {
      t1 = NowMs();
      break;
    }
    if (NowMs() - t0 > 30000 || WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0) return 1;
    Sleep(1);
  }
  std::printf("startup_ms %.1f\n", t1 - t0);
  PostMessageA(h, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return 0;
}

// How late in its minute each of `count` windows of `cls` appears.
int OnTime(const char* cls, int count) {
  const double t0 = NowMs();
  for (int seen = 0; seen < count;) {
    if (NowMs() - t0 > 600000) return 1;
    HWND h = FindOf(cls, 0);
    if (!h) {
      Sleep(5);
      continue;
    }
    SYSTEMTIME now;
    GetLocalTime(&now);
    std::printf("late_ms %u\n", static_cast<unsigned>(now.wSecond) * 1000u + now.wMilliseconds);
    std::fflush(stdout);
    ++seen;
    PostMessageA(h, WM_CLOSE, 0, 0);
    while (IsWindow(h) && NowMs() - t0 < 600000) Sleep(5);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  HDESK desk = OpenDesktopA("shell", 0, FALSE, GENERIC_ALL);
  if (desk) SetThreadDesktop(desk);
  if (argc >= 3 && std::strcmp(argv[1], "footprint") == 0) return Footprint(argv[2]);
  if (argc >= 5 && std::strcmp(argv[1], "startup") == 0) {
    return Startup(argv[2], argv[3], std::strcmp(argv[4], "tray") == 0);
  }
  if (argc >= 2 && std::strcmp(argv[1], "tick") == 0) {
    std::printf("%lu\n", static_cast<unsigned long>(GetTickCount()));
    return 0;
  }
  if (argc >= 4 && std::strcmp(argv[1], "ontime") == 0) return OnTime(argv[2], std::atoi(argv[3]));
  std::fprintf(stderr, "usage: probe footprint CLASS | startup EXE CLASS tray|window | tick | ontime CLASS COUNT\n");
  return 2;
}
