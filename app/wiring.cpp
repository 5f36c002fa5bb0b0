#include "app/wiring.h"

namespace ordavi {

void AgentTickActions::ShowNotice(const std::string& text) { notices_.ShowNotice(text); }

OpenedFile AgentTickActions::OpenFile(const std::string& path, const std::string& dir) {
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
  } else if (item == MenuItem::CancelPostponed) {
    if (postponement_ && postponement_->Cancel(CountdownEnd::CancelButton)) ShowPostponement();
  } else {
    agent_.OnMenuCommand(item);
  }
}

void AgentEvents::OnPowerOrTimeChange(std::uint32_t message, std::uint32_t event) {
  const bool resumed = message == kWmPowerBroadcast && (event == kPbtResumeAutomatic || event == kPbtResumeSuspend);
  if (wake_ && (message == kWmTimeChange || resumed)) wake_->TasksChanged();
  if (runs_ && message == kWmTimeChange) runs_->OnTimeChanged();
  if (runs_ && resumed) runs_->OnResume();
  // After the run history has heard of the resume, so a countdown that comes
  // back now is recorded after the minutes the sleep missed.
  if (postponement_ && resumed) {
    postponement_->Resumed();
    ShowPostponement();
  }
}

bool AgentEvents::OnCancelFromCommandLine() {
  if (countdown_.CountdownRunning()) {
    countdown_.Cancel(CountdownEnd::CommandLine);
    return true;
  }
  if (!postponement_ || !postponement_->Cancel(CountdownEnd::CommandLine)) return false;
  ShowPostponement();
  return true;
}

void AgentEvents::OnPostpone(std::uint32_t minutes) {
  if (postponement_ && postponement_->Postpone(minutes)) ShowPostponement();
}

void AgentEvents::OnPostponedTime() {
  if (!postponement_) return;
  postponement_->OnTimer();
  ShowPostponement();
}

void AgentEvents::OnClosing() {
  if (postponement_) postponement_->AgentEnding();
  agent_.OnMainWindowClosing();
}

void AgentEvents::ShowPostponement() {
  agent_.ShowPostponed(postponement_->Line(), postponement_->CancelCaption());
}

}  // namespace ordavi
