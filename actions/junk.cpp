#include "actions/junk.h"

#include "store/text.h"

namespace ordavi {

namespace {

std::string Two(int n) { return (n < 10 ? "0" : "") + Decimal(n); }

// 2024-03-05 08:07:09
std::string Stamp(const ScheduleNow& t) {
  return Decimal(t.year) + "-" + Two(t.month) + "-" + Two(t.day) + " " + Two(t.hour) + ":" + Two(t.minute) + ":" +
         Two(t.second);
}

}  // namespace

std::string JunkLogName(const ScheduleNow& now) {
  return "清理系统垃圾列表" + Decimal(now.year) + Decimal(now.month) + Decimal(now.day) + "_" + Decimal(now.hour) +
         Decimal(now.minute) + Decimal(now.second) + ".txt";
}

std::string JunkScriptCommandLine(const std::string& systemDir, const std::string& agentDir,
                                  const std::string& logPath) {
  return "\"" + systemDir + "cmd.exe\" /D /c \"\"" + agentDir + kJunkScriptName + "\" >> \"" + logPath + "\"\"";
}

JunkCleaner::JunkCleaner(const JunkPorts& ports, const std::string& exePath)
    : p_(ports), exePath_(exePath), agentDir_(SplitPath(exePath).dir) {}

bool JunkCleaner::Refused() { return p_.security.RunsElevated() && AgentFolderOpenToOthers(p_.security, exePath_); }

void JunkCleaner::CheckAgentFolder() {
  if (Refused()) p_.notices.ShowNotice(kOpenFolderNotice);
}

JunkResult JunkCleaner::CleanJunk(bool openLog) {
  if (Refused()) {
    if (openLog) p_.notices.ShowNotice(kOpenFolderNotice);
    return JunkResult::OpenFolder;
  }
  const ScheduleNow started = p_.clock.LocalTime();
  const std::string logPath = agentDir_ + JunkLogName(started);
  // Where no log can be written (an agent without administrator rights in a
  // folder only administrators may change), nothing is cleaned.
  if (!p_.system.WriteLog(logPath, "Ordavi junk cleaning, started " + Stamp(started) + "\r\n", false)) {
    return JunkResult::NoLog;
  }
  std::string log;
  const CleaningTotals t = CleanTempFolders(p_.folders, log, p_.security.RunsElevated());
  log += "\r\nRemoved: " + Decimal(t.files) + " files, " + Decimal(t.folders) +
         " folders. Kept: " + Decimal(t.kept) + " (in use, or holding a link).\r\n";
  p_.system.WriteLog(logPath, log, true);
  RunScript(logPath);
  p_.system.WriteLog(logPath, "\r\nFinished " + Stamp(p_.clock.LocalTime()) + "\r\n", true);
  if (openLog) p_.system.OpenLog(logPath, agentDir_);
  return JunkResult::Cleaned;
}

// The user's own steps, if there is a QLLJ.bat.
void JunkCleaner::RunScript(const std::string& logPath) {
  const std::string script = agentDir_ + kJunkScriptName;
  const auto text = p_.system.ReadScript(script);
  if (!text) return;
  if (text->find(kEarlierScriptHeader) != std::string::npos) {
    p_.system.WriteLog(logPath,
                       "\r\nQLLJ.bat is the earlier cleaning script; Ordavi now does that itself and does not run "
                       "it. Replace it with the QLLJ.bat of this version to add steps of your own.\r\n",
                       true);
    return;
  }
  p_.system.WriteLog(logPath, "\r\nQLLJ.bat:\r\n", true);
  if (!p_.system.RunHiddenAndWait(JunkScriptCommandLine(p_.system.SystemFolder(), agentDir_, logPath))) {
    p_.system.WriteLog(logPath, "  could not be started\r\n", true);
  }
}

}  // namespace ordavi
