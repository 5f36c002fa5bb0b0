// The forwarders that join the agent's parts: each turns a port call of the
// tick or the countdown into the call of the part that owns the behaviour
// (the agent, junk cleaning, the action modules). They hold no state and take
// no decision of their own. The main window's events are routed by the agent
// core (app/agent_core.h).
#pragma once

#include <functional>
#include <string>

#include "actions/close_all.h"
#include "actions/countdown.h"
#include "actions/junk.h"
#include "actions/network.h"
#include "actions/keep_awake.h"
#include "actions/open_for_user.h"
#include "actions/processes.h"
#include "app/agent.h"
#include "schedule/tick.h"

namespace ordavi {

// The actions of a due task of an immediate type or of the junk-cleaning type.
class AgentTickActions : public TickActions {
 public:
  AgentTickActions(NoticeSink& notices, ShellPort& shell, ProcessSystem& processes, DialupSystem& dialup,
                   JunkCleaner& junk, ordavi::KeepAwake& keepAwake)
      : notices_(notices),
        shell_(shell),
        processes_(processes),
        dialup_(dialup),
        junk_(junk),
        keepAwake_(keepAwake),
        opener_(shell, notices) {}

  void ShowNotice(const std::string& text) override;
  OpenedFile OpenFile(const std::string& path, const std::string& dir) override;
  void CloseProgramByName(const std::string& name) override;
  void DialDefaultConnection() override;
  void SetAdapterState(const std::string& name, bool enable) override;
  JunkResult CleanJunk(bool openLog) override;
  ActionResult KeepAwake(const RunRecord& task) override;

 private:
  NoticeSink& notices_;
  ShellPort& shell_;
  ProcessSystem& processes_;
  DialupSystem& dialup_;
  JunkCleaner& junk_;
  ordavi::KeepAwake& keepAwake_;
  TaskFileOpener opener_;
};

// What the countdown asks of the agent: monitoring off (on cancel), closing
// other programs (before a standby or hibernate), the dial-up hang-up.
class AgentCountdownSystem : public CountdownSystem {
 public:
  // `mainWindow` gives the main window once it exists.
  AgentCountdownSystem(Agent& agent, WindowSystem& windows, std::function<WindowId()> mainWindow,
                       DialupSystem& dialup, NoticeSink& notices)
      : agent_(agent), windows_(windows), mainWindow_(std::move(mainWindow)), dialup_(dialup), notices_(notices) {}

  void SwitchMonitoringOff() override { agent_.SwitchMonitoringOff(); }
  void CloseAllPrograms() override;
  void HangUpDialup() override;
  void ShowNotice(const std::string& text) override { notices_.ShowNotice(text); }

 private:
  Agent& agent_;
  WindowSystem& windows_;
  std::function<WindowId()> mainWindow_;
  DialupSystem& dialup_;
  NoticeSink& notices_;
};

}  // namespace ordavi
