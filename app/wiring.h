// The forwarders that join the task tick and the countdown to the rest of the
// agent: each turns a port call of the tick or the countdown into the call of
// the part that owns the behaviour (the agent core, the action modules). They
// hold no state and take no decision of their own.
#pragma once

#include <string>

#include "actions/close_all.h"
#include "actions/countdown.h"
#include "actions/junk.h"
#include "actions/network.h"
#include "actions/processes.h"
#include "app/agent.h"
#include "schedule/tick.h"

namespace ordavi {

// The actions of a due task of an immediate type or of the junk-cleaning type.
class AgentTickActions : public TickActions {
 public:
  AgentTickActions(NoticeSink& notices, ShellPort& shell, ProcessSystem& processes, DialupSystem& dialup,
                   JunkCleaner& junk)
      : notices_(notices), shell_(shell), processes_(processes), dialup_(dialup), junk_(junk) {}

  void ShowNotice(const std::string& text) override;
  // ShellExecuteA(NULL, "open", path, NULL, dir, SW_HIDE).
  void OpenFile(const std::string& path, const std::string& dir) override;
  void CloseProgramByName(const std::string& name) override;
  void DialDefaultConnection() override;
  void SetAdapterState(const std::string& name, bool enable) override;
  void CleanJunk(bool openLog) override;

 private:
  NoticeSink& notices_;
  ShellPort& shell_;
  ProcessSystem& processes_;
  DialupSystem& dialup_;
  JunkCleaner& junk_;
};

// Whether the tick may run again when its pause ends: the agent's monitoring
// state, and the settings dialog (not part of the agent yet, so never open).
class AgentTickGuards : public TickGuards {
 public:
  explicit AgentTickGuards(const Agent& agent) : agent_(agent) {}
  bool MonitoringOn() const override { return agent_.MonitoringOn(); }
  bool SettingsDialogOpen() const override { return false; }

 private:
  const Agent& agent_;
};

// What the countdown asks of the agent: monitoring off (on cancel), closing
// other programs (before a standby or hibernate), the dial-up hang-up.
class AgentCountdownSystem : public CountdownSystem {
 public:
  AgentCountdownSystem(Agent& agent, WindowSystem& windows, WindowId mainWindow, DialupSystem& dialup,
                       NoticeSink& notices)
      : agent_(agent), windows_(windows), mainWindow_(mainWindow), dialup_(dialup), notices_(notices) {}

  void SwitchMonitoringOff() override { agent_.SwitchMonitoringOff(); }
  void CloseAllPrograms() override;
  void HangUpDialup() override;

 private:
  Agent& agent_;
  WindowSystem& windows_;
  WindowId mainWindow_;
  DialupSystem& dialup_;
  NoticeSink& notices_;
};

}  // namespace ordavi
