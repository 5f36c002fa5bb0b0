#include "actions/open_for_user.h"

#include "actions/network.h"
#include "store/text.h"

namespace ordavi {

namespace {

// Opening it here would carry this agent's rights to a program the user's
// (changeable) association names: only where the desktop's user has the same.
bool RightsAboveDesktopUser(ShellPort& shell) { return shell.RunsElevated() && !shell.DesktopRunsElevated(); }

}  // namespace

bool NamesProgram(const std::string& path) {
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || path.find('\\', dot) != std::string::npos) return false;
  const std::string ext = AsciiUpper(path.substr(dot));
  for (const char* program : {".EXE", ".COM", ".BAT", ".CMD", ".PIF", ".SCR"}) {
    if (ext == program) return true;
  }
  return false;
}

ProgramStart TaskProgramStart(const std::string& systemDir, const std::string& path) {
  const std::size_t dot = path.rfind('.');
  const std::string ext = dot == std::string::npos ? std::string() : AsciiUpper(path.substr(dot));
  const std::string quoted = '"' + path + '"';
  if (ext == ".BAT" || ext == ".CMD") {
    return {systemDir + "cmd.exe", SystemProgramCommandLine(systemDir, "cmd.exe", "/D /c \"" + quoted + '"')};
  }
  return {path, ext == ".SCR" ? quoted + " /S" : quoted};
}

std::string WebPageRefusedNotice(const std::string& url) {
  return "桌面未能以您的普通权限打开网页，Ordavi为安全起见没有代为打开。请在浏览器中访问：" + url;
}

OpenedFile OpenTaskFile(ShellPort& shell, const std::string& path, const std::string& dir) {
  if (NamesProgram(path)) {
    if (!shell.RunsElevated()) {
      shell.OpenFileHidden(path, dir);
      return {};
    }
    // A folder written with either slash is a folder: "../x.exe" must not
    // be looked for, joined to the system directory, as a name alone.
    const bool hasFolder = !SplitPath(path).dir.empty() || path.find('/') != std::string::npos;
    const std::string program = hasFolder ? path : shell.SystemProgram(path);
    if (program.empty()) return {kBareProgramRefused, true};
    if (!shell.StartProgramHidden(program, dir)) return {kProgramNotStarted, true};
    return {hasFolder ? "" : kRanFromSystemFolder};
  }
  switch (shell.OpenAsDesktopUser(path, dir, true)) {
    case DesktopOpen::Opened: return {kOpenedAsUser};
    case DesktopOpen::NoAnswer: return {kDesktopNoAnswer, true};
    case DesktopOpen::Failed: break;
  }
  if (RightsAboveDesktopUser(shell)) return {kRefusedAboveDesktop, true};
  shell.OpenFileHidden(path, dir);
  return {kOpenedByAgent};
}

bool ShowWebPageForUser(ShellPort& shell, const std::string& url) {
  switch (shell.OpenAsDesktopUser(url, "", false)) {
    case DesktopOpen::Opened: return true;
    case DesktopOpen::NoAnswer: return false;
    case DesktopOpen::Failed: break;
  }
  if (RightsAboveDesktopUser(shell)) return false;
  shell.ShowWebPage(url);
  return true;
}

OpenedFile TaskFileOpener::Open(const std::string& path, const std::string& dir) {
  OpenedFile opened = OpenTaskFile(shell_, path, dir);
  const bool desktopRefused = opened.detail == kRefusedAboveDesktop || opened.detail == kDesktopNoAnswer;
  if (desktopRefused && !refusalSaid_) {
    refusalSaid_ = true;
    notices_.ShowNotice(kTaskFileRefusedNotice);
  }
  return opened;
}

}  // namespace ordavi
