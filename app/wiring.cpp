#include "app/wiring.h"

namespace ordavi {

void AgentTickActions::ShowNotice(const std::string& text) { notices_.ShowNotice(text); }

OpenedFile AgentTickActions::OpenFile(const std::string& path, const std::string& dir) {
  return opener_.Open(path, dir);
}

void AgentTickActions::CloseProgramByName(const std::string& name) { ordavi::CloseProgramByName(name, processes_); }

void AgentTickActions::DialDefaultConnection() { ordavi::DialDefaultConnection(dialup_); }

void AgentTickActions::SetAdapterState(const std::string& name, bool enable) {
  ordavi::SetAdapterState(name, enable, shell_, notices_);
}

JunkResult AgentTickActions::CleanJunk(bool openLog) { return junk_.CleanJunk(openLog); }

ActionResult AgentTickActions::KeepAwake(const RunRecord& task) { return keepAwake_.StartTask(task); }

void AgentCountdownSystem::CloseAllPrograms() { ordavi::CloseAllPrograms(windows_, mainWindow_()); }

void AgentCountdownSystem::HangUpDialup() { ordavi::HangUpDialup(dialup_, notices_); }

}  // namespace ordavi
