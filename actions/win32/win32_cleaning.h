// Win32 adapters of junk cleaning: the temporary folders opened, listed,
// judged and deleted through handles (never by a name looked up again), and
// the owner and access list of the agent's folder and files.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "actions/agent_folder.h"
#include "actions/temp_cleaning.h"

namespace ordavi {

class Win32TempFolderSystem : public TempFolderSystem {
 public:
  ~Win32TempFolderSystem() override;
  std::optional<std::string> Environment(const std::string& name) override;
  std::string FullPath(const std::string& path) override;
  std::string AgentFolder() override;
  // GetUserProfileDirectoryW of the process token; GetWindowsDirectoryW.
  std::string OwnProfileFolder() override;
  std::string WindowsFolder() override;
  OpenedFolder OpenFolder(const std::string& fullPath) override;
  std::optional<std::vector<std::string>> List(std::uint64_t folder) override;
  OpenedEntry Open(std::uint64_t folder, const std::string& name) override;
  bool Delete(std::uint64_t entry) override;
  void Close(std::uint64_t id) override;

  // Tests only: called with the folder's full path after each listing and
  // before any of its entries is opened, to change the folder in between as
  // a racing user would.
  std::function<void(const std::string& folder)> afterListing;

 private:
  struct Held {
    HANDLE handle;
    std::wstring path;  // where the system says the handle lies, without \\?\ prefix
  };
  std::uint64_t Keep(HANDLE h, std::wstring path);
  std::map<std::uint64_t, Held> held_;
  std::uint64_t next_ = 1;
};

class Win32FolderSecuritySystem : public FolderSecuritySystem {
 public:
  bool RunsElevated() override;
  std::string OwnUserSid() override;
  std::optional<SecurityFacts> ReadSecurity(const std::string& path) override;
};

// The owner and access list of a security descriptor, as OpenToOthers weighs
// them.
SecurityFacts SecurityFactsOf(PSECURITY_DESCRIPTOR descriptor);

}  // namespace ordavi
