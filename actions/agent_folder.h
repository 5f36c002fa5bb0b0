// Whether the folder the agent runs from, and the files in it that it runs or
// opens, can be changed by someone other than the administrators, the system
// and the user the agent runs as. An agent with administrator rights that
// runs, opens or writes files there would let any such user act with those
// rights (replace QLLJ.bat or the help file, plant a DLL, plant a link under
// the name of the next cleaning log).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ordavi {

// One entry of an access list, as the adapter read it.
struct AccessRule {
  std::string sid;  // "S-1-5-32-545"
  bool allow = true;
  std::uint32_t mask = 0;
  bool inheritOnly = false;  // applies to what is created below, not to this object
};

struct SecurityFacts {
  std::string owner;      // the owner's SID; the owner may always change the access list
  bool hasDacl = true;    // no access list at all (FAT drives): everyone may do everything
  std::vector<AccessRule> rules;
};

// Rights that let someone change what the agent finds: write or append data
// (in a folder: add a file or a subfolder), delete, delete what a folder
// holds, change the access list or the owner, and the generic forms.
inline constexpr std::uint32_t kChangeRights =
    0x2u | 0x4u | 0x40u | 0x10000u | 0x40000u | 0x80000u | 0x40000000u | 0x10000000u;

// Rights on a folder above the agent's that let someone put another folder in
// the agent's folder's place: rename or delete the folder itself, rename or
// delete what it holds, change its access list or owner, and GENERIC_ALL.
// Adding a file or a subfolder (every user may, in a drive's root) is not
// among them: the name on the way is taken.
inline constexpr std::uint32_t kRenameAwayRights = 0x40u | 0x10000u | 0x40000u | 0x80000u | 0x10000000u;

// True when anyone but Administrators, SYSTEM, TrustedInstaller and `ownUser`
// owns the object or is allowed any of `rights` on it. Rules that deny are
// not weighed (an allow elsewhere may still reach a member), so the answer
// errs towards "open".
bool OpenToOthers(const SecurityFacts& facts, const std::string& ownUser, std::uint32_t rights = kChangeRights);

// Port: the facts the judgement needs.
class FolderSecuritySystem {
 public:
  virtual ~FolderSecuritySystem() = default;
  // Whether the process holds administrator rights now (elevated).
  virtual bool RunsElevated() = 0;
  // The SID of the user the process runs as.
  virtual std::string OwnUserSid() = 0;
  // The owner and access list of a file or folder; nullopt when it does not
  // exist. When it exists but cannot be read, facts without a list.
  virtual std::optional<SecurityFacts> ReadSecurity(const std::string& path) = 0;
};

// The folder of `exePath`, the executable itself, QLLJ.bat and Ordavi.CHM
// beside it (those that exist): true when any of them is open to others;
// also when a folder above it, up to the volume's root, lets others rename
// it away (kRenameAwayRights), whereupon another folder of their own could
// take the agent folder's path, which the Run value and the Start menu name.
bool AgentFolderOpenToOthers(FolderSecuritySystem& system, const std::string& exePath);

// Said once at start, and when the user asks for a cleaning from the menu,
// while the agent runs with administrator rights from such a folder.
inline constexpr const char* kOpenFolderNotice =
    "程序文件夹他人可改，已停用清理，请移到Program Files";

}  // namespace ordavi
