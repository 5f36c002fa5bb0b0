// The agent's folder as the cleaning weighs it, for unit tests: answers from
// its fields (whether the process is elevated, its user, the files' owners and
// access lists by path; a file not listed is not there). Nothing is logged.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "actions/agent_folder.h"

namespace ordavi::testing {

class FakeFolderSecurity : public FolderSecuritySystem {
 public:
  bool RunsElevated() override { return elevated; }
  std::string OwnUserSid() override { return ownUser; }
  std::optional<SecurityFacts> ReadSecurity(const std::string& path) override {
    const auto it = files.find(path);
    if (it == files.end()) return std::nullopt;
    return it->second;
  }

  bool elevated = true;
  std::string ownUser = "S-1-5-21-1-2-3-1001";
  std::map<std::string, SecurityFacts> files;  // none: nothing to weigh, so the folder counts as safe
};

}  // namespace ordavi::testing
