// The agent's own data files (the run history, the last pass) in the user's
// local application data, folder "Ordavi": written with the W functions,
// never in the program's registry key, so the agent can always write them,
// with or without administrator rights.
#pragma once

#include <windows.h>

#include <string>

#include "app/data_file.h"
#include "schedule/missed_runs.h"
#include "platform/win32/held_folder.h"

namespace ordavi {

// "<local application data>\Ordavi\", the user's known folder (not the
// LOCALAPPDATA variable); empty when the system gives no such folder.
std::wstring AgentDataFolder();

// A file of the agent's data folder. The folder is created on the first
// write, and once opened it is held for the object's life (platform::HeldFolder):
// an elevated agent writes where the user's other programs can write, so the
// file is read, appended, replaced and removed only relative to that handle,
// and a folder or file that is a link (a reparse point, a second hard link,
// a name the system followed elsewhere) is refused rather than followed.
// Read: at most the newest kDataFileReadLimit bytes, from a line's start.
class Win32DataFile : public DataFile {
 public:
  // `name` is ASCII, a file name of the data folder.
  // `folder` ends with '\\'; the agent's data folder unless a test names another.
  explicit Win32DataFile(const char* name, std::wstring folder = AgentDataFolder());
  std::optional<std::uint64_t> Size() override;
  bool Append(const std::string& bytes) override;
  std::optional<std::string> ReadAll() override;
  bool Replace(const std::string& bytes) override;
  bool Clear() override;

  const std::wstring& path() const { return path_; }
  // The file's path for a program that opens it by path (Notepad), only
  // when the held folder is not refused and the file is a plain file at
  // <folder>\<name> (no link, one name) just now: the folder's path as the
  // system gives it for the held handle, and the name. Empty otherwise.
  std::wstring CheckedPath();

 private:
  platform::FolderOpen Folder(bool create);
  std::wstring folder_, name_, path_;
  platform::HeldFolder held_;
};

inline constexpr std::uint64_t kDataFileReadLimit = 2ull * 1024 * 1024;

}  // namespace ordavi
