// Emptying the temporary-file folders, the heart of junk cleaning. The agent
// usually runs with administrator rights while the folders' names come from
// the environment and their contents from anyone who can write there, so
// every step is checked where it cannot be changed afterwards:
//   - a folder is cleaned only when its full path ends in a component named
//     Temp or Tmp, is not a drive's root and does not hold the agent;
//   - the folder is opened once and held; through that handle the system
//     confirms that the place it opened is exactly that path, so neither it
//     nor any folder above it is a link;
//   - every entry is listed and opened through its folder's handle, without
//     following a link, and is judged and deleted through that same handle;
//     a name is never looked up again from the top;
//   - a link (junction, symbolic link, any reparse point) is left alone, and
//     so is an entry whose handle turns out to lie somewhere else than where
//     it was listed.
// Paths and names are UTF-8 here; the adapter converts at its edge.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ordavi {

// Why a folder is not cleaned, judged on its full path alone.
enum class TempPathVerdict { Clean, NotFullLocalPath, DriveRoot, NotTempName, HoldsAgent, NotOwnFolder };

// `fullPath` as the system's full-path call returns it (X:\a\b, no trailing
// separator needed); `agentDir` the agent's folder in the same form.
TempPathVerdict JudgeTempFolderPath(const std::string& fullPath, const std::string& agentDir);

// What opening an entry without following a link found, through the handle.
enum class EntryKind {
  File,
  Folder,
  Link,       // a reparse point: junction, symbolic link, mount point...
  Elsewhere,  // the handle's real place is not <folder>\<name>: a link was followed or the entry moved
  InUse,      // the system refuses to open it for deletion (sharing)
  Gone,       // vanished or cannot be opened: nothing to do
};

struct OpenedEntry {
  EntryKind kind = EntryKind::Gone;
  std::uint64_t id = 0;  // valid unless InUse or Gone; a Folder's id can be listed and opened in
};

enum class FolderOpen { Opened, Missing, Linked, Unreadable };

struct OpenedFolder {
  FolderOpen status = FolderOpen::Unreadable;
  std::uint64_t id = 0;  // valid when Opened
};

// Port: the file system as the cleaning sees it.
class TempFolderSystem {
 public:
  virtual ~TempFolderSystem() = default;
  // The environment variable's value; nullopt when it is not set.
  virtual std::optional<std::string> Environment(const std::string& name) = 0;
  // The full form of a path ("." and ".." resolved, "/" turned into "\",
  // short names made long), without a trailing separator; empty when there
  // is none.
  virtual std::string FullPath(const std::string& path) = 0;
  // The agent's own folder in the same form.
  virtual std::string AgentFolder() = 0;
  // Where an elevated agent's temporary folders may lie: its own user's
  // profile folder and the Windows directory's Temp, as the system names them
  // (not the environment), in the same form. Not the whole Windows
  // directory: the system profile and the service profiles lie inside it.
  virtual std::vector<std::string> OwnFolders() = 0;
  // Opens the folder without following a link and holds it so that it cannot
  // be renamed or replaced while held; Linked when the place the handle
  // really refers to is not `fullPath` or the folder is a reparse point.
  virtual OpenedFolder OpenFolder(const std::string& fullPath) = 0;
  // The names in an opened folder, without "." and ".."; nullopt when it
  // cannot be read.
  virtual std::optional<std::vector<std::string>> List(std::uint64_t folder) = 0;
  // Opens `name` relative to the opened folder's handle, without following a
  // link, and tells through that handle what it is.
  virtual OpenedEntry Open(std::uint64_t folder, const std::string& name) = 0;
  // Deletes an opened entry through its handle (a folder only when empty).
  // False when the system refuses, for example because it is in use.
  virtual bool Delete(std::uint64_t entry) = 0;
  virtual void Close(std::uint64_t id) = 0;
};

struct CleaningTotals {
  int files = 0;    // files removed directly inside a temporary folder
  int folders = 0;  // folders removed directly inside a temporary folder, with all they held
  int kept = 0;     // entries that stayed: the system refused (in use), or a folder holds a link
};

// The folders cleaned, in this order, each at most once: TEMP, TMP,
// LOCALAPPDATA\Temp, USERPROFILE\Local Settings\Temp, SystemRoot\Temp.
// Appends the log lines (CRLF) to `log`: each folder with what was removed,
// kept or left alone and why. An `elevated` agent cleans only folders inside
// OwnFolders(): TEMP set through the user's settings could otherwise name
// another user's temporary folder, or the system profile's.
CleaningTotals CleanTempFolders(TempFolderSystem& fs, std::string& log, bool elevated = false);

// Deepest folder level the cleaning enters; anything deeper is left alone.
inline constexpr int kMaxCleaningDepth = 64;

}  // namespace ordavi
