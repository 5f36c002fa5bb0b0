// The shell port for unit tests: logs "OpenFileHidden(path,dir)",
// "StartProgramHidden(path,dir)", "RunHidden(program,params,dir)",
// "OpenHelpFile(path)", "ShowWebPage(url)",
// "OpenAsDesktopUser(target,dir,hidden|shown)", which answers `desktop`.
#pragma once

#include <string>
#include <vector>

#include "actions/shell.h"
#include "store/testing/call_log.h"
#include "store/text.h"

namespace ordavi::testing {

class FakeShell : public Recording, public ShellPort {
 public:
  using Recording::Recording;
  void OpenFileHidden(const std::string& path, const std::string& dir) override {
    Record("OpenFileHidden", {path, dir});
  }
  bool StartProgramHidden(const std::string& path, const std::string& dir) override {
    Record("StartProgramHidden", {path, dir});
    return programStarts;
  }
  void RunHidden(const std::string& program, const std::string& params, const std::string& dir) override {
    Record("RunHidden", {program, params, dir});
  }
  void OpenHelpFile(const std::string& path) override { Record("OpenHelpFile", {path}); }
  void ShowWebPage(const std::string& url) override { Record("ShowWebPage", {url}); }
  DesktopOpen OpenAsDesktopUser(const std::string& target, const std::string& dir, bool hidden) override {
    Record("OpenAsDesktopUser", {target, dir, hidden ? "hidden" : "shown"});
    return desktop;
  }
  std::string WindowsDirectory() override { return windowsDirectory; }
  bool RunsElevated() override { return elevated; }
  bool DesktopRunsElevated() override { return desktopElevated; }
  std::string SystemProgram(const std::string& name) override {
    for (const std::string& program : systemPrograms) {
      if (SplitPath(program).name == name) return program;
    }
    return {};
  }

  std::string windowsDirectory = "C:\\windows";
  bool elevated = false;
  bool desktopElevated = false;
  std::vector<std::string> systemPrograms;  // full paths
  DesktopOpen desktop = DesktopOpen::Opened;
  bool programStarts = true;
};

}  // namespace ordavi::testing
