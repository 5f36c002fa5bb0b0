// The shell adapter over the Win32 API: documents, programs, the help file,
// web pages and the agent's own text files in Notepad.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "actions/shell.h"

namespace ordavi {

// `argument` quoted as one argument of a command line, by the rules
// CommandLineToArgvW reads it back: a quote inside escaped, backslashes
// before a quote or the closing quote doubled.
std::wstring QuotedArgument(const std::wstring& argument);

// A text file in notepad.exe of the Windows directory, by its full path:
// never the program the user's file association names, which an elevated
// agent would start elevated. False when notepad cannot be started.
bool OpenInNotepad(const std::wstring& path);

// ShellExecuteW for each purpose, with its fixed owner, verb and show state;
// system programs through CreateProcessW by their full path; documents and
// pages of the user through the desktop's shell.
class Win32Shell : public ShellPort {
 public:
  // How long the agent's thread waits for the desktop's shell.
  static constexpr DWORD kDesktopWaitMs = 10000;
  explicit Win32Shell(std::function<HWND()> mainWindow, DWORD desktopWaitMs = kDesktopWaitMs)
      : mainWindow_(std::move(mainWindow)), desktopWaitMs_(desktopWaitMs) {}
  ~Win32Shell() override;
  Win32Shell(const Win32Shell&) = delete;
  Win32Shell& operator=(const Win32Shell&) = delete;
  // NULL owner, "open", no parameters, SW_HIDE.
  void OpenFileHidden(const std::string& path, const std::string& dir) override;
  // The path made full (GetFullPathNameW), then CreateProcessW with the
  // application and command line of TaskProgramStart (a batch file in the
  // system directory's cmd.exe /D /c), SW_HIDE; the handles closed at once.
  bool StartProgramHidden(const std::string& path, const std::string& dir) override;
  // CreateProcessW with the program's full path as the application name and
  // "<full path>" <params> as its command line (converted from GBK), a hidden
  // window, no console; the handles are closed at once.
  void RunHidden(const std::string& program, const std::string& params, const std::string& dir) override;
  // hh.exe of the Windows directory by its full path with the quoted file,
  // SW_SHOWNORMAL; where it cannot be started, ShellExecuteW with the main
  // window as owner, default verb, "" parameters and directory.
  void OpenHelpFile(const std::string& path) override;
  // A text file of the agent's own (the run history) in notepad.exe, as
  // OpenInNotepad below does; nothing for an empty path (a refused file).
  void OpenInNotepad(const std::wstring& path);
  // NULL owner, "open", no parameters or directory, SW_SHOWNORMAL.
  void ShowWebPage(const std::string& url) override;
  // The desktop's shell window (ShellWindows' SWC_DESKTOP), its active shell
  // view's background object, that view's Shell.Application and its
  // IShellDispatch2::ShellExecute with "open": the desktop's process starts
  // the program the association names, at that process's rights. The calls
  // run on a thread of their own, waited for at most `desktopWaitMs`
  // (NoAnswer after that; while that thread still waits, NoAnswer at once).
  DesktopOpen OpenAsDesktopUser(const std::string& target, const std::string& dir, bool hidden) override;
  std::string WindowsDirectory() override;
  // The Administrators group in force in the process's token.
  bool RunsElevated() override;
  // The same of the process of GetShellWindow's window.
  bool DesktopRunsElevated() override;
  // GetSystemDirectoryW, then GetWindowsDirectoryW, with `name`: a file
  // (not a folder) there.
  std::string SystemProgram(const std::string& name) override;

 private:
  std::function<HWND()> mainWindow_;
  DWORD desktopWaitMs_;
  HANDLE desktopThread_ = nullptr;  // a call to the desktop's shell that did not come back
};

}  // namespace ordavi
