#include "actions/win32/win32_processes.h"

#include <tlhelp32.h>

#include "store/win32/gbk_text.h"
#include "platform/win32/system_library.h"

namespace ordavi {

namespace {

// The Unicode process entry: executable names of any characters, converted to
// GBK here, whatever the system's code page.
using ProcessEntry32W = tagPROCESSENTRY32W;

using SnapshotFn = HANDLE(WINAPI*)(DWORD, DWORD);
using WalkFn = BOOL(WINAPI*)(HANDLE, ProcessEntry32W*);

struct ToolhelpFunctions {
  SnapshotFn snapshot = nullptr;
  WalkFn first = nullptr;
  WalkFn next = nullptr;
  bool Available() const { return snapshot && first && next; }
};

const ToolhelpFunctions& Toolhelp() {
  static const ToolhelpFunctions fns = [] {
    ToolhelpFunctions f;
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (!kernel) return f;
    f.snapshot = ProcOf<SnapshotFn>(kernel, "CreateToolhelp32Snapshot");
    f.first = ProcOf<WalkFn>(kernel, "Process32FirstW");
    f.next = ProcOf<WalkFn>(kernel, "Process32NextW");
    return f;
  }();
  return fns;
}

}  // namespace

std::optional<std::vector<ProcessEntry>> Win32ProcessSystem::ListProcesses() {
  const ToolhelpFunctions& th = Toolhelp();
  if (!th.Available()) return std::nullopt;
  HANDLE snap = th.snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return std::nullopt;
  std::vector<ProcessEntry> out;
  ProcessEntry32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = th.first(snap, &entry); more; more = th.next(snap, &entry)) {
    // szExeFile up to its first NUL, at most its 260 units; a character GBK
    // cannot hold becomes '?', so such a name matches no stored name.
    std::size_t len = 0;
    while (len < MAX_PATH && entry.szExeFile[len] != L'\0') ++len;
    out.push_back({static_cast<std::uint32_t>(entry.th32ProcessID), GbkFromWide(std::wstring(entry.szExeFile, len))});
  }
  CloseHandle(snap);
  return out;
}

std::optional<std::string> Win32ProcessSystem::ImagePathOf(HANDLE process) {
  // Vista and later: kernel32's QueryFullProcessImageNameW, the Win32 path.
  // Otherwise the device path of GetProcessImageFileNameW (kernel32's K32
  // name on 7 and later, psapi before); both end in the image's file name.
  using QueryFullFn = BOOL(WINAPI*)(HANDLE, DWORD, LPWSTR, PDWORD);
  using ImageFileFn = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD);
  static const QueryFullFn queryFull = ProcOf<QueryFullFn>(GetModuleHandleA("kernel32.dll"), "QueryFullProcessImageNameW");
  wchar_t path[1024];
  DWORD n = 0;
  if (queryFull) {
    DWORD size = sizeof path / sizeof path[0];
    if (queryFull(process, 0, path, &size)) n = size;
  }
  if (n == 0) {
    ImageFileFn imageFile = ProcOf<ImageFileFn>(GetModuleHandleA("kernel32.dll"), "K32GetProcessImageFileNameW");
    if (!imageFile) imageFile = SystemProc<ImageFileFn>("psapi.dll", "GetProcessImageFileNameW");
    if (imageFile) n = imageFile(process, path, sizeof path / sizeof path[0]);
  }
  if (n == 0 || n >= sizeof path / sizeof path[0]) return std::nullopt;
  // A character GBK cannot hold becomes '?', as in the process list.
  return GbkFromWide(std::wstring(path, n));
}

void Win32ProcessSystem::TerminateProcess(std::uint32_t pid, const ImageCheck& isTheProgram) {
  HANDLE h = OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (!h) h = OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION, FALSE, pid);
  if (!h) return;
  // The same handle is checked and ended: the id cannot change hands between.
  if (isTheProgram(ImagePathOf(h))) ::TerminateProcess(h, 0);
  CloseHandle(h);
}

}  // namespace ordavi
