#include "app/agent_core.h"

namespace ordavi {

AgentCore::AgentCore(const AgentCorePorts& p)
    : sleep(p.system, [this] { Resumed(); }),
      minutes(p.local, p.utc, p.system),
      tickState(p.timers, &minutes, &p.local),
      wake(p.stored.tasks, p.wake, sleep),
      agent(p.agent, p.stored, tickState, [this] { wake.Stop(); }),
      history(p.historyFile, p.codec, p.agent.notices),
      runs(RunWatchPorts{p.stored.tasks, p.dates, minutes, p.agent.notices, p.lastPassFile, sleep}, history),
      keepAwake(AwakePorts{p.awake, p.timers, sleep, p.local, p.sensors, p.stored.options, *this, p.agent.notices}, runs),
      display(p.display, wake, keepAwake),
      activity(p.system, display),
      matchers(activity, p.dates),
      junk(JunkPorts{p.junk, p.tempFolders, p.folderSecurity, p.local, p.agent.notices}, p.exePath),
      tickActions(p.agent.notices, p.agent.shell, p.processes, p.dialup, junk, keepAwake),
      countdownSystem(agent, p.windows, p.mainWindow, p.dialup, p.agent.notices),
      conditions(p.sensors, sleep),
      countdown(p.stored.options, p.countdownView, p.timers, tickState, p.sound, countdownSystem, p.agent.power, runs),
      tick(p.stored.tasks, matchers, conditions, p.local, tickState, minutes, tickActions, countdown, runs),
      postponement(countdown, p.timers, sleep, p.local, p.agent.notices, runs, p.postponeMinuteMs),
      tasks_(p.stored.tasks),
      system_(p.system),
      local_(p.local),
      dates_(p.dates),
      openSettings_(p.openSettings),
      openRunHistory_(p.openRunHistory),
      publishKeepAwake_(p.publishKeepAwake) {}

void AgentCore::Start() {
  agent.Start();
  junk.CheckAgentFolder();
  runs.Start();  // tasks due while no agent ran
}

void AgentCore::OnTaskTick() {
  sleep.Look();
  tick.RunPass();
  // Missed tasks flagged to catch up run after a pass the tick ran freely.
  if (tickState.Running()) {
    for (const RunRecord& missed : runs.CatchUpsDue()) tick.CatchUp(missed.taskNumber, missed.due);
  }
  const ScheduleNow now = local_.LocalTime();
  const std::uint32_t uptime = UptimeMinutes(system_);
  const std::string dateFormat = dates_.ShortDateFormat();
  agent.ShowNextTask(nextTask.Line(tasks_, now, uptime, dateFormat));
  wake.AfterPass(now, uptime, dateFormat);
}

void AgentCore::OnCountdownSecond() {
  sleep.Look();
  countdown.OnSecond();
}

void AgentCore::OnMenuCommand(MenuItem item) {
  if (item == MenuItem::CleanJunk) {
    tickState.WhileCleaningJunk([this] { junk.CleanJunk(true); });  // the menu shows the log afterwards
  } else if (item == MenuItem::Settings) {
    openSettings_();
  } else if (item == MenuItem::RunHistory) {
    openRunHistory_(history);
  } else if (item >= MenuItem::Awake30) {
    OnAwakeMenu(item);
  } else if (item == MenuItem::CancelPostponed) {
    if (postponement.Cancel(CountdownEnd::CancelButton)) ShowPostponement();
  } else {
    agent.OnMenuCommand(item);
  }
}

void AgentCore::OnAwakeMenu(MenuItem item) {
  if (item == MenuItem::AwakeCancel) {
    keepAwake.Stop(AwakeEnd::TrayMenu);
  } else if (item == MenuItem::AwakeDisplay) {
    keepAwake.SetScreenOn(!keepAwake.ScreenOn());
  } else {
    keepAwake.StartFrom(true, AwakeMinutesOf(item));
  }
}

void AgentCore::ShowKeepAwake(const std::string& line, int menuMinutes, bool screenOn) {
  agent.ShowKeepAwake(line, menuMinutes, screenOn);
  if (publishKeepAwake_) publishKeepAwake_(line);
}

bool AgentCore::OnKeepAwakeFromCommandLine(std::uint32_t minutes) {
  if (minutes == 0) return keepAwake.Stop(AwakeEnd::CommandLine);
  if (minutes > kMaxAwakeMinutes) return false;
  return !keepAwake.StartFrom(false, static_cast<std::int32_t>(minutes)).refused;
}

void AgentCore::OnKeepAwakeTime() {
  sleep.Look();
  keepAwake.OnTimer();
}

void AgentCore::Resumed() {
  runs.OnResume();
  conditions.Resumed();
  activity.Resumed();
  postponement.Resumed();
  ShowPostponement();
  keepAwake.Resumed();
  wake.TasksChanged();
}

void AgentCore::OnPowerOrTimeChange(std::uint32_t message, std::uint32_t event) {
  if (message == kWmTimeChange) {
    wake.TasksChanged();
    runs.OnTimeChanged();
    return;
  }
  if (message != kWmPowerBroadcast) return;
  if (event == kPbtSuspend) {
    sleep.Suspending();
  } else if (event == kPbtResumeAutomatic || event == kPbtResumeSuspend) {
    sleep.ResumeMessage(event == kPbtResumeSuspend);
    if (event == kPbtResumeSuspend) {
      postponement.PersonMayBeBack();
      ShowPostponement();
    }
  }
}

bool AgentCore::OnCancelFromCommandLine() {
  if (countdown.CountdownRunning()) {
    countdown.Cancel(CountdownEnd::CommandLine);
    return true;
  }
  if (!postponement.Cancel(CountdownEnd::CommandLine)) return false;
  ShowPostponement();
  return true;
}

void AgentCore::OnPostpone(std::uint32_t minutes) {
  if (postponement.Postpone(minutes)) ShowPostponement();
}

void AgentCore::OnPostponedTime() {
  sleep.Look();
  postponement.OnTimer();
  ShowPostponement();
}

void AgentCore::OnClosing() {
  Ending(false);
  agent.OnMainWindowClosing();
}

void AgentCore::OnSessionEnding() {
  Ending(true);
  agent.OnMainWindowClosing();
}

void AgentCore::Ending(bool sessionEnding) {
  runs.AgentEnding();
  countdown.AgentEnding(sessionEnding);
  postponement.AgentEnding(sessionEnding);
  keepAwake.Stop(sessionEnding ? AwakeEnd::SessionEnded : AwakeEnd::AgentEnded);
}

void AgentCore::ShowPostponement() { agent.ShowPostponed(postponement.Line(), postponement.CancelCaption()); }

}  // namespace ordavi
