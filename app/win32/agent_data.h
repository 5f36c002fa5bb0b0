// The agent's own data files (the run history, the last pass) in the user's
// local application data, folder "Ordavi": written with the W functions,
// never in the program's registry key, so the agent can always write them,
// with or without administrator rights. And the UTC clock.
#pragma once

#include <windows.h>

#include <string>

#include "app/data_file.h"
#include "schedule/missed_runs.h"

namespace ordavi {

// "%LOCALAPPDATA%\Ordavi\" (SHGetFolderPathW's local application data where
// the variable is missing); empty when neither gives a folder.
std::wstring AgentDataFolder();

// A file of the agent's data folder. The folder is created on the first
// write. An elevated agent writes where the user's other programs can write,
// so a file or folder that is a link (a reparse point, a second hard link)
// is refused rather than followed.
class Win32DataFile : public DataFile {
 public:
  // `name` is ASCII, a file name of the data folder.
  explicit Win32DataFile(const char* name);
  std::optional<std::uint64_t> Size() override;
  bool Append(const std::string& bytes) override;
  std::optional<std::string> ReadAll() override;
  bool Replace(const std::string& bytes) override;
  bool Clear() override;

  const std::wstring& path() const { return path_; }

 private:
  bool FolderUsable();
  std::wstring folder_, path_;
};

// GetSystemTimeAsFileTime in whole minutes since 1970.
class Win32UtcClock : public UtcClock {
 public:
  long long UtcMinute() override;
};

}  // namespace ordavi
