#include "actions/win32/win32_actions.h"

#include <mmsystem.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include "actions/win32/win32_network.h"
#include "store/win32/gbk_text.h"
#include "ui/win32/system_library.h"

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

bool Win32JunkSystem::WriteLog(const std::string& logPath, const std::string& utf8Text, bool append) {
  std::wstring text;
  if (!utf8Text.empty()) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8Text.data(), static_cast<int>(utf8Text.size()), nullptr, 0);
    text.resize(static_cast<std::size_t>(n));
    MultiByteToWideChar(CP_UTF8, 0, utf8Text.data(), static_cast<int>(utf8Text.size()), &text[0], n);
  }
  const std::string bytes = GbkFromWide(text);
  const HANDLE h = CreateFileW(WideFromGbk(logPath).c_str(), append ? FILE_APPEND_DATA : GENERIC_WRITE,
                               FILE_SHARE_READ, nullptr, append ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                               nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = bytes.empty() || WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(h);
  return ok && written == bytes.size();
}

std::optional<std::string> Win32JunkSystem::ReadScript(const std::string& path) {
  const HANDLE h = CreateFileW(WideFromGbk(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string text(64 * 1024, '\0');
  DWORD got = 0;
  ReadFile(h, &text[0], static_cast<DWORD>(text.size()), &got, nullptr);
  CloseHandle(h);
  text.resize(got);
  return text;
}

std::string Win32JunkSystem::SystemFolder() { return SystemDirectory(); }

bool Win32JunkSystem::RunHiddenAndWait(const std::string& commandLine) {
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION pi{};
  std::wstring cmd = WideFromGbk(commandLine);
  cmd.push_back(L'\0');  // CreateProcessW may write into its command line
  if (!CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, IDLE_PRIORITY_CLASS, nullptr, nullptr, &si, &pi)) {
    return false;
  }
  WaitForSingleObject(pi.hProcess, INFINITE);
  DWORD exitCode = 0;
  GetExitCodeProcess(pi.hProcess, &exitCode);  // its value carries no meaning
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return true;
}

void Win32JunkSystem::OpenLog(const std::string& logPath, const std::string&) {
  // Notepad by its full path, as the run history is opened: the user's .txt
  // association would run its program with the agent's rights.
  OpenInNotepad(WideFromGbk(logPath));
}

namespace {
// winmm is loaded when a sound is first played (system_library.h).
using PlaySoundFn = BOOL(WINAPI*)(LPCWSTR, HMODULE, DWORD);
PlaySoundFn PlaySoundProc() { return SystemProc<PlaySoundFn>("winmm.dll", "PlaySoundW"); }
}  // namespace

void Win32SoundPlayer::Play(const std::string& name, std::uint32_t flags) {
  if (const auto play = PlaySoundProc()) play(WideFromGbk(name).c_str(), reinterpret_cast<HMODULE>(window_()), flags);
}

void Win32SoundPlayer::Stop() {
  // Nothing can be playing before winmm was loaded for a sound.
  if (!GetModuleHandleA("winmm.dll")) return;
  if (const auto play = PlaySoundProc()) play(nullptr, nullptr, 0);
}

}  // namespace ordavi
