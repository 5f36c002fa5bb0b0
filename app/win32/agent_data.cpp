#include "app/win32/agent_data.h"

#include <shlobj.h>

#include <algorithm>

namespace ordavi {

namespace {

// Larger files are not read: the history stays near a megabyte.
constexpr std::uint64_t kMaxReadBytes = 64ull * 1024 * 1024;

bool IsLink(DWORD attributes) { return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }

// An opened file that is neither a reparse point nor one of several hard links.
bool PlainFile(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(file, &info)) return false;
  return !IsLink(info.dwFileAttributes) && info.nNumberOfLinks <= 1;
}

bool WriteAll(HANDLE file, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) return false;
    done += written;
  }
  return true;
}

bool Missing(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

}  // namespace

std::wstring AgentDataFolder() {
  std::wstring base;
  wchar_t buffer[MAX_PATH];
  const DWORD n = GetEnvironmentVariableW(L"LOCALAPPDATA", buffer, MAX_PATH);
  if (n > 0 && n < MAX_PATH) {
    base = buffer;
  } else if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, buffer))) {
    base = buffer;  // systems without the variable
  }
  if (base.empty()) return base;
  if (base.back() != L'\\') base += L'\\';
  return base + L"Ordavi\\";
}

Win32DataFile::Win32DataFile(const char* name) : folder_(AgentDataFolder()) {
  if (!folder_.empty()) path_ = folder_ + std::wstring(name, name + std::char_traits<char>::length(name));
}

bool Win32DataFile::FolderUsable() {
  if (folder_.empty()) return false;
  DWORD attributes = GetFileAttributesW(folder_.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    if (!CreateDirectoryW(folder_.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    attributes = GetFileAttributesW(folder_.c_str());
  }
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) && !IsLink(attributes);
}

std::optional<std::uint64_t> Win32DataFile::Size() {
  if (path_.empty()) return std::nullopt;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(path_.c_str(), GetFileExInfoStandard, &data)) {
    if (Missing(GetLastError())) return 0;
    return std::nullopt;
  }
  return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool Win32DataFile::Append(const std::string& bytes) {
  if (!FolderUsable()) return false;
  HANDLE file = CreateFileW(path_.c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool ok = PlainFile(file) && WriteAll(file, bytes);
  CloseHandle(file);
  return ok;
}

std::optional<std::string> Win32DataFile::ReadAll() {
  if (path_.empty()) return std::nullopt;
  HANDLE file = CreateFileW(path_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    if (Missing(GetLastError())) return std::string();
    return std::nullopt;
  }
  std::optional<std::string> out;
  LARGE_INTEGER size;
  if (PlainFile(file) && GetFileSizeEx(file, &size) && static_cast<std::uint64_t>(size.QuadPart) <= kMaxReadBytes) {
    std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
    DWORD got = 0;
    std::size_t done = 0;
    while (done < bytes.size() && ReadFile(file, &bytes[done], static_cast<DWORD>(bytes.size() - done), &got, nullptr) &&
           got > 0) {
      done += got;
    }
    bytes.resize(done);
    out = std::move(bytes);
  }
  CloseHandle(file);
  return out;
}

// Written beside the file and moved over it, so a failure leaves the old
// content whole.
bool Win32DataFile::Replace(const std::string& bytes) {
  if (!FolderUsable()) return false;
  const std::wstring temp = path_ + L".new";
  DeleteFileW(temp.c_str());  // a name left over (or planted) goes; the content is written to a new file
  HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE | FILE_READ_ATTRIBUTES, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool written = PlainFile(file) && WriteAll(file, bytes);
  CloseHandle(file);
  if (written && MoveFileExW(temp.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
  DeleteFileW(temp.c_str());
  return false;
}

bool Win32DataFile::Clear() {
  if (path_.empty()) return false;
  return DeleteFileW(path_.c_str()) || Missing(GetLastError());
}

long long Win32UtcClock::UtcMinute() {
  FILETIME ft;
  GetSystemTimeAsFileTime(&ft);
  const unsigned long long t = (static_cast<unsigned long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  constexpr unsigned long long k1970 = 116444736000000000ull;  // 100 ns units from 1601 to 1970
  return static_cast<long long>((t - k1970) / 600000000ull);
}

}  // namespace ordavi
