// Files in a folder that programs without administrator rights can change
// (the user's data folder, a folder the user picked, a temporary folder): the
// folder is opened once without following a link and held, and each of its
// files is opened, created, moved and deleted relative to that handle, so no
// name is looked up again from the drive's root after it was checked.
//
// FILE_OPEN_REPARSE_POINT keeps Windows from following a junction or symbolic
// link; Wine follows its Unix symbolic links all the same, so every open also
// asks the system where the handle really lies and refuses anything that is
// not exactly <folder>\<name>.
#pragma once

#include <windows.h>

#include <string>

namespace ordavi::platform {

// Where the system says an open handle lies, as X:\... (the \\?\ prefix
// dropped), or empty when that is no plain drive path.
std::wstring RealPathOf(HANDLE h);
// Two paths that name the same place, letters' case aside.
bool SamePath(const std::wstring& a, const std::wstring& b);

// NT dispositions for OpenRelative.
inline constexpr ULONG kNtOpen = 1;    // FILE_OPEN: only an existing entry
inline constexpr ULONG kNtCreate = 2;  // FILE_CREATE: only a new one, never through an existing name
// NT create options for OpenRelative.
inline constexpr ULONG kNtDirectoryFile = 0x00000001;     // FILE_DIRECTORY_FILE
inline constexpr ULONG kNtNonDirectoryFile = 0x00000040;  // FILE_NON_DIRECTORY_FILE
inline constexpr ULONG kNtOpenForBackup = 0x00004000;     // FILE_OPEN_FOR_BACKUP_INTENT
// NT status codes OpenRelative passes on.
inline constexpr LONG kNtNameNotFound = static_cast<LONG>(0xC0000034);
inline constexpr LONG kNtNameCollision = static_cast<LONG>(0xC0000035);
inline constexpr LONG kNtPathNotFound = static_cast<LONG>(0xC000003A);
inline constexpr LONG kNtSharingViolation = static_cast<LONG>(0xC0000043);
inline constexpr LONG kNtAccessDenied = static_cast<LONG>(0xC0000022);

// NtCreateFile of `name` (one component, no '\') relative to the open folder
// `folder`, for synchronous use, never following a reparse point. Returns the
// NT status; `out` is the handle when it is not negative.
LONG OpenRelative(HANDLE folder, const std::wstring& name, ACCESS_MASK access, ULONG share, ULONG disposition,
                  ULONG options, HANDLE& out);

enum class FolderOpen { Opened, Missing, Linked, Failed };
enum class FileOpen { Opened, Missing, Exists, Linked, InUse, Failed };

class HeldFolder {
 public:
  HeldFolder() = default;
  ~HeldFolder();
  HeldFolder(const HeldFolder&) = delete;
  HeldFolder& operator=(const HeldFolder&) = delete;

  // Opens `path`, a full X:\... path (a last '\' is dropped). Each folder on
  // the way, the drive's root excepted, must be no reparse point; the folder
  // is held without FILE_SHARE_DELETE, so nobody can rename or replace it (or
  // a folder above it) while it is held, and the place the system gives for
  // the handle must be `path` itself. With `create`, a missing last folder is
  // made inside its held parent first.
  FolderOpen Open(const std::wstring& path, bool create);
  bool IsOpen() const { return handle_ != nullptr; }
  HANDLE handle() const { return handle_; }
  // The folder's path as the system gives it for the handle.
  const std::wstring& path() const { return path_; }
  // After Open said Linked: the folder that is the link, the first on the
  // way the file system lists as a reparse point, or else the folder itself
  // (its handle lay elsewhere: it or a folder above it became a link after
  // the walk).
  const std::wstring& linked() const { return linked_; }
  // The handle, now the caller's to close; the folder is no longer held here.
  HANDLE Release();

  // A plain file of this folder: `disposition` kNtOpen (Missing when there is
  // none) or kNtCreate (Exists when the name is taken, by a file or a link).
  // Linked: the name is a reparse point, lies elsewhere than <folder>\<name>
  // (a link the system followed), or is one of several hard links, which
  // would carry a write to another name; the handle is then closed.
  FileOpen OpenFile(const std::wstring& name, ACCESS_MASK access, ULONG share, ULONG disposition, HANDLE& out) const;
  // Moves `file` (opened here with DELETE) to `name` in this folder, putting
  // it in place of the entry of that name; refused when that entry is a link
  // (a replacement takes the entry itself, never what a link points to, but a
  // link there is not ours).
  bool MoveTo(HANDLE file, const std::wstring& name) const;
  // Removes the entry of `name` when it is a plain file of this folder: true
  // when it is gone or was never there.
  bool Remove(const std::wstring& name) const;

 private:
  HANDLE handle_ = nullptr;
  std::wstring path_, linked_;
};

// The check of Open's handle after the walk: where the system says `h` lies
// (as RealPathOf gives it) when it is a plain folder (no reparse point)
// lying exactly at `path`, else empty.
std::wstring PlainFolderAt(HANDLE h, const std::wstring& path);

// Deletes the file through its handle (opened with DELETE); it goes when the
// handle is closed.
bool DeleteOnClose(HANDLE file);

}  // namespace ordavi::platform
