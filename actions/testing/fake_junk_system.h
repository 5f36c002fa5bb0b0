// The junk-cleaning port (log and script) for unit tests: logs
// "WriteLog(path,new)" or "WriteLog(path,add)" (keeping the text in `logs`;
// refused when `writable` is false), "RunHiddenAndWait(command line)"
// (answering `scriptStarts`) and "OpenLog(path,dir)"; QLLJ.bat reads as
// `script`.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "actions/junk.h"
#include "store/testing/call_log.h"

namespace ordavi::testing {

class FakeJunkSystem : public Recording, public JunkSystem {
 public:
  using Recording::Recording;
  bool WriteLog(const std::string& logPath, const std::string& text, bool append) override {
    Record("WriteLog", {logPath, append ? "add" : "new"});
    if (!writable) return false;
    logs[logPath] = (append ? logs[logPath] : std::string()) + text;
    return true;
  }
  std::optional<std::string> ReadScript(const std::string&) override { return script; }
  std::string SystemFolder() override { return systemFolder; }
  bool RunHiddenAndWait(const std::string& commandLine) override {
    Record("RunHiddenAndWait", {commandLine});
    return scriptStarts;
  }
  void OpenLog(const std::string& logPath, const std::string& dir) override { Record("OpenLog", {logPath, dir}); }

  std::map<std::string, std::string> logs;
  std::optional<std::string> script;  // no QLLJ.bat unless set
  std::string systemFolder = "C:\\Windows\\system32\\";
  bool writable = true;
  bool scriptStarts = true;
};

}  // namespace ordavi::testing
