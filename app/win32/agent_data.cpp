#include "app/win32/agent_data.h"

#include <shlobj.h>

#include <algorithm>

namespace ordavi {

namespace {

// FOLDERID_LocalAppData.
constexpr GUID kLocalAppData = {0xF1B32785, 0x6FBA, 0x4FCF, {0x9D, 0x55, 0x7B, 0x8E, 0x7F, 0x15, 0x70, 0x91}};

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

std::optional<std::uint64_t> SizeOf(HANDLE file) {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file, &size)) return std::nullopt;
  return static_cast<std::uint64_t>(size.QuadPart);
}

}  // namespace

std::wstring AgentDataFolder() {
  // From the user's shell folders, not from the environment, which any
  // program can hand to the agent.
  PWSTR base = nullptr;
  std::wstring folder;
  if (SUCCEEDED(SHGetKnownFolderPath(kLocalAppData, 0, nullptr, &base)) && base) folder = base;
  CoTaskMemFree(base);
  if (folder.empty()) return folder;
  if (folder.back() != L'\\') folder += L'\\';
  return folder + L"Ordavi\\";
}

Win32DataFile::Win32DataFile(const char* name, std::wstring folder)
    : folder_(std::move(folder)), name_(name, name + std::char_traits<char>::length(name)) {
  if (!folder_.empty()) path_ = folder_ + name_;
}

platform::FolderOpen Win32DataFile::Folder(bool create) {
  if (held_.IsOpen()) return platform::FolderOpen::Opened;
  if (folder_.empty()) return platform::FolderOpen::Failed;
  return held_.Open(folder_, create);
}

std::optional<std::uint64_t> Win32DataFile::Size() {
  const platform::FolderOpen folder = Folder(false);
  if (folder == platform::FolderOpen::Missing) return 0;
  if (folder != platform::FolderOpen::Opened) return std::nullopt;
  HANDLE file = nullptr;
  const platform::FileOpen r = held_.OpenFile(name_, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, platform::kNtOpen, file);
  if (r == platform::FileOpen::Missing) return 0;
  if (r != platform::FileOpen::Opened) return std::nullopt;
  const std::optional<std::uint64_t> size = SizeOf(file);
  CloseHandle(file);
  return size;
}

bool Win32DataFile::Append(const std::string& bytes) {
  if (Folder(true) != platform::FolderOpen::Opened) return false;
  HANDLE file = nullptr;
  // An existing file, else a new one: never "open or create", which would
  // create a file wherever a dangling link points.
  platform::FileOpen r = held_.OpenFile(name_, FILE_APPEND_DATA, FILE_SHARE_READ, platform::kNtOpen, file);
  if (r == platform::FileOpen::Missing) r = held_.OpenFile(name_, FILE_APPEND_DATA, FILE_SHARE_READ, platform::kNtCreate, file);
  if (r != platform::FileOpen::Opened) return false;
  const bool ok = WriteAll(file, bytes);
  return CloseHandle(file) && ok;
}

std::optional<std::string> Win32DataFile::ReadAll() {
  const platform::FolderOpen folder = Folder(false);
  if (folder == platform::FolderOpen::Missing) return std::string();
  if (folder != platform::FolderOpen::Opened) return std::nullopt;
  HANDLE file = nullptr;
  const platform::FileOpen r =
      held_.OpenFile(name_, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, platform::kNtOpen, file);
  if (r == platform::FileOpen::Missing) return std::string();
  if (r != platform::FileOpen::Opened) return std::nullopt;
  std::optional<std::string> out;
  const std::optional<std::uint64_t> size = SizeOf(file);
  if (size) {
    // Only the newest part of a file grown far past its limit (planted, or
    // written by something else): reading it all would hold the agent's one
    // thread.
    const std::uint64_t skip = *size > kDataFileReadLimit ? *size - kDataFileReadLimit : 0;
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(skip);
    std::string bytes(static_cast<std::size_t>(*size - skip), '\0');
    DWORD got = 0;
    std::size_t done = 0;
    if (SetFilePointerEx(file, at, nullptr, FILE_BEGIN)) {
      while (done < bytes.size() &&
             ReadFile(file, &bytes[done], static_cast<DWORD>(bytes.size() - done), &got, nullptr) && got > 0) {
        done += got;
      }
      bytes.resize(done);
      // A part cut in the middle of a line starts at the next line.
      if (skip > 0) bytes.erase(0, std::min(bytes.size(), bytes.find('\n') + 1));
      out = std::move(bytes);
    }
  }
  CloseHandle(file);
  return out;
}

// Written to a new file beside it and moved over it, so a failure leaves the
// old content whole.
bool Win32DataFile::Replace(const std::string& bytes) {
  if (Folder(true) != platform::FolderOpen::Opened) return false;
  const std::wstring temp = name_ + L".new";
  HANDLE file = nullptr;
  platform::FileOpen r = held_.OpenFile(temp, GENERIC_WRITE | DELETE, 0, platform::kNtCreate, file);
  // A name left over (or planted) goes first, when it is a plain file here.
  if (r == platform::FileOpen::Exists && held_.Remove(temp)) r = held_.OpenFile(temp, GENERIC_WRITE | DELETE, 0, platform::kNtCreate, file);
  if (r != platform::FileOpen::Opened) return false;
  const bool moved = WriteAll(file, bytes) && held_.MoveTo(file, name_);
  if (!moved) platform::DeleteOnClose(file);
  CloseHandle(file);
  return moved;
}

bool Win32DataFile::Clear() {
  const platform::FolderOpen folder = Folder(false);
  if (folder == platform::FolderOpen::Missing) return true;
  return folder == platform::FolderOpen::Opened && held_.Remove(name_);
}

std::wstring Win32DataFile::CheckedPath() {
  if (Folder(false) != platform::FolderOpen::Opened) return {};
  HANDLE file = nullptr;
  if (held_.OpenFile(name_, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, platform::kNtOpen, file) !=
      platform::FileOpen::Opened) {
    return {};
  }
  CloseHandle(file);
  // The folder cannot be renamed or replaced while it is held.
  return held_.path() + L"\\" + name_;
}

}  // namespace ordavi
