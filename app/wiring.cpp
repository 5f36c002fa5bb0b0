#include "app/wiring.h"

namespace ordavi {

namespace {
constexpr int kSwHide = 0;
}

void AgentTickActions::ShowNotice(const std::string& text) { notices_.ShowNotice(text); }

void AgentTickActions::OpenFile(const std::string& path, const std::string& dir) {
  shell_.Execute(ShellOwner::None, std::string("open"), path, std::nullopt, dir, kSwHide);
}

void AgentTickActions::CloseProgramByName(const std::string& name) { ordavi::CloseProgramByName(name, processes_); }

void AgentTickActions::DialDefaultConnection() { ordavi::DialDefaultConnection(dialup_); }

void AgentTickActions::SetAdapterState(const std::string& name, bool enable) {
  ordavi::SetAdapterState(name, enable, shell_, notices_);
}

void AgentTickActions::CleanJunk(bool openLog) { junk_.CleanJunk(openLog); }

void AgentCountdownSystem::CloseAllPrograms() { ordavi::CloseAllPrograms(windows_, mainWindow_); }

void AgentCountdownSystem::HangUpDialup() { ordavi::HangUpDialup(dialup_, notices_); }

}  // namespace ordavi
