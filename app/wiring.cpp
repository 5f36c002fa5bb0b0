#include "app/wiring.h"

namespace ordavi {

void AgentTickActions::ShowNotice(const std::string& text) { notices_.ShowNotice(text); }

std::string AgentTickActions::OpenFile(const std::string& path, const std::string& dir) {
  return OpenTaskFile(shell_, path, dir);
}

void AgentTickActions::CloseProgramByName(const std::string& name) { ordavi::CloseProgramByName(name, processes_); }

void AgentTickActions::DialDefaultConnection() { ordavi::DialDefaultConnection(dialup_); }

void AgentTickActions::SetAdapterState(const std::string& name, bool enable) {
  ordavi::SetAdapterState(name, enable, shell_, notices_);
}

JunkResult AgentTickActions::CleanJunk(bool openLog) { return junk_.CleanJunk(openLog); }

void AgentCountdownSystem::CloseAllPrograms() { ordavi::CloseAllPrograms(windows_, mainWindow_()); }

void AgentCountdownSystem::HangUpDialup() { ordavi::HangUpDialup(dialup_, notices_); }

void AgentEvents::OnMenuCommand(MenuItem item) {
  if (item == MenuItem::CleanJunk) {
    tickState_.WhileCleaningJunk([this] { junk_.CleanJunk(true); });  // the menu shows the log afterwards
  } else if (item == MenuItem::Settings) {
    openSettings_();
  } else if (item == MenuItem::RunHistory) {
    if (openRunHistory_) openRunHistory_();
  } else {
    agent_.OnMenuCommand(item);
  }
}

void AgentEvents::OnPowerOrTimeChange(std::uint32_t message, std::uint32_t event) {
  const bool resume = message == kWmPowerBroadcast && (event == kPbtResumeAutomatic || event == kPbtResumeSuspend);
  if (wake_ && (message == kWmTimeChange || resume)) wake_->TasksChanged();
  if (!runs_) return;
  if (message == kWmTimeChange) {
    runs_->OnTimeChanged();
  } else if (resume) {
    runs_->OnResume();
  }
}

}  // namespace ordavi
