#include "app/agent_core.h"

namespace ordavi {

AgentCore::AgentCore(const AgentCorePorts& p)
    : sleep(p.system),
      minutes(p.local, p.utc, p.system),
      tickState(p.timers, &minutes, &p.local),
      agent(p.agent, p.stored, tickState),
      wake(p.stored.tasks, p.wake, sleep),
      display(p.display, wake),
      activity(p.system, display),
      matchers(activity, p.dates),
      junk(JunkPorts{p.junk, p.tempFolders, p.folderSecurity, p.local, p.agent.notices}, p.exePath),
      tickActions(p.agent.notices, p.agent.shell, p.processes, p.dialup, junk),
      countdownSystem(agent, p.windows, p.mainWindow, p.dialup, p.agent.notices),
      countdown(p.stored.options, p.countdownView, p.timers, tickState, p.sound, countdownSystem, p.agent.power),
      tick(p.stored.tasks, matchers, p.local, tickState, minutes, tickActions, countdown),
      conditions(p.sensors, sleep),
      history(p.historyFile, p.codec, p.agent.notices),
      runs(RunWatchPorts{p.stored.tasks, p.dates, minutes, p.agent.notices, p.lastPassFile}, history),
      postponement(countdown, p.timers, sleep, p.local, p.agent.notices, p.postponeMinuteMs),
      events(agent, tick, tickState, countdown, junk, p.openSettings, &runs) {
  tick.SetConditions(&conditions);
  tick.SetRecorder(&runs);
  countdown.SetRecorder(&runs);
  postponement.SetRecorder(&runs);
  events.SetPostponement(postponement);
  SystemClock& system = p.system;
  LocalClock& local = p.local;
  DateFormatSource& dates = p.dates;
  TaskStore& tasks = p.stored.tasks;
  events.ShowNextTaskWith([this, &system, &local, &dates, &tasks] {
    return nextTask.Line(tasks, local.LocalTime(), UptimeMinutes(system), dates.ShortDateFormat());
  });
  events.WatchWakeWith(wake, [this, &system, &local, &dates] {
    wake.AfterPass(local.LocalTime(), UptimeMinutes(system), dates.ShortDateFormat());
  });
  events.WatchSleepWith(sleep, [this] {
    conditions.Resumed();
    activity.Resumed();
  });
  agent.WhenMonitoringGoesOff([this] { wake.Stop(); });
}

void AgentCore::Start() {
  agent.Start();
  junk.CheckAgentFolder();
  runs.Start();  // tasks due while no agent ran
}

}  // namespace ordavi
