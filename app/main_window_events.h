// What the main window's messages mean to the agent. The Win32 main window
// turns each message it receives into one of these calls and decides nothing
// itself; the agent core (app/agent_core.h) routes them to the agent, the task tick, the countdown
// and junk cleaning.
#pragma once

#include <cstdint>

#include "app/menu.h"

namespace ordavi {

// The messages of OnPowerOrTimeChange and the power events that mean the PC
// has resumed from standby or hibernation (PBT_APMRESUMESUSPEND after a
// resume the user started, PBT_APMRESUMEAUTOMATIC after every resume).
inline constexpr std::uint32_t kWmTimeChange = 0x001E, kWmPowerBroadcast = 0x0218;
inline constexpr std::uint32_t kPbtResumeSuspend = 0x0007, kPbtResumeAutomatic = 0x0012;
inline constexpr std::uint32_t kPbtSuspend = 0x0004;  // PBT_APMSUSPEND: the PC is about to sleep
// Sent to the main window by the agent slot for Ordavi.exe /cancel (WM_APP + 1).
inline constexpr std::uint32_t kCancelCountdownMessage = 0x8001;
// Sent to it for Ordavi.exe /awake, with the minutes in wParam, 0 for off
// (WM_APP + 2).
inline constexpr std::uint32_t kKeepAwakeMessage = 0x8002;

class MainWindowEvents {
 public:
  virtual ~MainWindowEvents() = default;
  virtual void OnTaskTick() = 0;          // the task tick's timer
  virtual void OnTickPauseEnd() = 0;      // the tick pause's timer
  virtual void OnCountdownSecond() = 0;   // the countdown's timer
  virtual void OnDoItNow() = 0;           // the countdown's do-it-now button
  virtual void OnCancelCountdown() = 0;   // the countdown's cancel button (also Esc)
  // The window's close box, Alt+F4 or the system menu's close: the user
  // means "no" to the countdown; only the tray menu's exit ends the agent.
  virtual void OnCloseBox() = 0;
  // kCancelCountdownMessage: /cancel, which means "no" as the close box does,
  // to a running countdown or a postponed one. True when it cancelled one.
  virtual bool OnCancelFromCommandLine() = 0;
  // kKeepAwakeMessage: /awake. True when the keep-awake started or ended.
  virtual bool OnKeepAwakeFromCommandLine(std::uint32_t minutes) = 0;
  // The countdown's 推迟 button, with the minutes chosen from its menu.
  virtual void OnPostpone(std::uint32_t minutes) = 0;
  virtual void OnPostponedTime() = 0;  // the postponed action's timer
  virtual void OnKeepAwakeTime() = 0;  // the keep-awake's check timer
  virtual void OnMenuCommand(MenuItem item) = 0;
  // The tray icon's callback: true when the popup menu is to be opened.
  virtual bool OpensMenu(std::uint32_t mouseMessage) = 0;
  // WM_HOTKEY: true (message result 1) when the identifier is one of ours.
  virtual bool OnHotkey(std::uint32_t id) = 0;
  // WM_POWERBROADCAST with its event, or WM_TIMECHANGE (event 0), after
  // their default handling.
  virtual void OnPowerOrTimeChange(std::uint32_t message, std::uint32_t event) = 0;
  // Any other message, after its default handling.
  virtual void OnWindowMessage(std::uint32_t message) = 0;
  virtual void OnClosing() = 0;    // the window closes, ending the agent
  // WM_ENDSESSION: the user's session ends (log-off, or another program
  // shuts the PC down or restarts it); the agent ends with it.
  virtual void OnSessionEnding() = 0;
  virtual void OnDestroyed() = 0;  // the window is destroyed
};

}  // namespace ordavi
