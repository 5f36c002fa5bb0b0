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

// Whether `dir` (ending in a backslash) is a volume's root: D:\ or
// \\server\share\.
bool IsVolumeRoot(const std::string& dir) {
  if (dir.size() <= 3) return true;
  if (dir.rfind("\\\\", 0) != 0) return false;
  const std::string server = SplitPath(dir.substr(0, dir.size() - 1)).dir;  // "\\server\" part
  return server.size() > 3 && SplitPath(server.substr(2, server.size() - 3)).dir.empty();
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
  // The folders above, nearest first, up to the volume's root, which is
  // weighed too.
  std::string above = parts.dir.size() > 3 ? SplitPath(folder).dir : std::string();
  while (!above.empty()) {
    const bool root = IsVolumeRoot(above);
    const std::string path = root ? above : above.substr(0, above.size() - 1);
    const auto facts = system.ReadSecurity(path);
    if (facts && OpenToOthers(*facts, own, kRenameAwayRights)) return true;
    if (root) break;
    above = SplitPath(path).dir;
  }
  return false;
}

}  // namespace ordavi
