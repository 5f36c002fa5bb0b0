#include "actions/win32/win32_cleaning.h"

#include <sddl.h>
#include <shlobj.h>
#include <aclapi.h>
#include <winternl.h>

#include <vector>

#include "store/win32/gbk_text.h"
#include "platform/win32/administrators.h"
#include "platform/win32/held_folder.h"

namespace ordavi {

namespace {

std::wstring Wide(const std::string& text, UINT codePage) {
  if (text.empty()) return {};
  const int n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring w(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &w[0], n);
  return w;
}

std::string Narrow(const std::wstring& text, UINT codePage) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), &s[0], n, nullptr, nullptr);
  return s;
}

std::wstring Utf16(const std::string& utf8) { return Wide(utf8, CP_UTF8); }
std::string Utf8(const std::wstring& w) { return Narrow(w, CP_UTF8); }

// FOLDERID_Profile.
constexpr GUID kProfileFolder = {0x5E6C858F, 0x0E22, 0x4760, {0x9A, 0xFE, 0xEA, 0x33, 0x17, 0xB6, 0x71, 0x73}};

using platform::RealPathOf;
using platform::SamePath;

}  // namespace

Win32TempFolderSystem::~Win32TempFolderSystem() {
  for (auto& h : held_) CloseHandle(h.second.handle);
}

std::uint64_t Win32TempFolderSystem::Keep(HANDLE h, std::wstring path) {
  held_[next_] = Held{h, std::move(path)};
  return next_++;
}

std::optional<std::string> Win32TempFolderSystem::Environment(const std::string& name) {
  const std::wstring w = Utf16(name);
  const DWORD n = GetEnvironmentVariableW(w.c_str(), nullptr, 0);
  if (n == 0) return std::nullopt;
  std::wstring value(n, L'\0');
  const DWORD got = GetEnvironmentVariableW(w.c_str(), &value[0], n);
  value.resize(got < n ? got : 0);
  return Utf8(value);
}

