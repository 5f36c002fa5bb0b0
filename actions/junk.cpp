#include "actions/junk.h"

#include "store/text.h"

namespace ordavi {

std::string JunkLogName(const ScheduleNow& now) {
  return "清理系统垃圾列表" + Decimal(now.year) + Decimal(now.month) + Decimal(now.day) + "_" + Decimal(now.hour) +
         Decimal(now.minute) + Decimal(now.second) + ".txt";
}

std::string JunkCommandLine(const std::string& agentDir, const std::string& logPath) {
  return "cmd.exe /c \"\"" + agentDir + kJunkScriptName + "\" > \"" + logPath + "\"\"";
}

void JunkCleaner::CleanJunk(bool openLog) {
  const std::string logPath = agentDir_ + JunkLogName(clock_.LocalTime());
  if (!system_.RunHiddenAndWait(JunkCommandLine(agentDir_, logPath))) return;
  if (openLog) system_.OpenLog(logPath, agentDir_);
}

}  // namespace ordavi
