// The agent's core parts composed once, in the order each needs the others,
// over the ports the caller gives: app/win32/main.cpp gives the Win32
// adapters, the tests give fakes, so what a test drives is what runs. The
// core is also what the main window's messages mean (MainWindowEvents): each
// is routed to the part it belongs to, and decided there.
//
// Left to the caller: the main window and its windows (the settings dialog,
// the run history's window), which the core opens through the functions it
// is given.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "actions/countdown.h"
#include "actions/junk.h"
#include "actions/keep_awake.h"
#include "actions/postpone.h"
#include "app/agent.h"
#include "app/data_file.h"
#include "app/main_window_events.h"
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
  AwakeSystem& awake;  // the keep-awake's power request and the battery
  // The run history and the last pass, in the user's local application data.
  DataFile& historyFile;
  DataFile& lastPassFile;
  GbkCodec& codec;
  std::string exePath;
  std::function<void()> openSettings;                // the tray's 设置
  std::function<void(RunHistory&)> openRunHistory;  // the tray's 运行记录
  std::uint32_t postponeMinuteMs = 60000;
  // Tells the session's other programs (Ordavi.exe /list) the keep-awake's
  // tray tip line, GBK, empty when none runs; nothing to tell when not given.
  std::function<void(const std::string&)> publishKeepAwake;
};

class AgentCore : public MainWindowEvents, private AwakeView {
 public:
  explicit AgentCore(const AgentCorePorts& ports);
  AgentCore(const AgentCore&) = delete;
  AgentCore& operator=(const AgentCore&) = delete;

  // Once the main window exists: the agent's start-up, the check of its
  // folder, and the tasks due while no agent ran.
  void Start();

  // MainWindowEvents.
  // A pass, then the tray tip's second line and the wake timer.
  void OnTaskTick() override;
  void OnTickPauseEnd() override { tickState.EndPause(); }
  void OnCountdownSecond() override;
  void OnDoItNow() override { countdown.DoItNow(); }
  void OnCancelCountdown() override { countdown.Cancel(); }
  // The close box cancels a running countdown, as its cancel button does;
  // with no countdown (the window is hidden) it does nothing.
  void OnCloseBox() override {
    if (countdown.CountdownRunning()) countdown.Cancel(CountdownEnd::CloseBox);
  }
  bool OnCancelFromCommandLine() override;
  // /awake: minutes (0: off); only what the command line accepts is taken.
  bool OnKeepAwakeFromCommandLine(std::uint32_t minutes) override;
  void OnKeepAwakeTime() override;
  void OnPostpone(std::uint32_t minutes) override;
  void OnPostponedTime() override;
  void OnMenuCommand(MenuItem item) override;
  bool OpensMenu(std::uint32_t mouseMessage) override { return agent.OpensMenu(mouseMessage); }
  bool OnHotkey(std::uint32_t id) override { return agent.OnHotkey(id); }
  void OnPowerOrTimeChange(std::uint32_t message, std::uint32_t event) override;
  void OnWindowMessage(std::uint32_t message) override { agent.OnWindowMessage(message); }
  void OnClosing() override;
  void OnSessionEnding() override;
  void OnDestroyed() override { agent.OnMainWindowDestroyed(); }

  SleepWatch sleep;
  SeenMinutes minutes;
  TickRunState tickState;
  WakeWatch wake;
  Agent agent;
  RunHistory history;
  RunWatch runs;
  KeepAwake keepAwake;
  OtherProgramsDisplayRequests display;
  ActivityClock activity;
  Matchers matchers;
  JunkCleaner junk;
  AgentTickActions tickActions;
  AgentCountdownSystem countdownSystem;
  Conditions conditions;
  Countdown countdown;
  TaskTick tick;
  Postponement postponement;
  NextTaskWatch nextTask;

 private:
  // The one resume: whichever of a pass, a timer or a power message finds it
  // first, the run history hears it first (so what comes back is recorded
  // after the minutes the sleep missed), then the parts that measure time
  // (the conditions, the idle clock), the postponement, the keep-awake and
  // the wake timer.
  void Resumed();
  // The submenu 保持唤醒(&K).
  void OnAwakeMenu(MenuItem item);
  // The keep-awake as the tray shows it, and as it is published.
  void ShowKeepAwake(const std::string& line, int menuMinutes, bool screenOn) override;
  // The tray tip and menu show the postponement as it is now.
  void ShowPostponement();
  // Every end of the agent closes the books the same way: the minutes held up
  // to now recorded (and monitoring off kept for the next start), a running
  // countdown, a held action and a keep-awake given their end.
  void Ending(bool sessionEnding);

  TaskStore& tasks_;
  SystemClock& system_;
  LocalClock& local_;
  DateFormatSource& dates_;
  std::function<void()> openSettings_;
  std::function<void(RunHistory&)> openRunHistory_;
  std::function<void(const std::string&)> publishKeepAwake_;
};

}  // namespace ordavi
