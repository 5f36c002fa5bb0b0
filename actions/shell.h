// Port: what the agent hands to the shell, and the system programs it starts.
// Results are not checked.
#pragma once

#include <string>

namespace ordavi {

class ShellPort {
 public:
  virtual ~ShellPort() = default;
  // An "打开文件" task: the file opened with its program, hidden, with `dir`
  // as working directory, owned by no window.
  virtual void OpenFileHidden(const std::string& path, const std::string& dir) = 0;
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
  // hidden or shown normally. False where there is no desktop shell to ask
  // or it refused.
  virtual bool OpenAsDesktopUser(const std::string& target, const std::string& dir, bool hidden) = 0;
  virtual std::string WindowsDirectory() = 0;
  // Whether the process holds administrator rights now (elevated).
  virtual bool RunsElevated() = 0;
  // The full path of the file `name` in the system directory, else in the
  // Windows directory; empty when neither holds one.
  virtual std::string SystemProgram(const std::string& name) = 0;
};

}  // namespace ordavi
