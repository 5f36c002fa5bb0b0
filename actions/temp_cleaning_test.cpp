#include "actions/temp_cleaning.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "actions/testing/fake_temp_folders.h"

namespace ordavi {
namespace {

TEST(JudgeTempFolderPath, OnlyAFolderNamedTempOrTmpThatDoesNotHoldTheAgent) {
  const std::string agent = "C:\\Program Files\\Ordavi";
  const struct {
    const char* path;
    TempPathVerdict verdict;
  } cases[] = {
      {"C:\\Users\\u\\AppData\\Local\\Temp", TempPathVerdict::Clean},
      {"C:\\Windows\\TEMP\\", TempPathVerdict::Clean},
      {"D:\\tmp", TempPathVerdict::Clean},
      // A Temp or Tmp component that is not the last one does not qualify.
      {"D:\\tmp\\project", TempPathVerdict::NotTempName},
      {"C:\\Temp\\Tools", TempPathVerdict::NotTempName},
      {"C:\\Users\\u\\Temporary", TempPathVerdict::NotTempName},
      {"C:\\Users\\u\\Temp.old", TempPathVerdict::NotTempName},
      {"C:\\", TempPathVerdict::DriveRoot},
      {"C:", TempPathVerdict::NotFullLocalPath},
      {"Temp", TempPathVerdict::NotFullLocalPath},
      {"\\\\server\\share\\Temp", TempPathVerdict::NotFullLocalPath},
      {"\\\\?\\C:\\Temp", TempPathVerdict::NotFullLocalPath},
      {"C:\\x\\..\\Temp", TempPathVerdict::NotFullLocalPath},
      {"C:\\x\\.\\Temp", TempPathVerdict::NotFullLocalPath},
      {"C:\\x\\\\Temp", TempPathVerdict::NotFullLocalPath},
      {"C:/Users/Temp", TempPathVerdict::NotFullLocalPath},
      {"C:\\Users\\Temp:stream", TempPathVerdict::NotFullLocalPath},
      {"C:\\Users\\\"Temp", TempPathVerdict::NotFullLocalPath},
      {"C:\\Te*\\Temp", TempPathVerdict::NotFullLocalPath},
      {"C:\\Program Files\\Ordavi\\Temp", TempPathVerdict::Clean},
      {"C:\\Program Files\\Temp", TempPathVerdict::Clean},
  };
  for (const auto& c : cases) EXPECT_EQ(JudgeTempFolderPath(c.path, agent), c.verdict) << c.path;
  EXPECT_EQ(JudgeTempFolderPath("C:\\Tools\\TEMP", "c:\\tools\\temp\\ordavi"), TempPathVerdict::HoldsAgent);
  EXPECT_EQ(JudgeTempFolderPath("C:\\Tools\\Temp", "C:\\Tools\\Temp"), TempPathVerdict::HoldsAgent);
  EXPECT_EQ(JudgeTempFolderPath("C:\\Tools\\Temp", "C:\\Tools\\Temp2"), TempPathVerdict::Clean);
}

using testing::FakeTempFolders;
using Fs = FakeTempFolders;

std::vector<std::string> Lines(const std::string& log) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = log.find("\r\n", start)) != std::string::npos; start = end + 2) {
    if (end > start) lines.push_back(log.substr(start, end - start));
  }
  return lines;
}

TEST(CleanTempFolders, RemovesFilesAndFoldersButNeverEntersOrRemovesALink) {
  Fs fs;
  const std::string t = "C:\\Users\\u\\AppData\\Local\\Temp";
  fs.env["TEMP"] = t;
  fs.Add(t, EntryKind::Folder);
  fs.Add(t + "\\a.tmp", EntryKind::File);
  fs.Add(t + "\\busy.tmp", EntryKind::File, true);
  fs.Add(t + "\\locked.tmp", EntryKind::InUse);
  fs.Add(t + "\\junction", EntryKind::Link);
  fs.Add(t + "\\swapped", EntryKind::Elsewhere);  // replaced by a link after the listing
  fs.Add(t + "\\setup", EntryKind::Folder);
  fs.Add(t + "\\setup\\x.dll", EntryKind::File);
  fs.Add(t + "\\setup\\deeper", EntryKind::Folder);
  fs.Add(t + "\\setup\\deeper\\y", EntryKind::File);
  fs.Add(t + "\\mixed", EntryKind::Folder);
  fs.Add(t + "\\mixed\\old.log", EntryKind::File);
  fs.Add(t + "\\mixed\\link", EntryKind::Link);

  std::string log;
  const CleaningTotals totals = CleanTempFolders(fs, log);
  EXPECT_EQ(totals.files, 1);
  EXPECT_EQ(totals.folders, 1);
  EXPECT_EQ(totals.kept, 3);
  const std::vector<std::string> expected = {
      "Folder \"" + t + "\"",
      "  full path \"" + t + "\"",
      "  removed: \"a.tmp\"",
      "  kept, in use: \"busy.tmp\"",
      "  link, left alone: \"junction\"",
      "  kept, in use: \"locked.tmp\"",
      "  link, left alone: \"mixed\\link\"",
      "  kept in part: \"mixed\\\"",
      "  removed folder: \"setup\\\"",
      "  not where it was listed (a link or moved), left alone: \"swapped\"",
      "  skipped: TMP is not set",
      "  skipped: LOCALAPPDATA is not set",
      "  skipped: USERPROFILE is not set",
      "  skipped: SystemRoot is not set",
  };
  EXPECT_EQ(Lines(log), expected);
  // What stayed: the folder itself, what the system refused, the links, and
  // the folder that still holds a link.
  EXPECT_EQ(fs.nodes.count(t), 1u);
  for (const char* kept : {"\\busy.tmp", "\\locked.tmp", "\\junction", "\\swapped", "\\mixed", "\\mixed\\link"}) {
    EXPECT_EQ(fs.nodes.count(t + kept), 1u) << kept;
  }
  EXPECT_EQ(fs.nodes.count(t + "\\mixed\\old.log"), 0u);
  EXPECT_EQ(fs.nodes.count(t + "\\setup\\deeper\\y"), 0u);
  EXPECT_TRUE(fs.open.empty()) << "every handle closed";
}

