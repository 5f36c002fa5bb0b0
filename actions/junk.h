// Junk cleaning: runs the batch script QLLJ.bat that lies beside the agent,
// hidden and at idle priority, with its output kept in a dated log file in the
// same directory.
#pragma once

#include <string>
#include <utility>

#include "schedule/local_clock.h"

namespace ordavi {

inline constexpr const char* kJunkScriptName = "QLLJ.bat";

// "清理系统垃圾列表" + year month day + "_" + hour minute second + ".txt", each
// number in plain decimal without leading zeros: 5 March 2024 08:07:09 gives
// 清理系统垃圾列表202435_879.txt.
std::string JunkLogName(const ScheduleNow& now);

// cmd.exe /c ""<dir>QLLJ.bat" > "<log path>"". Both paths are quoted so that a
// directory with a blank in it works; cmd takes off the outer pair of quotes.
std::string JunkCommandLine(const std::string& agentDir, const std::string& logPath);

// Port: starting the script and showing its log.
class JunkSystem {
 public:
  virtual ~JunkSystem() = default;
  // Starts the command line hidden, at idle priority, and waits for it
  // without a time limit. False when the process could not be started.
  virtual bool RunHiddenAndWait(const std::string& commandLine) = 0;
  // Opens the log in the program associated with text files, with `dir` as
  // working directory.
  virtual void OpenLog(const std::string& logPath, const std::string& dir) = 0;
};

class JunkCleaner {
 public:
  // `agentDir` is the directory of the agent's executable, with its trailing
  // path separator.
  JunkCleaner(JunkSystem& system, LocalClock& clock, std::string agentDir)
      : system_(system), clock_(clock), agentDir_(std::move(agentDir)) {}

  // Runs the cleaning and returns when the script has ended. The tray menu
  // passes openLog true to show the log afterwards; a task passes false.
  void CleanJunk(bool openLog);

 private:
  JunkSystem& system_;
  LocalClock& clock_;
  std::string agentDir_;
};

}  // namespace ordavi
