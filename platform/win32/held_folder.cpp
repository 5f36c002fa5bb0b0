#include "platform/win32/held_folder.h"

#include <winternl.h>

#include <algorithm>

namespace ordavi::platform {

namespace {

// ntdll's functions, looked up at run time (the import library is not linked).
template <typename Fn>
Fn NtProc(const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), name)));
}
using NtCreateFileFn = LONG(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK, PLARGE_INTEGER, ULONG,
                                    ULONG, ULONG, ULONG, PVOID, ULONG);
using NtSetInformationFileFn = LONG(NTAPI*)(HANDLE, PIO_STATUS_BLOCK, PVOID, ULONG, ULONG);

constexpr ULONG kSynchronousIo = 0x00000020;     // FILE_SYNCHRONOUS_IO_NONALERT
constexpr ULONG kOpenReparsePoint = 0x00200000;  // FILE_OPEN_REPARSE_POINT: the link itself, not its target
constexpr ULONG kFileRenameInformation = 10;

std::wstring Child(const std::wstring& folder, const std::wstring& name) {
  return folder.empty() || folder.back() == L'\\' ? folder + name : folder + L"\\" + name;
}

bool OneComponent(const std::wstring& name) {
  return !name.empty() && name != L"." && name != L".." && name.find_first_of(L"\\/:") == std::wstring::npos;
}

}  // namespace

std::wstring RealPathOf(HANDLE h) {
  std::wstring p(1024, L'\0');
  for (;;) {
    const DWORD n = GetFinalPathNameByHandleW(h, &p[0], static_cast<DWORD>(p.size()), VOLUME_NAME_DOS);
    if (n == 0) return {};
    if (n < p.size()) {
      p.resize(n);
      if (p.compare(0, 4, L"\\\\?\\") == 0) p.erase(0, 4);
      if (p.size() < 3 || p[1] != L':' || p[2] != L'\\') return {};
      return p;
    }
    p.resize(n + 1);
  }
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

LONG OpenRelative(HANDLE folder, const std::wstring& name, ACCESS_MASK access, ULONG share, ULONG disposition,
                  ULONG options, HANDLE& out) {
  static const auto create = NtProc<NtCreateFileFn>("NtCreateFile");
  out = nullptr;
  if (!create || !folder || !OneComponent(name)) return kNtNameNotFound;
  UNICODE_STRING objectName;
  objectName.Buffer = const_cast<PWSTR>(name.c_str());
  objectName.Length = static_cast<USHORT>(name.size() * sizeof(wchar_t));
  objectName.MaximumLength = objectName.Length;
  OBJECT_ATTRIBUTES attributes;
  InitializeObjectAttributes(&attributes, &objectName, OBJ_CASE_INSENSITIVE, folder, nullptr);
  IO_STATUS_BLOCK io{};
  HANDLE h = nullptr;
  const LONG status = create(&h, access | SYNCHRONIZE, &attributes, &io, nullptr, FILE_ATTRIBUTE_NORMAL, share,
                             disposition, options | kSynchronousIo | kOpenReparsePoint, nullptr, 0);
  if (status >= 0) out = h;
  return status;
}

HeldFolder::~HeldFolder() {
  if (handle_) CloseHandle(handle_);
}

HANDLE HeldFolder::Release() {
  const HANDLE h = handle_;
  handle_ = nullptr;
  path_.clear();
  return h;
}

FolderOpen HeldFolder::Open(const std::wstring& given, bool create) {
  if (handle_) CloseHandle(Release());
  linked_.clear();
  std::wstring path = given;
  while (path.size() > 3 && path.back() == L'\\') path.pop_back();
  if (path.size() < 3 || path[1] != L':' || path[2] != L'\\' || path.find(L'/') != std::wstring::npos) {
    return FolderOpen::Failed;
  }
  // Every folder on the way, the drive's root excepted, must be no link as
  // the file system lists it (Wine shows its Unix symbolic links this way).
  for (std::size_t i = 3; i <= path.size(); ++i) {
    if (i != path.size() && path[i] != L'\\') continue;
    DWORD a = GetFileAttributesW(path.substr(0, i).c_str());
    if (a == INVALID_FILE_ATTRIBUTES && create && i == path.size()) {
      // Made inside its parent, held and checked as this folder is.
      const std::size_t cut = path.find_last_of(L'\\');
      HeldFolder parent;
      const FolderOpen p = parent.Open(path.substr(0, cut), false);
      linked_ = parent.linked_;
      if (p != FolderOpen::Opened) return p;
      HANDLE made = nullptr;
      const LONG s = OpenRelative(parent.handle(), path.substr(cut + 1), FILE_LIST_DIRECTORY,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, kNtCreate, kNtDirectoryFile, made);
      if (s >= 0) CloseHandle(made);
      a = GetFileAttributesW(path.c_str());
    }
    if (a == INVALID_FILE_ATTRIBUTES) return FolderOpen::Missing;
    if (a & FILE_ATTRIBUTE_REPARSE_POINT) {
      linked_ = path.substr(0, i);
      return FolderOpen::Linked;
    }
  }
  const HANDLE h = CreateFileW(path.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD e = GetLastError();
    return e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND ? FolderOpen::Missing : FolderOpen::Failed;
  }
  path_ = PlainFolderAt(h, path);
  if (path_.empty()) {
    CloseHandle(h);
    linked_ = path;
    return FolderOpen::Linked;
  }
  handle_ = h;
  return FolderOpen::Opened;
}

std::wstring PlainFolderAt(HANDLE h, const std::wstring& path) {
  BY_HANDLE_FILE_INFORMATION info{};
  const std::wstring real = RealPathOf(h);
  // The handle itself must be a plain folder, and the place it really lies
  // must be the path asked for: had the folder or any folder above it been
  // swapped for a link after the walk, the system would name the target.
  if (!GetFileInformationByHandle(h, &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
      !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || real.empty() || !SamePath(real, path)) {
    return {};
  }
  return real;
}

FileOpen HeldFolder::OpenFile(const std::wstring& name, ACCESS_MASK access, ULONG share, ULONG disposition,
                              HANDLE& out) const {
  out = nullptr;
  if (!handle_) return FileOpen::Failed;
  HANDLE h = nullptr;
  const LONG s = OpenRelative(handle_, name, access | FILE_READ_ATTRIBUTES, share, disposition, kNtNonDirectoryFile, h);
  if (s == kNtNameNotFound || s == kNtPathNotFound) return FileOpen::Missing;
  if (s == kNtNameCollision) return FileOpen::Exists;
  if (s == kNtSharingViolation) return FileOpen::InUse;
  if (s < 0) return FileOpen::Failed;
  BY_HANDLE_FILE_INFORMATION info{};
  const std::wstring real = RealPathOf(h);
  if (!GetFileInformationByHandle(h, &info)) {
    CloseHandle(h);
    return FileOpen::Failed;
  }
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) || info.nNumberOfLinks > 1 || real.empty() ||
      !SamePath(real, Child(path_, name))) {
    CloseHandle(h);
    return FileOpen::Linked;
  }
  out = h;
  return FileOpen::Opened;
}

