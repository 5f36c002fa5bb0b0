// Port: what the agent hands to the shell, and the system programs it starts.
// Results are not checked unless a call returns one.
#pragma once

#include <string>

namespace ordavi {

// What became of a file or page handed to the desktop's shell.
enum class DesktopOpen {
  Opened,    // the desktop's shell took it
  Failed,    // no desktop shell to ask, or it refused
  NoAnswer,  // the shell did not answer in time: it may still open it later
};

class ShellPort {
 public:
  virtual ~ShellPort() = default;
  // An "打开文件" task: the file opened with its program, hidden, with `dir`
  // as working directory, owned by no window. The shell decides how, through
  // the user's file associations.
  virtual void OpenFileHidden(const std::string& path, const std::string& dir) = 0;
  // A program (.exe, .com, .scr, .pif; .bat and .cmd through the system's
  // command interpreter) started by the path given, hidden, with `dir` as
  // working directory: never through a file association. False when it
  // could not be started.
  virtual bool StartProgramHidden(const std::string& path, const std::string& dir) = 0;
  // `program`, a file name of the system directory, started by its full path
  // (never searched for) with `params`, hidden, in the working directory
  // `dir`; not waited for.
  virtual void RunHidden(const std::string& program, const std::string& params, const std::string& dir) = 0;
  // The help file shown in the system's help viewer.
  virtual void OpenHelpFile(const std::string& path) = 0;
  // A web page opened in the user's browser, owned by no window.
  virtual void ShowWebPage(const std::string& url) = 0;
  // `target`, a document or a web page, opened by the desktop's shell (which
  // runs at the user's normal rights) with `dir` as working directory,
  // hidden or shown normally; a shell that does not answer in a bounded time
  // is left to itself.
  virtual DesktopOpen OpenAsDesktopUser(const std::string& target, const std::string& dir, bool hidden) = 0;
  virtual std::string WindowsDirectory() = 0;
  // Whether the process holds administrator rights now (elevated).
  virtual bool RunsElevated() = 0;
  // Whether the desktop's shell process holds them too (as where UAC is
  // off); false where there is no desktop shell or its rights cannot be read.
  virtual bool DesktopRunsElevated() = 0;
  // The full path of the file `name` in the system directory, else in the
  // Windows directory; empty when neither holds one.
  virtual std::string SystemProgram(const std::string& name) = 0;
};

}  // namespace ordavi
