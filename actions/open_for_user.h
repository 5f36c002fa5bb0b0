// Documents and web pages the agent opens for the user. The agent usually
// runs with administrator rights, and whatever program a file association
// names (which any program of the user can change) would run with them. So
// a document or page goes to the desktop's shell, which runs at the user's
// normal rights. Where that shell does not take it, an agent with more
// rights than the desktop's user refuses rather than open it itself: a
// program of the user can make the shell fail on purpose (end or hang it)
// after changing the association. A program a task names directly is
// started by the agent, with its rights, as the task says, by its path and
// never through an association.
#pragma once

#include <string>

#include "actions/notices.h"
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
// The desktop's shell did not take a document, and this agent has more
// rights than the desktop's user: not opened.
inline constexpr const char* kRefusedAboveDesktop = "桌面不可用，本程序的权限高于桌面用户，未代为打开";
// The desktop's shell did not answer in time: not opened here, since it may
// still open it.
inline constexpr const char* kDesktopNoAnswer = "桌面未及时应答，未打开";
// A program named without a folder, in an elevated agent: run from the
// system or Windows directory, or not run at all.
inline constexpr const char* kRanFromSystemFolder = "程序未写文件夹，已运行系统文件夹中的同名程序";
inline constexpr const char* kBareProgramRefused =
    "程序未写文件夹，系统文件夹中也没有；以管理员权限运行时不按用户的设置查找";
// An elevated agent's program that could not be started.
inline constexpr const char* kProgramNotStarted = "程序无法启动";

// How an elevated agent starts a task's program: the application started
// (never searched for) and its command line. A batch file (.bat, .cmd) runs
// in the system's command interpreter by its full path, without the user's
// AutoRun commands (/D): "<systemDir>cmd.exe" /D /c ""<path>"". A screen
// saver runs as its "open" does, with /S. Any other program is started
// itself: "<path>". `systemDir` ends in its separator; `path` is full.
struct ProgramStart {
  std::string application;
  std::string commandLine;
};
ProgramStart TaskProgramStart(const std::string& systemDir, const std::string& path);

// The notice an agent gives (once per life for tasks, at each click for the
// menu's page) when it refused to open something the desktop did not take.
inline constexpr const char* kTaskFileRefusedNotice =
    "桌面未能以您的普通权限打开任务要打开的文件，Ordavi为安全起见没有代为打开（原因见运行记录）。";
std::string WebPageRefusedNotice(const std::string& url);

// Opens an 打开文件 task's file, hidden, with `dir` as working directory.
// A program: an agent without administrator rights hands it to the shell,
// as the user's own programs do; an elevated agent starts it itself by its
// path (never through the user's association for programs or batch files),
// and one named without a folder only from the system directory, else the
// Windows directory (the shell would also read the user's own App Paths),
// refusing it where neither holds one. Anything else goes to the desktop's
// shell; where that fails, the agent opens it itself only when it has no
// more rights than the desktop's user. Returns the run history's word on it
// (empty for a program run as named).
OpenedFile OpenTaskFile(ShellPort& shell, const std::string& path, const std::string& dir);

// The page, shown normally in the user's browser: through the desktop's
// shell, or directly where that fails and this agent has no more rights
// than the desktop's user. False when it was not shown.
bool ShowWebPageForUser(ShellPort& shell, const std::string& url);

// The tasks' opener: OpenTaskFile, and the notice of a refusal once per
// agent life (the run history lists each one).
class TaskFileOpener {
 public:
  TaskFileOpener(ShellPort& shell, NoticeSink& notices) : shell_(shell), notices_(notices) {}
  OpenedFile Open(const std::string& path, const std::string& dir);

 private:
  ShellPort& shell_;
  NoticeSink& notices_;
  bool refusalSaid_ = false;
};

}  // namespace ordavi
