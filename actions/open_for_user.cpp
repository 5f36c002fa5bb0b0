#include "actions/open_for_user.h"

#include "store/text.h"

namespace ordavi {

bool NamesProgram(const std::string& path) {
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || path.find('\\', dot) != std::string::npos) return false;
  const std::string ext = AsciiUpper(path.substr(dot));
  for (const char* program : {".EXE", ".COM", ".BAT", ".CMD", ".PIF", ".SCR"}) {
    if (ext == program) return true;
  }
  return false;
}

OpenedFile OpenTaskFile(ShellPort& shell, const std::string& path, const std::string& dir) {
  if (NamesProgram(path)) {
    // A folder written with either slash is a folder: "../x.exe" must not
    // be looked for, joined to the system directory, as a name alone.
    const bool hasFolder = !SplitPath(path).dir.empty() || path.find('/') != std::string::npos;
    if (hasFolder || !shell.RunsElevated()) {
      shell.OpenFileHidden(path, dir);
      return {};
    }
    const std::string found = shell.SystemProgram(path);
    if (found.empty()) return {kBareProgramRefused, true};
    shell.OpenFileHidden(found, dir);
    return {kRanFromSystemFolder};
  }
  if (shell.OpenAsDesktopUser(path, dir, true)) return {kOpenedAsUser};
  shell.OpenFileHidden(path, dir);
  return {kOpenedByAgent};
}

void ShowWebPageForUser(ShellPort& shell, const std::string& url) {
  if (!shell.OpenAsDesktopUser(url, "", false)) shell.ShowWebPage(url);
}

}  // namespace ordavi
