#include "ui/win32/whole_file.h"

#include <windows.h>

#include "store/win32/gbk_text.h"

namespace ordavi::ui {

namespace {
std::string SystemReason(DWORD code) {
  wchar_t* text = nullptr;
  const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                     FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring reason = n && text ? std::wstring(text, n) : L"";
  if (text) LocalFree(text);
  while (!reason.empty() && (reason.back() == L'\n' || reason.back() == L'\r' || reason.back() == L' ')) {
    reason.pop_back();
  }
  return reason.empty() ? "系统错误 " + std::to_string(code) : GbkFromWide(reason);
}
}  // namespace

std::optional<std::string> ReadWholeFile(const std::wstring& path, std::string& error) {
  const HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    error = SystemReason(GetLastError());
    return std::nullopt;
  }
  LARGE_INTEGER size = {};
  std::optional<std::string> bytes;
  if (!GetFileSizeEx(h, &size)) {
    error = SystemReason(GetLastError());
  } else if (size.QuadPart > static_cast<LONGLONG>(kWholeFileLimit)) {
    error = "文件太大";
  } else {
    std::string data(static_cast<std::size_t>(size.QuadPart), '\0');
    DWORD got = 0;
    if (data.empty() || ReadFile(h, &data[0], static_cast<DWORD>(data.size()), &got, nullptr)) {
      data.resize(got);
      bytes = std::move(data);
    } else {
      error = SystemReason(GetLastError());
    }
  }
  CloseHandle(h);
  return bytes;
}

namespace {
bool WriteInPlace(const std::wstring& path, const std::string& bytes, std::string& error) {
  const HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    error = SystemReason(GetLastError());
    return false;
  }
  DWORD written = 0;
  const bool ok = bytes.empty() || WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  if (!ok) error = SystemReason(GetLastError());
  const bool closed = CloseHandle(h) != 0;
  if (ok && (written != bytes.size() || !closed)) error = SystemReason(GetLastError());
  return ok && written == bytes.size() && closed;
}
}  // namespace

bool WriteWholeFile(const std::wstring& path, const std::string& bytes, std::string& error) {
  // Written beside itself first and then put in place, so a refused or cut
  // write (a full disk, a lost share) leaves the file that was there whole.
  const std::wstring part = path + L".part";
  bool ok = WriteInPlace(part, bytes, error);
  if (ok && !MoveFileExW(part.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    ok = false;
    error = SystemReason(GetLastError());
  }
  if (!ok) DeleteFileW(part.c_str());
  return ok;
}

}  // namespace ordavi::ui
