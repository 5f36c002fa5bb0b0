#include "actions/win32/win32_cleaning.h"

#include <sddl.h>
#include <aclapi.h>
#include <winternl.h>

#include <vector>

#include "store/win32/gbk_text.h"
#include "ui/win32/system_library.h"

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

bool SamePath(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

// Where the system says an open handle lies, as X:\..., or empty when that is
// no plain drive path (a network share, a volume without a letter).
std::wstring RealPathOf(HANDLE h) {
  std::vector<wchar_t> buf(1024);
  for (;;) {
    const DWORD n = GetFinalPathNameByHandleW(h, buf.data(), static_cast<DWORD>(buf.size()), VOLUME_NAME_DOS);
    if (n == 0) return {};
    if (n < buf.size()) {
      std::wstring p(buf.data(), n);
      if (p.compare(0, 4, L"\\\\?\\") == 0) p.erase(0, 4);
      if (p.size() < 3 || p[1] != L':' || p[2] != L'\\') return {};
      return p;
    }
    buf.resize(n + 1);
  }
}

// NtCreateFile, looked up in ntdll, for opening a name relative to the
// handle of the folder that holds it.
using NtCreateFileFn = LONG(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK, PLARGE_INTEGER, ULONG,
                                    ULONG, ULONG, ULONG, PVOID, ULONG);
NtCreateFileFn NtCreateFileProc() {
  static const auto fn = reinterpret_cast<NtCreateFileFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtCreateFile")));
  return fn;
}

constexpr ULONG kFileOpen = 1;                        // FILE_OPEN
constexpr ULONG kSynchronousIo = 0x00000020;          // FILE_SYNCHRONOUS_IO_NONALERT
constexpr ULONG kOpenForBackup = 0x00004000;          // FILE_OPEN_FOR_BACKUP_INTENT
constexpr ULONG kOpenReparsePoint = 0x00200000;       // FILE_OPEN_REPARSE_POINT: the link itself, not its target
constexpr LONG kSharingViolation = static_cast<LONG>(0xC0000043);
constexpr LONG kAccessDenied = static_cast<LONG>(0xC0000022);

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

std::string Win32TempFolderSystem::OwnProfileFolder() {
  // userenv names the profile of the token's user from the machine's list
  // of profiles; USERPROFILE is only what the environment says.
  using ProfileFn = BOOL(WINAPI*)(HANDLE, LPWSTR, LPDWORD);
  const auto profileOf = SystemProc<ProfileFn>("userenv.dll", "GetUserProfileDirectoryW");
  HANDLE token = nullptr;
  if (!profileOf || !OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
  std::vector<wchar_t> dir(32768);
  DWORD size = static_cast<DWORD>(dir.size());
  const BOOL ok = profileOf(token, dir.data(), &size);
  CloseHandle(token);
  return ok ? Utf8(dir.data()) : std::string();
}

std::string Win32TempFolderSystem::WindowsFolder() {
  wchar_t dir[MAX_PATH];
  const UINT n = GetWindowsDirectoryW(dir, MAX_PATH);
  return n == 0 || n >= MAX_PATH ? std::string() : Utf8(std::wstring(dir, n));
}

OpenedFolder Win32TempFolderSystem::OpenFolder(const std::string& fullPath) {
  const std::wstring path = Utf16(fullPath);
  // Every folder on the way, the drive's root excepted, must be no link as the
  // file system lists it (Wine shows its Unix symbolic links this way).
  for (std::size_t i = 3; i <= path.size(); ++i) {
    if (i != path.size() && path[i] != L'\\') continue;
    const DWORD a = GetFileAttributesW(path.substr(0, i).c_str());
    if (a == INVALID_FILE_ATTRIBUTES) return {FolderOpen::Missing, 0};
    if (a & FILE_ATTRIBUTE_REPARSE_POINT) return {FolderOpen::Linked, 0};
  }
  // Held without FILE_SHARE_DELETE: while the cleaning runs nobody can rename
  // or delete the folder, so it cannot be swapped for another one.
  const HANDLE h = CreateFileW(path.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD e = GetLastError();
    return {e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND ? FolderOpen::Missing : FolderOpen::Unreadable, 0};
  }
  BY_HANDLE_FILE_INFORMATION info{};
  const std::wstring real = RealPathOf(h);
  // The handle itself must be a plain folder, and the place it really lies
  // must be the path asked for: had the folder or any folder above it been a
  // link, the system would name the link's target here.
  if (!GetFileInformationByHandle(h, &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
      !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || real.empty() || !SamePath(real, path)) {
    CloseHandle(h);
    return {FolderOpen::Linked, 0};
  }
  return {FolderOpen::Opened, Keep(h, real)};
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
  const auto create = NtCreateFileProc();
  const std::wstring w = Utf16(name);
  if (it == held_.end() || !create || w.empty() || w.find(L'\\') != std::wstring::npos) return {};
  UNICODE_STRING objectName;
  objectName.Buffer = const_cast<PWSTR>(w.c_str());
  objectName.Length = static_cast<USHORT>(w.size() * sizeof(wchar_t));
  objectName.MaximumLength = objectName.Length;
  OBJECT_ATTRIBUTES attributes;
  InitializeObjectAttributes(&attributes, &objectName, OBJ_CASE_INSENSITIVE, it->second.handle, nullptr);
  IO_STATUS_BLOCK io{};
  HANDLE h = nullptr;
  // Relative to the folder's handle, so no folder above can be swapped in
  // between; the link itself, never what it points to.
  const LONG status = create(&h, DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES | FILE_LIST_DIRECTORY | SYNCHRONIZE,
                             &attributes, &io, nullptr, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             kFileOpen, kSynchronousIo | kOpenForBackup | kOpenReparsePoint, nullptr, 0);
  if (status == kSharingViolation || status == kAccessDenied) return {EntryKind::InUse, 0};
  if (status < 0) return {};
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

bool Win32FolderSecuritySystem::RunsElevated() {
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID admins = nullptr;
  if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                &admins)) {
    return false;
  }
  // Unlike a look at the token's groups, this counts the group only where it
  // is enabled: not in the filtered token of an administrator without UAC's
  // elevation.
  BOOL member = FALSE;
  const BOOL ok = CheckTokenMembership(nullptr, admins, &member);
  FreeSid(admins);
  return ok && member;
}

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
  if (GetFileAttributesW(w.c_str()) == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetNamedSecurityInfoW(w.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                            nullptr, nullptr, nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
    SecurityFacts unknown;
    unknown.hasDacl = false;  // unreadable counts as open
    return unknown;
  }
  SecurityFacts facts = SecurityFactsOf(descriptor);
  LocalFree(descriptor);
  return facts;
}

}  // namespace ordavi
