#include "platform/win32/whole_file.h"

#include <windows.h>

#include "store/win32/gbk_text.h"
#include "platform/win32/held_folder.h"

namespace ordavi::platform {

namespace {
// The system's text for `code`, or `pattern` with %1, %2 filled from `args`
// (FormatMessageW's), without its last line ends and blanks.
std::string SystemReason(DWORD code, const wchar_t* pattern = nullptr, const wchar_t* const* args = nullptr) {
  wchar_t* text = nullptr;
  const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER |
                                     (pattern ? FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY
                                              : FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS),
                                 pattern, code, 0, reinterpret_cast<wchar_t*>(&text), 0,
                                 reinterpret_cast<va_list*>(const_cast<wchar_t**>(args)));
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
constexpr const char* kLinkRefused = "文件或它所在的文件夹是链接（联接点或符号链接），未写入";

// A folder on the way that is a link (a known folder moved elsewhere, a
// folder a sync program such as OneDrive keeps): which one, why, and where
// else to write: where the link leads, else the folder above it.
std::string LinkedFolderRefused(const std::wstring& link) {
  std::wstring other;
  const HANDLE h = CreateFileW(link.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    other = RealPathOf(h);
    CloseHandle(h);
  }
  if (other.empty() || SamePath(other, link)) {
    const std::size_t cut = link.find_last_of(L'\\');
    other = link.substr(0, cut == 2 ? 3 : cut);
  }
  const wchar_t* const args[] = {link.c_str(), other.c_str()};
  return SystemReason(0,
                   L"文件夹“%1”是链接（联接点、符号链接或OneDrive等同步的文件夹），可能被改为指向别处，"
                   L"所以不经过它写入；请另选文件夹，如“%2”",
                   args);
}

bool WriteAllBytes(HANDLE h, const std::string& bytes, std::string& error) {
  DWORD written = 0;
  if (!bytes.empty() && !WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
    error = SystemReason(GetLastError());
    return false;
  }
  if (written != bytes.size() || !FlushFileBuffers(h)) {
    error = SystemReason(GetLastError());
    return false;
  }
  return true;
}

// A path on a network share (\\server\share\...): its links are the
// server's to resolve. The part file is still only ever a new file.
bool WriteByPath(const std::wstring& path, const std::wstring& part, const std::string& bytes, std::string& error) {
  const HANDLE h = CreateFileW(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    error = SystemReason(GetLastError());
    return false;
  }
  bool ok = WriteAllBytes(h, bytes, error);
  CloseHandle(h);
  if (ok && !MoveFileExW(part.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    ok = false;
    error = SystemReason(GetLastError());
  }
  if (!ok) DeleteFileW(part.c_str());
  return ok;
}
}  // namespace

bool WriteWholeFile(const std::wstring& path, const std::string& bytes, std::string& error) {
  // Written beside itself first and then put in place, so a refused or cut
  // write (a full disk, a lost share) leaves the file that was there whole.
  // The folder is one the user picked, which other programs may change: the
  // part file is made, moved and (on failure) removed relative to the held
  // folder, and a link as the folder, above it or at the file is refused.
  const std::size_t cut = path.find_last_of(L'\\');
  if (cut == std::wstring::npos || cut + 1 == path.size()) {
    error = SystemReason(ERROR_INVALID_NAME);
    return false;
  }
  const std::wstring name = path.substr(cut + 1), part = name + L".part";
  // "\\?\X:\..." and "\\.\X:\..." name a drive's file too: held like one.
  // "\\?\UNC\server\share\..." is a share; any other such name (a device, a
  // volume by its GUID) is refused.
  std::wstring local = path;
  if (local.compare(0, 4, L"\\\\?\\") == 0 || local.compare(0, 4, L"\\\\.\\") == 0) {
    const bool drive = local.size() > 6 && local[5] == L':' && local[6] == L'\\' &&
                       ((local[4] >= L'A' && local[4] <= L'Z') || (local[4] >= L'a' && local[4] <= L'z'));
    if (drive) {
      local.erase(0, 4);
    } else if (local.compare(0, 8, L"\\\\?\\UNC\\") != 0) {
      error = SystemReason(ERROR_INVALID_NAME);
      return false;
    }
  }
  if (local.compare(0, 2, L"\\\\") == 0) return WriteByPath(path, path + L".part", bytes, error);
  HeldFolder folder;
  const FolderOpen opened = folder.Open(local.substr(0, local.find_last_of(L'\\') + 1), false);
  if (opened != FolderOpen::Opened) {
    error = opened == FolderOpen::Linked ? LinkedFolderRefused(folder.linked()) : SystemReason(ERROR_PATH_NOT_FOUND);
    return false;
  }
  HANDLE h = nullptr;
  FileOpen made = folder.OpenFile(part, GENERIC_WRITE | DELETE, 0, kNtCreate, h);
  // A part file left by an earlier failure goes first, when it is a plain file.
  if (made == FileOpen::Exists && folder.Remove(part)) made = folder.OpenFile(part, GENERIC_WRITE | DELETE, 0, kNtCreate, h);
  if (made != FileOpen::Opened) {
    error = made == FileOpen::Linked || made == FileOpen::Exists ? kLinkRefused : SystemReason(ERROR_ACCESS_DENIED);
    return false;
  }
  bool ok = WriteAllBytes(h, bytes, error);
  if (ok && !folder.MoveTo(h, name)) {
    ok = false;
    HANDLE there = nullptr;
    const FileOpen target = folder.OpenFile(name, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, kNtOpen, there);
    if (there) CloseHandle(there);
    error = target == FileOpen::Linked ? kLinkRefused : SystemReason(ERROR_ACCESS_DENIED);
  }
  if (!ok) DeleteOnClose(h);
  CloseHandle(h);
  return ok;
}

}  // namespace ordavi::platform
