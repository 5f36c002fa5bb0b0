#include "actions/agent_folder.h"

#include <gtest/gtest.h>

#include "actions/testing/fake_folder_security.h"

namespace ordavi {
namespace {

const std::string kMe = "S-1-5-21-1-2-3-1001";
const std::string kAdmins = "S-1-5-32-544";
const std::string kSystem = "S-1-5-18";
const std::string kUsers = "S-1-5-32-545";
const std::string kAuthenticated = "S-1-5-11";
constexpr std::uint32_t kFullControl = 0x1F01FF;
constexpr std::uint32_t kReadExecute = 0x1200A9;
constexpr std::uint32_t kModify = 0x1301BF;

AccessRule Allow(const std::string& sid, std::uint32_t mask, bool inheritOnly = false) {
  return {sid, true, mask, inheritOnly};
}

TEST(OpenToOthers, OnlyAdministratorsSystemAndTheUserItselfMayChangeIt) {
  const std::vector<AccessRule> programFiles = {Allow(kSystem, kFullControl), Allow(kAdmins, kFullControl),
                                                Allow(kUsers, kReadExecute), Allow("S-1-3-0", 0x10000000, true)};
  const struct {
    const char* what;
    SecurityFacts facts;
    bool open;
  } cases[] = {
      {"Program Files", {kAdmins, true, programFiles}, false},
      {"the user's own folder", {kMe, true, {Allow(kMe, kFullControl), Allow(kSystem, kFullControl)}}, false},
      {"made in a drive's root: Authenticated Users may modify",
       {kAdmins, true, {Allow(kAdmins, kFullControl), Allow(kAuthenticated, kModify)}}, true},
      {"Users may add files", {kAdmins, true, {Allow(kUsers, kReadExecute | 0x2)}}, true},
      {"Users may delete what it holds", {kAdmins, true, {Allow(kUsers, 0x40)}}, true},
      {"Everyone may change the access list", {kAdmins, true, {Allow("S-1-1-0", 0x40000)}}, true},
      {"generic write for Users", {kAdmins, true, {Allow(kUsers, 0x40000000)}}, true},
      {"write for others only in what is created below",
       {kAdmins, true, {Allow(kAdmins, kFullControl), Allow(kUsers, kModify, true)}}, false},
      {"a denied write counts for nothing",
       {kAdmins, true, {AccessRule{kUsers, false, kModify, false}, Allow(kUsers, kReadExecute)}}, false},
      {"another user owns it", {"S-1-5-21-1-2-3-1002", true, programFiles}, true},
      {"no access list at all (FAT)", {kAdmins, false, {}}, true},
      {"OWNER RIGHTS with a trusted owner", {kAdmins, true, {Allow("S-1-3-4", kFullControl)}}, false},
  };
  for (const auto& c : cases) EXPECT_EQ(OpenToOthers(c.facts, kMe), c.open) << c.what;
}

using testing::FakeFolderSecurity;

TEST(AgentFolderOpenToOthers, WeighsTheFolderTheProgramAndTheFilesItRunsOrOpens) {
  const SecurityFacts safe{kAdmins, true, {Allow(kAdmins, kFullControl), Allow(kUsers, kReadExecute)}};
  const SecurityFacts open{kAdmins, true, {Allow(kUsers, kModify)}};
  const std::vector<std::string> files = {"D:\\Ordavi", "D:\\Ordavi\\Ordavi.exe", "D:\\Ordavi\\QLLJ.bat",
                                          "D:\\Ordavi\\Ordavi.CHM"};
  FakeFolderSecurity all;
  all.ownUser = kMe;
  for (const auto& f : files) all.files[f] = safe;
  EXPECT_FALSE(AgentFolderOpenToOthers(all, "D:\\Ordavi\\Ordavi.exe"));
  for (const auto& f : files) {
    FakeFolderSecurity one;
    for (const auto& g : files) one.files[g] = g == f ? open : safe;
    EXPECT_TRUE(AgentFolderOpenToOthers(one, "D:\\Ordavi\\Ordavi.exe")) << f;
  }
  FakeFolderSecurity missingFiles;  // files that are not there cannot be planted through
  missingFiles.files["D:\\Ordavi"] = safe;
  missingFiles.files["D:\\Ordavi\\Ordavi.exe"] = safe;
  EXPECT_FALSE(AgentFolderOpenToOthers(missingFiles, "D:\\Ordavi\\Ordavi.exe"));
}

// A folder above the agent's that others may rename (or whose children they
// may rename) lets them put a folder of their own at the agent's path; one
// they may only add to (a drive's root, for every user) does not.
TEST(AgentFolderOpenToOthers, WeighsTheFoldersAboveUpToTheRootForRenamingAway) {
  const SecurityFacts safe{kAdmins, true, {Allow(kAdmins, kFullControl), Allow(kUsers, kReadExecute)}};
  // A drive's root as Windows sets it: every user may make folders in it,
  // and may modify what is made below it.
  const SecurityFacts driveRoot{kSystem, true, {Allow(kAdmins, kFullControl), Allow(kAuthenticated, 0x4),
                                                Allow(kAuthenticated, kModify, true), Allow(kUsers, kReadExecute)}};
  const struct {
    const char* what;
    const char* exe;
    std::vector<std::pair<std::string, SecurityFacts>> above;
    bool open;
  } cases[] = {
      {"below a folder made in the root", "D:\\Tools\\Ordavi\\Ordavi.exe",
       {{"D:\\Tools", {kAdmins, true, {Allow(kAuthenticated, kModify)}}}, {"D:\\", driveRoot}}, true},
      {"a folder above whose children others may delete", "D:\\A\\B\\Ordavi\\Ordavi.exe",
       {{"D:\\A\\B", safe}, {"D:\\A", {kAdmins, true, {Allow(kUsers, 0x40)}}}, {"D:\\", driveRoot}}, true},
      {"the root itself lets others delete children", "D:\\Ordavi\\Ordavi.exe",
       {{"D:\\", {kSystem, true, {Allow(kUsers, 0x40)}}}}, true},
      {"another user owns a folder above", "D:\\A\\Ordavi\\Ordavi.exe",
       {{"D:\\A", {"S-1-5-21-1-2-3-1002", true, {}}}, {"D:\\", driveRoot}}, true},
      {"a share's folder above", "\\\\srv\\share\\A\\Ordavi\\Ordavi.exe",
       {{"\\\\srv\\share\\A", {kAdmins, true, {Allow(kUsers, 0x10000)}}}}, true},
      {"a share whose entries others may delete", "\\\\srv\\share\\Ordavi\\Ordavi.exe",
       {{"\\\\srv\\share", {kAdmins, true, {Allow(kUsers, 0x40)}}}}, true},
      {"in the root, which others may only add to", "D:\\Ordavi\\Ordavi.exe", {{"D:\\", driveRoot}}, false},
      {"Program Files", "C:\\Program Files\\Ordavi\\Ordavi.exe",
       {{"C:\\Program Files", safe}, {"C:\\", driveRoot}}, false},
  };
  for (const auto& c : cases) {
    FakeFolderSecurity system;
    system.ownUser = kMe;
    for (const auto& [path, facts] : c.above) system.files[path] = facts;
    EXPECT_EQ(AgentFolderOpenToOthers(system, c.exe), c.open) << c.what;
  }
}

}  // namespace
}  // namespace ordavi
