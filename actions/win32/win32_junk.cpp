#include "actions/win32/win32_junk.h"

#include "actions/win32/win32_shell.h"
#include "store/win32/gbk_text.h"
#include "platform/win32/system_library.h"

namespace ordavi {

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

}  // namespace ordavi
