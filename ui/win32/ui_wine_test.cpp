// The start of the process and the file picker under Wine: the DLL search is
// restricted and the current directory moved to the system directory, and
// choosing a file in another folder leaves the current directory alone.
#include <windows.h>

#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "ui/win32/testing/test_files.h"
#include "ui/win32/dialog_controls.h"
#include "ui/win32/held_folder.h"
#include "ui/win32/system_library.h"
#include "ui/win32/whole_file.h"

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
  return ui::ReadWholeFile(path, error).value_or("<none>");
}

// An export into a folder the user picked, which other programs can change:
// a whole new file, a replaced one and a left-over part file are fine; a link
// at the file, at its part file or as the folder is refused with a message,
// and what the link points to keeps its content.
TEST(WholeFile, IsWrittenInItsFolderAndNeverThroughALink) {
  CreateDirectoryA("C:\\picked", nullptr);
  CreateDirectoryA("C:\\precious", nullptr);
  std::string error;
  ASSERT_TRUE(ui::WriteWholeFile(L"C:\\precious\\keep.txt", "keep", error));
  EXPECT_TRUE(ui::WriteWholeFile(L"C:\\picked\\tasks.txt", "one", error));
  EXPECT_TRUE(ui::WriteWholeFile(L"C:\\picked\\tasks.txt", "two", error));
  EXPECT_TRUE(ui::WriteWholeFile(L"C:\\picked\\tasks.txt.part", "left over", error));
  EXPECT_TRUE(ui::WriteWholeFile(L"C:\\picked\\tasks.txt", "three", error));
  EXPECT_EQ(Content(L"C:\\picked\\tasks.txt"), "three");
  EXPECT_TRUE(ui::WriteWholeFile(L"\\\\?\\C:\\picked\\tasks.txt", "four", error));
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
    EXPECT_FALSE(ui::WriteWholeFile(path, "planted", error));
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
    ui::HeldFolder folder;
    EXPECT_EQ(folder.Open(create ? L"C:\\hf\\link\\new" : L"C:\\hf\\link\\sub", create), ui::FolderOpen::Linked);
    EXPECT_TRUE(folder.linked() == L"C:\\hf\\link") << create;
  }
  EXPECT_EQ(GetFileAttributesA("C:\\hreal\\new"), INVALID_FILE_ATTRIBUTES);
  std::string error;
  EXPECT_FALSE(ui::WriteWholeFile(L"C:\\hf\\link\\sub\\tasks.txt", "x", error));
  EXPECT_EQ(error, std::string("文件夹“C:\\hf\\link”是链接（联接点、符号链接或OneDrive等同步的文件夹），可能被改为指向别处，"
                               "所以不经过它写入；请另选文件夹，如“C:\\hreal”"));
  // Opened through the link as Open opens a folder (Wine follows its links
  // even so): only the place it really lies is that folder.
  const HANDLE h = CreateFileW(L"C:\\hf\\link\\sub", FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(ui::PlainFolderAt(h, L"C:\\hf\\link\\sub").empty());
  EXPECT_TRUE(ui::SamePath(ui::PlainFolderAt(h, L"C:\\hreal\\sub"), L"C:\\hreal\\sub"));
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

// A user picks a file in another folder; the picker must not make that
// folder the current one, where programs and DLLs would be searched for. The
// folder's name holds a character no ANSI code page of the test holds: the
// path comes back exactly, as UTF-16.
TEST(FilePicker, ChoosingAFileElsewhereKeepsTheCurrentDirectory) {
  const std::wstring folder = L"C:\\ordavi picked \uD55C folder";
  const std::wstring file = folder + L"\\chosen.wav";
  CreateDirectoryW(folder.c_str(), nullptr);
  HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);
  RestrictSearchToSystemDirectory();
  const std::string before = CurrentDirectory();
  // The user, on a thread of its own: types the file's full path into the
  // picker and confirms.
  struct User {
    static DWORD WINAPI Run(void* file) {
      for (int i = 0; i < 200; ++i) {
        if (HWND dialog = FindWindowW(L"#32770", L"pick a sound")) {
          Sleep(300);
          SetDlgItemTextW(dialog, 0x47C, static_cast<const std::wstring*>(file)->c_str());  // the file-name box
          PostMessageW(dialog, WM_COMMAND, IDOK, 0);
          return 0;
        }
        Sleep(50);
      }
      return 0;
    }
  };
  HANDLE user = CreateThread(nullptr, 0, &User::Run, const_cast<std::wstring*>(&file), 0, nullptr);
  ASSERT_NE(user, nullptr);
  const auto chosen = ui::ChooseFile(nullptr, std::string("wav\0*.wav\0", 11), "pick a sound", L"C:\\");
  WaitForSingleObject(user, INFINITE);
  CloseHandle(user);
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(CompareStringOrdinal(chosen->c_str(), -1, file.c_str(), -1, TRUE), CSTR_EQUAL);
  EXPECT_EQ(CurrentDirectory(), before);
}

}  // namespace
}  // namespace ordavi