std::string Win32TempFolderSystem::FullPath(const std::string& path) {
  const std::wstring w = Utf16(path);
  if (w.empty()) return {};
  std::vector<wchar_t> full(32768);
  const DWORD n = GetFullPathNameW(w.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (n == 0 || n >= full.size()) return {};
  std::vector<wchar_t> longer(32768);
  const DWORD m = GetLongPathNameW(full.data(), longer.data(), static_cast<DWORD>(longer.size()));
  // A folder that does not exist keeps its full form; opening it will say so.
  return Utf8(m != 0 && m < longer.size() ? std::wstring(longer.data(), m) : std::wstring(full.data(), n));
}

std::string Win32TempFolderSystem::AgentFolder() {
  std::vector<wchar_t> exe(32768);
  const DWORD n = GetModuleFileNameW(nullptr, exe.data(), static_cast<DWORD>(exe.size()));
  std::wstring dir(exe.data(), n);
  dir.erase(dir.find_last_of(L'\\') == std::wstring::npos ? 0 : dir.find_last_of(L'\\'));
  return FullPath(Utf8(dir));
}

std::vector<std::string> Win32TempFolderSystem::OwnFolders() {
  std::vector<std::string> own;
  PWSTR profile = nullptr;
  if (SUCCEEDED(SHGetKnownFolderPath(kProfileFolder, 0, nullptr, &profile)) && profile) own.push_back(FullPath(Utf8(profile)));
  CoTaskMemFree(profile);
  wchar_t windows[MAX_PATH + 1] = {};
  const UINT n = GetWindowsDirectoryW(windows, MAX_PATH);
  if (n > 0 && n <= MAX_PATH) own.push_back(FullPath(Utf8(std::wstring(windows, n))) + "\\Temp");
  return own;
}

OpenedFolder Win32TempFolderSystem::OpenFolder(const std::string& fullPath) {
  // Held without FILE_SHARE_DELETE: while the cleaning runs nobody can rename
  // or delete the folder, so it cannot be swapped for another one.
  platform::HeldFolder folder;
  switch (folder.Open(Utf16(fullPath), false)) {
    case platform::FolderOpen::Opened: break;
    case platform::FolderOpen::Missing: return {FolderOpen::Missing, 0};
    case platform::FolderOpen::Linked: return {FolderOpen::Linked, 0};
    case platform::FolderOpen::Failed: return {FolderOpen::Unreadable, 0};
  }
  const std::wstring real = folder.path();
  return {FolderOpen::Opened, Keep(folder.Release(), real)};
}

std::optional<std::vector<std::string>> Win32TempFolderSystem::List(std::uint64_t folder) {
  const auto it = held_.find(folder);
  if (it == held_.end()) return std::nullopt;
  std::vector<std::string> names;
  std::vector<LONGLONG> buffer(64 * 1024 / sizeof(LONGLONG));  // 8-byte aligned records
  FILE_INFO_BY_HANDLE_CLASS cls = FileIdBothDirectoryRestartInfo;
  for (;;) {
    if (!GetFileInformationByHandleEx(it->second.handle, cls, buffer.data(),
                                      static_cast<DWORD>(buffer.size() * sizeof(LONGLONG)))) {
      if (GetLastError() == ERROR_NO_MORE_FILES) break;
      return std::nullopt;
    }
    cls = FileIdBothDirectoryInfo;
    const auto* bytes = reinterpret_cast<const char*>(buffer.data());
    for (;;) {
      const auto* e = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(bytes);
      const std::wstring name(e->FileName, e->FileNameLength / sizeof(wchar_t));
      if (name != L"." && name != L"..") names.push_back(Utf8(name));
      if (e->NextEntryOffset == 0) break;
      bytes += e->NextEntryOffset;
    }
  }
  if (afterListing) afterListing(Utf8(it->second.path));
  return names;
}

OpenedEntry Win32TempFolderSystem::Open(std::uint64_t folder, const std::string& name) {
  const auto it = held_.find(folder);
  const std::wstring w = Utf16(name);
  if (it == held_.end()) return {};
  HANDLE h = nullptr;
  // Relative to the folder's handle, so no folder above can be swapped in
  // between; the link itself, never what it points to.
  // FILE_COMPLETE_IF_OPLOCKED: a file under another program's oplock (any
  // user may hold one in C:\Windows\Temp) would hold this, the agent's only
  // thread, until that program lets go; it is left as in use instead.
  constexpr ULONG kNtCompleteIfOplocked = 0x00000100;
  constexpr LONG kNtOplockBreakInProgress = 0x00000108;
  const LONG status = platform::OpenRelative(
      it->second.handle, w, DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES | FILE_LIST_DIRECTORY,
      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, platform::kNtOpen, platform::kNtOpenForBackup | kNtCompleteIfOplocked,
      h);
  if (status == platform::kNtSharingViolation || status == platform::kNtAccessDenied) return {EntryKind::InUse, 0};
  if (status < 0) return {};
  if (status == kNtOplockBreakInProgress) {
    CloseHandle(h);
    return {EntryKind::InUse, 0};
  }
  const std::wstring expected = it->second.path + L"\\" + w;
  BY_HANDLE_FILE_INFORMATION info{};
  EntryKind kind = EntryKind::Gone;
  if (!GetFileInformationByHandle(h, &info)) {
    kind = EntryKind::Gone;
  } else if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    kind = EntryKind::Link;
  } else {
    // Through the same handle: is it where it was listed? Where the system
    // followed a link anyway (Wine does so for its Unix symbolic links), or
    // the entry was replaced by a link to elsewhere, the handle lies there.
    const std::wstring real = RealPathOf(h);
    if (real.empty() || !SamePath(real, expected)) {
      kind = EntryKind::Elsewhere;
    } else {
      kind = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? EntryKind::Folder : EntryKind::File;
    }
  }
  if (kind == EntryKind::Gone) {
    CloseHandle(h);
    return {};
  }
  return {kind, Keep(h, expected)};
}

bool Win32TempFolderSystem::Delete(std::uint64_t entry) {
  const auto it = held_.find(entry);
  if (it == held_.end()) return false;
  const HANDLE h = it->second.handle;
  FILE_DISPOSITION_INFO dispose{TRUE};
  if (SetFileInformationByHandle(h, FileDispositionInfo, &dispose, sizeof dispose)) return true;
  // A read-only file is removed too (as "del /f" did): its attribute is
  // cleared through the same handle first. Not for a file with further
  // names (hard links): the attribute belongs to the file, which lives on
  // under its other names, perhaps outside.
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(h, &info) || !(info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) ||
      info.nNumberOfLinks > 1) {
    return false;
  }
  FILE_BASIC_INFO basic{};
  basic.FileAttributes = info.dwFileAttributes & ~FILE_ATTRIBUTE_READONLY;
  if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
  if (!SetFileInformationByHandle(h, FileBasicInfo, &basic, sizeof basic)) return false;
  return SetFileInformationByHandle(h, FileDispositionInfo, &dispose, sizeof dispose) != 0;
}

