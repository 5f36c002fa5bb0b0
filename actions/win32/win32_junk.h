// The junk-cleaning runner: its log, the user's script beside the program and
// the hidden cleaning run.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "actions/junk.h"

namespace ordavi {

// The log written in code page 936; CreateProcessW hidden at idle priority,
// waiting without a time limit; the log is opened in notepad.exe of the
// Windows directory (OpenInNotepad).
class Win32JunkSystem : public JunkSystem {
 public:
  bool WriteLog(const std::string& logPath, const std::string& utf8Text, bool append) override;
  std::optional<std::string> ReadScript(const std::string& path) override;
  std::string SystemFolder() override;
  bool RunHiddenAndWait(const std::string& commandLine) override;
  void OpenLog(const std::string& logPath, const std::string& dir) override;
};

}  // namespace ordavi
