// The file picker under Wine: choosing a file in another folder leaves the
// current directory alone.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/system_library.h"
#include "ui/win32/dialog_controls.h"

namespace ordavi {
namespace {

std::string CurrentDirectory() {
  char dir[MAX_PATH + 1] = {};
  GetCurrentDirectoryA(MAX_PATH, dir);
  return dir;
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
