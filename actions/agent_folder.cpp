#include "actions/agent_folder.h"

#include "store/text.h"

namespace ordavi {

namespace {

bool AlwaysTrusted(const std::string& sid, const std::string& ownUser) {
  static const char* const kTrusted[] = {
      "S-1-5-32-544",  // Administrators
      "S-1-5-18",      // SYSTEM
      "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464",  // TrustedInstaller
  };
  for (const char* t : kTrusted) {
    if (sid == t) return true;
  }
  return !ownUser.empty() && sid == ownUser;
}

}  // namespace

bool OpenToOthers(const SecurityFacts& facts, const std::string& ownUser, std::uint32_t rights) {
  if (!facts.hasDacl) return true;
  const bool ownerTrusted = AlwaysTrusted(facts.owner, ownUser);
  if (!ownerTrusted) return true;
  for (const AccessRule& r : facts.rules) {
    if (!r.allow || r.inheritOnly || (r.mask & rights) == 0) continue;
    if (r.sid == "S-1-3-4") continue;  // OWNER RIGHTS: the owner, trusted above
    if (!AlwaysTrusted(r.sid, ownUser)) return true;
  }
  return false;
}

bool AgentFolderOpenToOthers(FolderSecuritySystem& system, const std::string& exePath) {
  const PathParts parts = SplitPath(exePath);
  const std::string own = system.OwnUserSid();
  const std::string folder = parts.dir.size() > 3 && parts.dir.back() == '\\'
                                 ? parts.dir.substr(0, parts.dir.size() - 1)
                                 : parts.dir;
  for (const std::string& path : {folder, exePath, parts.dir + "QLLJ.bat", parts.dir + "Ordavi.CHM"}) {
    const auto facts = system.ReadSecurity(path);
    if (facts && OpenToOthers(*facts, own)) return true;
  }
  // The folders above, nearest first, up to the drive's root, which is
  // weighed too (on a share, up to the share; a server is no folder).
  std::string above = parts.dir.size() > 3 ? SplitPath(folder).dir : std::string();
  while (above.size() >= 3) {
    const bool root = above.size() == 3;
    if (!root) above.pop_back();
    const auto facts = system.ReadSecurity(above);
    if (facts && OpenToOthers(*facts, own, kRenameAwayRights)) return true;
    if (root) break;
    above = SplitPath(above).dir;
  }
  return false;
}

}  // namespace ordavi
