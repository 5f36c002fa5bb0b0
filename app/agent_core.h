// The agent's core parts composed once, in the order each needs the others,
// over the ports the caller gives: app/win32/main.cpp gives the Win32
// adapters, the tests give fakes, so what a test drives is what runs.
//
// Left to the caller: the main window and its windows (the settings dialog,
// the run history's window), which reach the core through `events`.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "actions/countdown.h"
#include "actions/junk.h"
#include "actions/postpone.h"
#include "app/agent.h"
#include "app/data_file.h"
#include "app/run_history.h"
#include "app/tray_tip.h"
#include "app/wake_watch.h"
#include "app/wiring.h"
#include "schedule/conditions.h"
#include "schedule/missed_runs.h"
#include "schedule/seen_minutes.h"
#include "schedule/sleep_watch.h"
#include "schedule/tick.h"
#include "store/unicode.h"

namespace ordavi {

struct AgentCorePorts {
  StoredState stored;
  AgentPorts agent;
  // The main window's timers and its countdown panel; `mainWindow` gives the
  // window once it exists.
  TimerPort& timers;
  CountdownView& countdownView;
  std::function<WindowId()> mainWindow;
  // The clocks.
  SystemClock& system;
  LocalClock& local;
  UtcClock& utc;
  DateFormatSource& dates;
  DisplayRequests& display;
  // What the tasks act on.
  ProcessSystem& processes;
  DialupSystem& dialup;
  WindowSystem& windows;
  SoundPlayer& sound;
  JunkSystem& junk;
  TempFolderSystem& tempFolders;
  FolderSecuritySystem& folderSecurity;
  ConditionSensors& sensors;
  WakeSystem& wake;
  // The run history and the last pass, in the user's local application data.
  DataFile& historyFile;
  DataFile& lastPassFile;
  GbkCodec& codec;
  std::string exePath;
  std::function<void()> openSettings;  // the tray's 设置
  std::uint32_t postponeMinuteMs = 60000;
};

class AgentCore {
 public:
  explicit AgentCore(const AgentCorePorts& ports);
  AgentCore(const AgentCore&) = delete;
  AgentCore& operator=(const AgentCore&) = delete;

  // Once the main window exists: the agent's start-up, the check of its
  // folder, and the tasks due while no agent ran.
  void Start();

  SleepWatch sleep;
  SeenMinutes minutes;
  TickRunState tickState;
  Agent agent;
  WakeWatch wake;
  OtherProgramsDisplayRequests display;
  ActivityClock activity;
  Matchers matchers;
  JunkCleaner junk;
  AgentTickActions tickActions;
  AgentCountdownSystem countdownSystem;
  Countdown countdown;
  TaskTick tick;
  Conditions conditions;
  RunHistory history;
  RunWatch runs;
  Postponement postponement;
  AgentEvents events;
  NextTaskWatch nextTask;
};

}  // namespace ordavi