bool HeldFolder::MoveTo(HANDLE file, const std::wstring& name) const {
  static const auto set = NtProc<NtSetInformationFileFn>("NtSetInformationFile");
  if (!handle_ || !set || !OneComponent(name)) return false;
  HANDLE there = nullptr;
  const FileOpen found = OpenFile(name, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, kNtOpen, there);
  if (found == FileOpen::Opened) CloseHandle(there);
  if (found != FileOpen::Opened && found != FileOpen::Missing) return false;
  // The new name relative to the held folder, never a path from the root;
  // one component is at most MAX_PATH characters.
  if (name.size() > MAX_PATH) return false;
  union {
    FILE_RENAME_INFO info;
    wchar_t room[sizeof(FILE_RENAME_INFO) / sizeof(wchar_t) + MAX_PATH];
  } rename{};
  rename.info.ReplaceIfExists = TRUE;
  rename.info.RootDirectory = handle_;
  rename.info.FileNameLength = static_cast<DWORD>(name.size() * sizeof(wchar_t));
  std::copy(name.begin(), name.end(), rename.info.FileName);
  IO_STATUS_BLOCK io{};
  return set(file, &io, &rename, sizeof rename, kFileRenameInformation) >= 0;
}

bool HeldFolder::Remove(const std::wstring& name) const {
  HANDLE h = nullptr;
  const FileOpen r = OpenFile(name, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, kNtOpen, h);
  if (r == FileOpen::Missing) return true;
  if (r != FileOpen::Opened) return false;
  const bool ok = DeleteOnClose(h);
  return CloseHandle(h) && ok;
}

bool DeleteOnClose(HANDLE file) {
  FILE_DISPOSITION_INFO dispose{TRUE};
  return SetFileInformationByHandle(file, FileDispositionInfo, &dispose, sizeof dispose) != 0;
}

}  // namespace ordavi::platform
