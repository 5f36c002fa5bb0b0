// Documents and web pages the agent opens for the user. The agent usually
// runs with administrator rights, and whatever program a file association
// names (which any program of the user can change) would run with them. So
// a document or page goes to the desktop's shell, which runs at the user's
// normal rights, and is opened by the agent itself only where that shell is
// not there to ask. A program a task names directly is started by the agent,
// with its rights, as the task says.
#pragma once

#include <string>

#include "actions/shell.h"
#include "schedule/tick.h"

namespace ordavi {

// Whether `path` names a program the system starts itself rather than a
// document opened with another program: its extension is .exe, .com, .bat,
// .cmd, .pif or .scr (ASCII case-blind).
bool NamesProgram(const std::string& path);

// The run history's word on how an 打开文件 task's file was opened.
inline constexpr const char* kOpenedAsUser = "已交桌面以用户的普通权限打开";
inline constexpr const char* kOpenedByAgent = "桌面不可用，已由本程序以其权限打开";
// A program named without a folder, in an elevated agent: run from the
// system or Windows directory, or not run at all.
inline constexpr const char* kRanFromSystemFolder = "程序未写文件夹，已运行系统文件夹中的同名程序";
inline constexpr const char* kBareProgramRefused =
    "程序未写文件夹，系统文件夹中也没有；以管理员权限运行时不按用户的设置查找";

// Opens an 打开文件 task's file, hidden, with `dir` as working directory: a
// program directly; anything else through the desktop's shell, or directly
// where that fails. A program named without a folder would be looked for by
// the shell's rules, which read the user's own App Paths (any program of the
// user can write them): an elevated agent runs only the program of that
// name in the system directory, else in the Windows directory, and refuses
// it where neither holds one. An agent without the rights leaves the search
// to the shell, as the user's own programs do. Returns the run history's
// word on it (empty for a program run as named).
OpenedFile OpenTaskFile(ShellPort& shell, const std::string& path, const std::string& dir);

// The page, shown normally in the user's browser: through the desktop's
// shell, or directly where that fails.
void ShowWebPageForUser(ShellPort& shell, const std::string& url);

}  // namespace ordavi
