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

namespace ordavi {

// Whether `path` names a program the system starts itself rather than a
// document opened with another program: its extension is .exe, .com, .bat,
// .cmd, .pif or .scr (ASCII case-blind).
bool NamesProgram(const std::string& path);

// The run history's word on how an 打开文件 task's file was opened.
inline constexpr const char* kOpenedAsUser = "已交桌面以用户的普通权限打开";
inline constexpr const char* kOpenedByAgent = "桌面不可用，已由本程序以其权限打开";

// Opens an 打开文件 task's file, hidden, with `dir` as working directory: a
// program directly; anything else through the desktop's shell, or directly
// where that fails. Returns the run history's word on it (empty for a
// program, which runs as always).
std::string OpenTaskFile(ShellPort& shell, const std::string& path, const std::string& dir);

// The page, shown normally in the user's browser: through the desktop's
// shell, or directly where that fails.
void ShowWebPageForUser(ShellPort& shell, const std::string& url);

}  // namespace ordavi
