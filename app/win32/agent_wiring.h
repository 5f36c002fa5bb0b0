// The composition of the running agent: the Win32 adapters of the task tick,
// the countdown and junk cleaning, the core objects over them, and the hooks
// of the main window that drive them. Built once, after start-up, and kept
// for the agent's whole life.
#pragma once

#include <memory>

#include "actions/countdown.h"
#include "actions/junk.h"
#include "actions/win32/win32_actions.h"
#include "actions/win32/win32_network.h"
#include "actions/win32/win32_windows.h"
#include "app/agent.h"
#include "app/win32/Unit1.h"
#include "app/wiring.h"
#include "schedule/tick.h"
#include "schedule/win32/win32_clock.h"

namespace ordavi {

class AgentWiring {
 public:
  // `form1` has run start-up on `agent`; the other ports are the agent's own.
  AgentWiring(TForm1& form1, Agent& agent, NoticeSink& notices, ShellPort& shell, PowerSystem& power);
  AgentWiring(const AgentWiring&) = delete;
  AgentWiring& operator=(const AgentWiring&) = delete;
  ~AgentWiring();

 private:
  TForm1& form1_;
  Win32SystemClock systemClock_;
  Win32DateFormatSource dateFormat_;
  Matchers matchers_{systemClock_, dateFormat_};
  Win32LocalClock localClock_;
  Win32ProcessSystem processes_;
  Win32DialupSystem dialup_;
  Win32WindowSystem windows_;
  Win32JunkSystem junkSystem_;
  Win32SoundPlayer sound_;
  JunkCleaner junk_;
  AgentTickActions tickActions_;
  AgentTickGuards guards_;
  AgentCountdownSystem countdownSystem_;
  Countdown countdown_;
  std::unique_ptr<TaskTick> tick_;  // none when start-up left no task store
};

}  // namespace ordavi