TEST(CleanTempFolders, SkipsEachFolderThatIsNotATemporaryFolderOfItsOwn) {
  const struct {
    const char* variable;
    const char* value;
    const char* why;
  } cases[] = {
      {"TEMP", "D:\\tmp\\project", "its last part is not Temp or Tmp"},
      {"TEMP", "C:\\", "a drive's root folder"},
      {"TEMP", "relative\\Temp", "not a full local path"},
      {"TEMP", "C:\\Program Files\\Ordavi", "its last part is not Temp or Tmp"},
      {"TEMP", "C:\\Users\\u\\linked\\Temp", "it or a folder above it is a link"},
      {"TEMP", "C:\\Users\\u\\gone\\Temp", "no such folder"},
      {"TEMP", "", "TEMP is not set"},
      {"SystemRoot", "C:\\Program Files\\Ordavi\\..", "not a full local path"},
  };
  for (const auto& c : cases) {
    Fs fs;
    fs.env[c.variable] = c.value;
    fs.Add("D:\\tmp\\project", EntryKind::Folder);
    fs.Add("D:\\tmp\\project\\main.cpp", EntryKind::File);
    fs.Add("C:\\Users\\u\\linked\\Temp", EntryKind::Folder);
    fs.Add("C:\\Users\\u\\linked\\Temp\\a", EntryKind::File);
    fs.linkedFolders.insert("C:\\Users\\u\\linked\\Temp");
    std::string log;
    CleanTempFolders(fs, log);
    EXPECT_NE(log.find(std::string("  skipped: ") + c.why + "\r\n"), std::string::npos) << c.value << "\n" << log;
    EXPECT_TRUE(fs.log.empty()) << c.value;
  }
}

TEST(CleanTempFolders, CleansAFolderNamedTwiceOnlyOnce) {
  Fs fs;
  fs.env["TEMP"] = "C:\\Windows\\Temp";
  fs.env["TMP"] = "c:\\windows\\TEMP";
  fs.env["SystemRoot"] = "C:\\Windows";
  fs.Add("C:\\Windows\\Temp", EntryKind::Folder);
  fs.Add("C:\\Windows\\Temp\\a", EntryKind::File);
  std::string log;
  CleanTempFolders(fs, log);
  EXPECT_EQ(fs.log, std::vector<std::string>{"Delete(C:\\Windows\\Temp\\a)"});
  std::size_t skips = 0;
  for (std::size_t at = 0; (at = log.find("skipped: already cleaned", at)) != std::string::npos; ++at) ++skips;
  EXPECT_EQ(skips, 2u);
}

// TEMP comes from the user's own settings: an elevated agent must not empty
// another user's temporary folder, or one outside every profile, through it.
TEST(CleanTempFolders, AnElevatedAgentCleansOnlyInItsUsersProfileAndTheWindowsFolder) {
  const struct {
    const char* temp;
    bool elevated, cleaned;
  } cases[] = {
      {"C:\\Users\\other\\AppData\\Local\\Temp", true, false},
      {"C:\\Users\\u2\\Temp", true, false},  // a profile whose name starts like this user's
      {"D:\\Temp", true, false},
      {"C:\\Users\\u\\AppData\\Local\\Temp", true, true},
      {"C:\\WINDOWS\\Temp", true, true},
      {"C:\\Windows\\System32\\config\\systemprofile\\AppData\\Local\\Temp", true, false},
      {"C:\\Windows\\ServiceProfiles\\LocalService\\AppData\\Local\\Temp", true, false},
      {"D:\\Temp", false, true},  // without the rights the user may clean what they can write
  };
  for (const auto& c : cases) {
    Fs fs;
    fs.env["TEMP"] = c.temp;
    fs.Add(c.temp, EntryKind::Folder);
    fs.Add(std::string(c.temp) + "\\a", EntryKind::File);
    std::string log;
    CleanTempFolders(fs, log, c.elevated);
    EXPECT_EQ(fs.nodes.count(std::string(c.temp) + "\\a"), c.cleaned ? 0u : 1u) << c.temp;
    EXPECT_EQ(log.find("skipped: not in this user's profile or the Windows folder's Temp") != std::string::npos, !c.cleaned)
        << c.temp;
  }
}

TEST(CleanTempFolders, LeavesWhatLiesDeeperThanTheLimit) {
  Fs fs;
  std::string path = "C:\\Temp";
  fs.env["TEMP"] = path;
  fs.Add(path, EntryKind::Folder);
  for (int i = 0; i <= kMaxCleaningDepth; ++i) {
    path += "\\d";
    fs.Add(path, EntryKind::Folder);
  }
  std::string log;
  const CleaningTotals totals = CleanTempFolders(fs, log);
  EXPECT_EQ(totals.kept, 1);
  EXPECT_NE(log.find("  too deep, left alone: "), std::string::npos);
  EXPECT_EQ(fs.nodes.count(path), 1u);
}

}  // namespace
}  // namespace ordavi
