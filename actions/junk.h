// Junk cleaning: the agent empties the temporary-file folders itself
// (temp_cleaning.h) and writes what it removed into a dated log beside its
// executable. A QLLJ.bat beside the agent, where the user may add steps of
// their own, runs afterwards with its output added to the same log.
#pragma once

#include <optional>
#include <string>

#include "actions/agent_folder.h"
#include "actions/notices.h"
#include "actions/temp_cleaning.h"
#include "schedule/local_clock.h"
#include "schedule/run_record.h"

namespace ordavi {

inline constexpr const char* kJunkScriptName = "QLLJ.bat";

// "清理系统垃圾列表" + year month day + "_" + hour minute second + ".txt", each
// number in plain decimal without leading zeros: 5 March 2024 08:07:09 gives
// 清理系统垃圾列表202435_879.txt.
std::string JunkLogName(const ScheduleNow& now);

// "<systemDir>cmd.exe" /D /c ""<dir>QLLJ.bat" >> "<log path>"": the command
// interpreter by its full path, without the AutoRun commands of the registry,
// adding the script's output to the log. cmd takes off the outer pair of
// quotes. `systemDir` ends in its separator.
std::string JunkScriptCommandLine(const std::string& systemDir, const std::string& agentDir,
                                  const std::string& logPath);

// The earlier QLLJ.bat, which emptied the folders itself, begins with this
// line. The agent does that now, safely; a copy of that script left beside a
// new agent is not run again.
inline constexpr const char* kEarlierScriptHeader = "rem QLLJ.bat - junk cleaning for Ordavi.";

// Port: the log and the script.
class JunkSystem {
 public:
  virtual ~JunkSystem() = default;
  // Writes (or, with `append`, adds to) the log; the text is UTF-8 and is
  // stored in code page 936, as the command interpreter writes on a Chinese
  // system. False when the file cannot be written.
  virtual bool WriteLog(const std::string& logPath, const std::string& utf8Text, bool append) = 0;
  // The script's first 64 KB; nullopt when there is no such file.
  virtual std::optional<std::string> ReadScript(const std::string& path) = 0;
  // The system directory, with its trailing separator.
  virtual std::string SystemFolder() = 0;
  // Starts the command line hidden, at idle priority, and waits for it
  // without a time limit. False when the process could not be started.
  virtual bool RunHiddenAndWait(const std::string& commandLine) = 0;
  // Opens the log in the system's Notepad (never through the user's file
  // association); `dir` is the folder that holds it.
  virtual void OpenLog(const std::string& logPath, const std::string& dir) = 0;
};

struct JunkPorts {
  JunkSystem& system;
  TempFolderSystem& folders;
  FolderSecuritySystem& security;
  LocalClock& clock;
  NoticeSink& notices;
};

class JunkCleaner {
 public:
  // `exePath` is the agent's executable; its folder holds the logs and QLLJ.bat.
  JunkCleaner(const JunkPorts& ports, const std::string& exePath);

  // At start: with administrator rights in a folder others can change, says
  // so once (kOpenFolderNotice).
  void CheckAgentFolder();

  // Runs the cleaning and returns when it has ended. The tray menu passes
  // openLog true to show the log afterwards; a task passes false. With
  // administrator rights in a folder others can change nothing is cleaned,
  // and the menu repeats the notice; where the log cannot be written nothing
  // is cleaned either. The result says which.
  JunkResult CleanJunk(bool openLog);

 private:
  bool Refused();
  void RunScript(const std::string& logPath);

  JunkPorts p_;
  std::string exePath_;
  std::string agentDir_;
};

}  // namespace ordavi
