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

void AgentEvents::WatchSleepWith(SleepWatch& sleep, std::function<void()> counters) {
  sleep_ = &sleep;
  resumeCounters_ = std::move(counters);
  sleep.OnResume([this] { Resumed(); });
}

void AgentEvents::Resumed() {
  if (runs_) runs_->OnResume();
  if (resumeCounters_) resumeCounters_();
  if (postponement_) {
    postponement_->Resumed();
    ShowPostponement();
  }
  if (wake_) wake_->TasksChanged();
}

void AgentEvents::OnPowerOrTimeChange(std::uint32_t message, std::uint32_t event) {
  if (message == kWmTimeChange) {
    if (wake_) wake_->TasksChanged();
    if (runs_) runs_->OnTimeChanged();
    return;
  }
  if (message != kWmPowerBroadcast || !sleep_) return;
  if (event == kPbtSuspend) {
    sleep_->Suspending();
  } else if (event == kPbtResumeAutomatic || event == kPbtResumeSuspend) {
    sleep_->ResumeMessage(event == kPbtResumeSuspend);
    if (event == kPbtResumeSuspend && postponement_) {
      postponement_->PersonMayBeBack();
      ShowPostponement();
    }
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
  if (sleep_) sleep_->Look();
  postponement_->OnTimer();
  ShowPostponement();
}

void AgentEvents::OnClosing() {
  Ending(false);
  agent_.OnMainWindowClosing();
}

void AgentEvents::OnSessionEnding() {
  Ending(true);
  agent_.OnMainWindowClosing();
}

void AgentEvents::Ending(bool sessionEnding) {
  if (runs_) runs_->AgentEnding();
  countdown_.AgentEnding(sessionEnding);
  if (postponement_) postponement_->AgentEnding(sessionEnding);
}

void AgentEvents::ShowPostponement() {
  agent_.ShowPostponed(postponement_->Line(), postponement_->CancelCaption());
}

}  // namespace ordavi
