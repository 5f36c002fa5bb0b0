// The process's footing under Wine: whole files written in their folder and
// never through a link, a held folder that names the link on its way, and
// the DLL search restricted with the current directory moved to the system
// directory.
#include <windows.h>

#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "platform/win32/held_folder.h"
#include "platform/win32/system_library.h"
#include "platform/win32/testing/test_files.h"
#include "platform/win32/whole_file.h"

namespace ordavi {
namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string CurrentDirectory() {
  char dir[MAX_PATH + 1] = {};
  GetCurrentDirectoryA(MAX_PATH, dir);
  return Lower(dir);
}

std::string SystemDirectoryAsGiven() {
  char dir[MAX_PATH + 1] = {};
  GetSystemDirectoryA(dir, MAX_PATH);
  return Lower(dir);
}

std::string Content(const std::wstring& path) {
  std::string error;
  return platform::ReadWholeFile(path, error).value_or("<none>");
}

// An export into a folder the user picked, which other programs can change:
// a whole new file, a replaced one and a left-over part file are fine; a link
// at the file, at its part file or as the folder is refused with a message,
// and what the link points to keeps its content.
TEST(WholeFile, IsWrittenInItsFolderAndNeverThroughALink) {
  CreateDirectoryA("C:\\picked", nullptr);
  CreateDirectoryA("C:\\precious", nullptr);
  std::string error;
  ASSERT_TRUE(platform::WriteWholeFile(L"C:\\precious\\keep.txt", "keep", error));
  EXPECT_TRUE(platform::WriteWholeFile(L"C:\\picked\\tasks.txt", "one", error));
  EXPECT_TRUE(platform::WriteWholeFile(L"C:\\picked\\tasks.txt", "two", error));
  EXPECT_TRUE(platform::WriteWholeFile(L"C:\\picked\\tasks.txt.part", "left over", error));
  EXPECT_TRUE(platform::WriteWholeFile(L"C:\\picked\\tasks.txt", "three", error));
  EXPECT_EQ(Content(L"C:\\picked\\tasks.txt"), "three");
  EXPECT_TRUE(platform::WriteWholeFile(L"\\\\?\\C:\\picked\\tasks.txt", "four", error));
  EXPECT_EQ(Content(L"C:\\picked\\tasks.txt"), "four");
  EXPECT_EQ(GetFileAttributesW(L"C:\\picked\\tasks.txt.part"), INVALID_FILE_ATTRIBUTES);
  ASSERT_TRUE(winetest::MakeLink("C:\\picked\\at-file.txt", "C:\\precious\\keep.txt"));
  ASSERT_TRUE(winetest::MakeLink("C:\\picked\\at-part.txt.part", "C:\\precious\\keep.txt"));
  ASSERT_TRUE(winetest::MakeLink("C:\\picked\\folder", "C:\\precious"));
  // The same paths written with the \\?\ or \\.\ prefix are held as drive
  // paths, not taken for a share's.
  for (const wchar_t* path : {L"C:\\picked\\at-file.txt", L"C:\\picked\\at-part.txt", L"C:\\picked\\folder\\keep.txt",
                              L"\\\\?\\C:\\picked\\folder\\keep.txt", L"\\\\.\\C:\\picked\\at-file.txt"}) {
    error.clear();
    EXPECT_FALSE(platform::WriteWholeFile(path, "planted", error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(Content(L"C:\\precious\\keep.txt"), "keep");
  }
}

// A link on the way to a folder (a known folder moved elsewhere, a folder a
// sync program keeps): the walk names the first such folder, which the
// export's refusal names with where else to write; and a handle that lies
// elsewhere than the path asked for (a folder swapped for a link between
// the walk and the open) is no folder of that path.
TEST(HeldFolder, TheFirstLinkOnTheWayIsNamedAndTheHandlesPlaceIsChecked) {
  CreateDirectoryA("C:\\hreal", nullptr);
  CreateDirectoryA("C:\\hreal\\sub", nullptr);
  CreateDirectoryA("C:\\hf", nullptr);
  ASSERT_TRUE(winetest::MakeLink("C:\\hf\\link", "C:\\hreal"));
  for (const bool create : {false, true}) {
    platform::HeldFolder folder;
    EXPECT_EQ(folder.Open(create ? L"C:\\hf\\link\\new" : L"C:\\hf\\link\\sub", create), platform::FolderOpen::Linked);
    EXPECT_TRUE(folder.linked() == L"C:\\hf\\link") << create;
  }
  EXPECT_EQ(GetFileAttributesA("C:\\hreal\\new"), INVALID_FILE_ATTRIBUTES);
  std::string error;
  EXPECT_FALSE(platform::WriteWholeFile(L"C:\\hf\\link\\sub\\tasks.txt", "x", error));
  EXPECT_EQ(error, std::string("文件夹“C:\\hf\\link”是链接（联接点、符号链接或OneDrive等同步的文件夹），可能被改为指向别处，"
                               "所以不经过它写入；请另选文件夹，如“C:\\hreal”"));
  // Opened through the link as Open opens a folder (Wine follows its links
  // even so): only the place it really lies is that folder.
  const HANDLE h = CreateFileW(L"C:\\hf\\link\\sub", FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(platform::PlainFolderAt(h, L"C:\\hf\\link\\sub").empty());
  EXPECT_TRUE(platform::SamePath(platform::PlainFolderAt(h, L"C:\\hreal\\sub"), L"C:\\hreal\\sub"));
  CloseHandle(h);
}

TEST(ProcessStart, RestrictsTheDllSearchAndMovesToTheSystemDirectory) {
  SetCurrentDirectoryA("C:\\");
  EXPECT_TRUE(RestrictSearchToSystemDirectory());  // this Wine has SetDefaultDllDirectories
  EXPECT_EQ(CurrentDirectory(), SystemDirectoryAsGiven());
  // A DLL planted in a folder the user can write, made the current one, is
  // not loaded by its name (before the restriction it was).
  char system[MAX_PATH + 1] = {};
  GetSystemDirectoryA(system, MAX_PATH);
  CreateDirectoryA("C:\\planted dll", nullptr);
  ASSERT_TRUE(CopyFileA((std::string(system) + "\\msimg32.dll").c_str(), "C:\\planted dll\\ordaviplant.dll", FALSE));
  SetCurrentDirectoryA("C:\\planted dll");
  HMODULE planted = LoadLibraryA("ordaviplant.dll");
  EXPECT_EQ(planted, nullptr);
  if (planted) FreeLibrary(planted);
}

}  // namespace
}  // namespace ordavi
