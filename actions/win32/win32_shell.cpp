#include "actions/win32/win32_shell.h"

#include <exdisp.h>
#include <servprov.h>
#include <shellapi.h>
#include <shldisp.h>
#include <shlobj.h>

#include <optional>
#include <string>

#include "actions/network.h"
#include "actions/open_for_user.h"
#include "store/text.h"
#include "store/win32/gbk_text.h"
#include "platform/win32/administrators.h"
#include "platform/win32/system_library.h"

namespace ordavi {

namespace {
// Windows directory text, fetched afresh for each adapter command.
char g_windowsDir[255];
}  // namespace

void Win32Shell::OpenFileHidden(const std::string& path, const std::string& dir) {
  ShellExecuteW(nullptr, L"open", WideFromGbk(path).c_str(), nullptr, WideFromGbk(dir).c_str(), SW_HIDE);
}

namespace {
using DirectoryFn = UINT(WINAPI*)(LPWSTR, UINT);

// CreateProcessW of `application` (a full path: nothing is searched for)
// with `commandLine`, in `dir` (the current directory when empty); the
// handles are closed at once.
bool StartProcess(const std::wstring& application, std::wstring commandLine, const std::string& dir, WORD show,
                  DWORD flags) {
  const std::wstring workDir = WideFromGbk(dir);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = show;
  PROCESS_INFORMATION pi{};
  commandLine.push_back(L'\0');  // CreateProcessW may write into its command line
  if (!CreateProcessW(application.c_str(), &commandLine[0], nullptr, nullptr, FALSE, flags, nullptr,
                      workDir.empty() ? nullptr : workDir.c_str(), &si, &pi)) {
    return false;
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return true;
}

// Starts `program` of the directory `directoryOf` names by its full path:
// the path is the application name (nothing is searched for) and, quoted,
// the first word of the command line, `params` the rest.
bool StartByFullPath(DirectoryFn directoryOf, const std::string& program, const std::wstring& params,
                     const std::string& dir, WORD show, DWORD flags) {
  wchar_t programDir[MAX_PATH];
  const UINT n = directoryOf(programDir, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return false;
  // A directory GBK cannot hold is not passed on as a look-alike.
  const auto dirText = GbkFromWideExactly(std::wstring(programDir, n));
  if (!dirText) return false;
  const bool separated = !dirText->empty() && dirText->back() == '\\';
  const std::wstring application = WideFromGbk(*dirText + (separated ? "" : "\\") + program);
  return StartProcess(application, WideFromGbk(SystemProgramCommandLine(*dirText, program, "")) + params, dir, show,
                      flags);
}
}  // namespace

bool Win32Shell::StartProgramHidden(const std::string& path, const std::string& dir) {
  // A path the task gives relative ("..\x.exe", "D:x.exe") is made full as the
  // system would make it, against the current directory (the system directory).
  wchar_t full[MAX_PATH * 2];
  const DWORD n = GetFullPathNameW(WideFromGbk(path).c_str(), MAX_PATH * 2, full, nullptr);
  if (n == 0 || n >= MAX_PATH * 2) return false;
  const auto fullText = GbkFromWideExactly(std::wstring(full, n));
  const std::string systemDir = SystemDirectory();
  if (!fullText || systemDir.empty()) return false;
  const ProgramStart start = TaskProgramStart(systemDir, *fullText);
  return StartProcess(WideFromGbk(start.application), WideFromGbk(start.commandLine), dir, SW_HIDE, 0);
}

void Win32Shell::RunHidden(const std::string& program, const std::string& params, const std::string& dir) {
  StartByFullPath(GetSystemDirectoryW, program, WideFromGbk(params), dir, SW_HIDE, CREATE_NO_WINDOW);
}

void Win32Shell::OpenHelpFile(const std::string& path) {
  // The help viewer of the Windows directory, not whatever program the
  // user's file association names for .chm (an elevated agent would start
  // that one elevated). Only where it is missing does the shell choose.
  if (StartByFullPath(GetWindowsDirectoryW, "hh.exe", QuotedArgument(WideFromGbk(path)), "", SW_SHOWNORMAL, 0)) return;
  ShellExecuteW(mainWindow_(), nullptr, WideFromGbk(path).c_str(), L"", L"", SW_SHOWNORMAL);
}

std::wstring QuotedArgument(const std::wstring& argument) {
  std::wstring quoted = L"\"";
  std::size_t backslashes = 0;
  for (const wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    // Backslashes before a quote are doubled and the quote escaped; others
    // stand for themselves.
    quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
    quoted.push_back(c);
    backslashes = 0;
  }
  quoted.append(2 * backslashes, L'\\');  // before the closing quote
  return quoted + L"\"";
}

bool OpenInNotepad(const std::wstring& path) {
  return StartByFullPath(GetWindowsDirectoryW, "notepad.exe", QuotedArgument(path), "", SW_SHOWNORMAL, 0);
}

void Win32Shell::OpenInNotepad(const std::wstring& path) {
  if (!path.empty()) ordavi::OpenInNotepad(path);
}

void Win32Shell::ShowWebPage(const std::string& url) {
  ShellExecuteW(nullptr, L"open", WideFromGbk(url).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

namespace {
// Releases a COM interface when it goes out of scope.
template <typename T>
struct Held {
  T* p = nullptr;
  ~Held() {
    if (p) p->Release();
  }
  void** Out() { return reinterpret_cast<void**>(&p); }
};

// A VARIANT holding a copy of `text`, freed with it.
struct TextVariant {
  VARIANT v;
  explicit TextVariant(const std::wstring& text) {
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocString(text.c_str());
  }
  ~TextVariant() { VariantClear(&v); }
};

// The identifiers of the classes and interfaces asked for on the way to the
// desktop's shell. Stated here rather than taken from the SDK's uuid library,
// which links every identifier it holds (about 40 KB) for these eight.
constexpr CLSID kShellWindows = {0x9BA05972, 0xF6A8, 0x11CF, {0xA4, 0x42, 0x00, 0xA0, 0xC9, 0x0A, 0x8F, 0x39}};
constexpr IID kIShellWindows = {0x85CB6900, 0x4D95, 0x11CF, {0x96, 0x0C, 0x00, 0x80, 0xC7, 0xF4, 0xEE, 0x85}};
constexpr IID kIServiceProvider = {0x6D5140C1, 0x7436, 0x11CE, {0x80, 0x34, 0x00, 0xAA, 0x00, 0x60, 0x09, 0xFA}};
constexpr GUID kTopLevelBrowser = {0x4C96BE40, 0x915C, 0x11CF, {0x99, 0xD3, 0x00, 0xAA, 0x00, 0x4A, 0xE8, 0x37}};
constexpr IID kIShellBrowser = {0x000214E2, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID kIDispatch = {0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID kIShellFolderViewDual = {0xE7A1AF80, 0x4D96, 0x11CF, {0x96, 0x0C, 0x00, 0x80, 0xC7, 0xF4, 0xEE, 0x85}};
constexpr IID kIShellDispatch2 = {0xA4C6892C, 0x3BA9, 0x11D2, {0x9D, 0xEA, 0x00, 0xC0, 0x4F, 0xB1, 0x61, 0x62}};
}  // namespace

namespace {

// The desktop's shell window (ShellWindows' SWC_DESKTOP), its active shell
// view's background object, that view's Shell.Application and its
// IShellDispatch2::ShellExecute with "open", on the calling thread.
bool OpenThroughDesktopShell(const std::wstring& target, const std::wstring& dir, bool hidden) {
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  bool opened = false;
  {
    Held<IShellWindows> windows;
    Held<IDispatch> desktop;
    Held<IServiceProvider> services;
    Held<IShellBrowser> browser;
    Held<IShellView> view;
    Held<IDispatch> background;
    Held<IShellFolderViewDual> folderView;
    Held<IDispatch> application;
    Held<IShellDispatch2> shell;
    VARIANT where, none;
    VariantInit(&where);
    VariantInit(&none);
    where.vt = VT_I4;
    where.lVal = CSIDL_DESKTOP;
    long desktopWindow = 0;
    if (SUCCEEDED(CoCreateInstance(kShellWindows, nullptr, CLSCTX_LOCAL_SERVER, kIShellWindows,
                                   windows.Out())) &&
        windows.p->FindWindowSW(&where, &none, SWC_DESKTOP, &desktopWindow, SWFO_NEEDDISPATCH, &desktop.p) == S_OK &&
        desktop.p && SUCCEEDED(desktop.p->QueryInterface(kIServiceProvider, services.Out())) &&
        SUCCEEDED(services.p->QueryService(kTopLevelBrowser, kIShellBrowser, browser.Out())) &&
        SUCCEEDED(browser.p->QueryActiveShellView(&view.p)) && view.p &&
        SUCCEEDED(view.p->GetItemObject(SVGIO_BACKGROUND, kIDispatch, background.Out())) &&
        SUCCEEDED(background.p->QueryInterface(kIShellFolderViewDual, folderView.Out())) &&
        SUCCEEDED(folderView.p->get_Application(&application.p)) && application.p &&
        SUCCEEDED(application.p->QueryInterface(kIShellDispatch2, shell.Out()))) {
      BSTR file = SysAllocString(target.c_str());
      TextVariant args(L""), directory(dir), verb(L"open");
      VARIANT show;
      VariantInit(&show);
      show.vt = VT_I4;
      show.lVal = hidden ? SW_HIDE : SW_SHOWNORMAL;
      opened = SUCCEEDED(shell.p->ShellExecute(file, args.v, directory.v, verb.v, show));
      SysFreeString(file);
    }
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return opened;
}

// One call to the desktop's shell, shared by the thread that makes it and
// the agent's thread that waits for it; whichever lets go last frees it.
struct DesktopCall {
  std::wstring target, dir;
  bool hidden = false;
  volatile LONG opened = 0;
  volatile LONG holders = 2;
  void Release() {
    if (InterlockedDecrement(&holders) == 0) delete this;
  }
};

DWORD WINAPI DesktopCallThread(void* param) {
  DesktopCall* call = static_cast<DesktopCall*>(param);
  if (OpenThroughDesktopShell(call->target, call->dir, call->hidden)) InterlockedExchange(&call->opened, 1);
  call->Release();
  return 0;
}

}  // namespace

Win32Shell::~Win32Shell() {
  if (desktopThread_) CloseHandle(desktopThread_);
}

DesktopOpen Win32Shell::OpenAsDesktopUser(const std::string& target, const std::string& dir, bool hidden) {
  // A call that never came back (the desktop's process suspended or hung)
  // keeps its thread; while it does, the shell is not asked again.
  if (desktopThread_) {
    if (WaitForSingleObject(desktopThread_, 0) == WAIT_TIMEOUT) return DesktopOpen::NoAnswer;
    CloseHandle(desktopThread_);
    desktopThread_ = nullptr;
  }
  DesktopCall* call = new DesktopCall;
  call->target = WideFromGbk(target);
  call->dir = WideFromGbk(dir);
  call->hidden = hidden;
  const HANDLE thread = CreateThread(nullptr, 0, DesktopCallThread, call, 0, nullptr);
  if (!thread) {
    delete call;
    return DesktopOpen::Failed;
  }
  // The agent's one thread waits no longer than this, without pumping its
  // messages (a tick or a dialog must not run in the middle of a task).
  const bool answered = WaitForSingleObject(thread, desktopWaitMs_) == WAIT_OBJECT_0;
  const bool opened = answered && call->opened != 0;
  call->Release();
  if (!answered) {
    desktopThread_ = thread;
    return DesktopOpen::NoAnswer;
  }
  CloseHandle(thread);
  return opened ? DesktopOpen::Opened : DesktopOpen::Failed;
}

std::string Win32Shell::WindowsDirectory() {
  g_windowsDir[0] = '\0';
  GetWindowsDirectoryA(g_windowsDir, sizeof g_windowsDir);
  return g_windowsDir;
}

bool Win32Shell::RunsElevated() { return AdministratorsInForce(nullptr); }

bool Win32Shell::DesktopRunsElevated() {
  // The process of the desktop's shell window, as the system names it: a
  // program that took the name after the shell ended runs at the user's
  // normal rights and so says "no".
  DWORD pid = 0;
  const HWND desktop = GetShellWindow();
  if (!desktop || !GetWindowThreadProcessId(desktop, &pid)) return false;
  return ProcessHasAdministratorsInForce(pid);
}

std::string Win32Shell::SystemProgram(const std::string& name) {
  const auto fileIn = [&name](std::string folder) {
    if (folder.empty()) return folder;
    if (folder.back() != '\\') folder += '\\';
    folder += name;
    const DWORD attributes = GetFileAttributesW(WideFromGbk(folder).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) folder.clear();
    return folder;
  };
  const std::string found = fileIn(SystemDirectory());
  return found.empty() ? fileIn(WindowsDirectory()) : found;
}

}  // namespace ordavi