void Win32TempFolderSystem::Close(std::uint64_t id) {
  const auto it = held_.find(id);
  if (it == held_.end()) return;
  CloseHandle(it->second.handle);  // a deletion asked for takes effect now
  held_.erase(it);
}

// --- The agent's folder

// The group where it is enabled: not in the filtered token of an
// administrator without UAC's elevation.
bool Win32FolderSecuritySystem::RunsElevated() { return AdministratorsInForce(); }

namespace {
std::string SidText(PSID sid) {
  if (!sid) return {};
  LPSTR text = nullptr;
  if (!ConvertSidToStringSidA(sid, &text)) return {};
  std::string s = text;
  LocalFree(text);
  return s;
}
}  // namespace

std::string Win32FolderSecuritySystem::OwnUserSid() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
  std::vector<LONGLONG> buf(128);
  DWORD size = 0;
  const BOOL ok =
      GetTokenInformation(token, TokenUser, buf.data(), static_cast<DWORD>(buf.size() * sizeof(LONGLONG)), &size);
  CloseHandle(token);
  return ok ? SidText(reinterpret_cast<TOKEN_USER*>(buf.data())->User.Sid) : std::string();
}

SecurityFacts SecurityFactsOf(PSECURITY_DESCRIPTOR descriptor) {
  SecurityFacts facts;
  PSID owner = nullptr;
  BOOL ownerDefaulted = FALSE;
  if (GetSecurityDescriptorOwner(descriptor, &owner, &ownerDefaulted)) facts.owner = SidText(owner);
  BOOL present = FALSE, defaulted = FALSE;
  PACL dacl = nullptr;
  if (!GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted) || !present || !dacl) {
    facts.hasDacl = false;
    return facts;
  }
  for (DWORD i = 0; i < dacl->AceCount; ++i) {
    void* ace = nullptr;
    if (!GetAce(dacl, i, &ace)) continue;
    const auto* header = static_cast<ACE_HEADER*>(ace);
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE && header->AceType != ACCESS_DENIED_ACE_TYPE) continue;
    // Both kinds share the layout: header, mask, then the SID.
    auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
    AccessRule rule;
    rule.sid = SidText(reinterpret_cast<PSID>(&allowed->SidStart));
    rule.allow = header->AceType == ACCESS_ALLOWED_ACE_TYPE;
    rule.mask = allowed->Mask;
    rule.inheritOnly = (header->AceFlags & INHERIT_ONLY_ACE) != 0;
    facts.rules.push_back(rule);
  }
  return facts;
}

std::optional<SecurityFacts> Win32FolderSecuritySystem::ReadSecurity(const std::string& path) {
  const std::wstring w = WideFromGbk(path);
  const DWORD attributes = GetFileAttributesW(w.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  SecurityFacts unknown;
  unknown.hasDacl = false;  // unreadable counts as open
  // The entry itself, never what a link there points to: a junction or a
  // symbolic link in the agent's place makes whoever controls the link's
  // target the agent's, whatever the target's rights say.
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return unknown;
  const HANDLE h = CreateFileW(w.c_str(), READ_CONTROL, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                               nullptr);
  if (h == INVALID_HANDLE_VALUE) return unknown;
  BY_HANDLE_FILE_INFORMATION info{};
  // Where the system followed a link anyway (Wine does so for its Unix
  // links), the handle lies elsewhere than the path asked for.
  wchar_t longPath[MAX_PATH * 2];
  const DWORD n = GetLongPathNameW(w.c_str(), longPath, MAX_PATH * 2);
  const std::wstring asked = n > 0 && n < MAX_PATH * 2 ? std::wstring(longPath, n) : w;
  const std::wstring real = RealPathOf(h);
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  const bool itself = GetFileInformationByHandle(h, &info) && !(info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
                      (real.empty() || SamePath(real, asked));
  const bool read = itself && GetSecurityInfo(h, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                              nullptr, nullptr, nullptr, nullptr, &descriptor) == ERROR_SUCCESS;
  CloseHandle(h);
  if (!read) return unknown;
  SecurityFacts facts = SecurityFactsOf(descriptor);
  LocalFree(descriptor);
  return facts;
}

}  // namespace ordavi
