// The wake port over a waitable timer and the thread's execution state, and
// the keep-awake's power request (PowerCreateRequest with its reason, where
// Windows has it: Windows 7 and later; else the same execution state, which
// the agent's one thread holds for both).
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "actions/keep_awake.h"
#include "app/wake_watch.h"

namespace ordavi {

class Win32WakeSystem : public WakeSystem, public AwakeSystem {
 public:
  // One unnamed manual-reset waitable timer for the life of the agent.
  Win32WakeSystem();
  ~Win32WakeSystem() override;
  Win32WakeSystem(const Win32WakeSystem&) = delete;
  Win32WakeSystem& operator=(const Win32WakeSystem&) = delete;

  // An absolute due time (UTC), so that the time asleep counts; the local
  // minute is converted with the time zone's rules for its date.
  void SetWakeTimer(const LocalMinute& at) override;
  void CancelWakeTimer() override;
  // SetThreadExecutionState with ES_CONTINUOUS: the agent's one thread holds
  // the state until it sets it again.
  void KeepAwake(bool system, bool display) override;

  // AwakeSystem: the request is made afresh with each reason, and set for
  // the system and, with `display`, the screen.
  void HoldAwake(const std::string& reason, bool display) override;
  void ReleaseAwake() override;
  std::optional<int> BatteryPercentOnBattery() override;

  // The timer, for the Wine test: signalled once its due time has come.
  HANDLE timer() const { return timer_; }

 private:
  // SetThreadExecutionState with what the wake and the keep-awake hold.
  void ApplyExecutionState();

  HANDLE timer_;
  DWORD wakeState_ = 0, awakeState_ = 0;  // ES_SYSTEM_REQUIRED, ES_DISPLAY_REQUIRED
  HANDLE request_ = nullptr;              // the keep-awake's power request
  bool displayRequested_ = false;
  // The reason as the request holds it: kept while the request lives, so
  // what the system shows is this text.
  std::wstring reasonText_;
  REASON_CONTEXT reason_{};
};

// The due time SetWakeTimer gives the timer: kWakeLeadSeconds before the local
// minute `at`, as a UTC FILETIME count; nothing when the minute does not convert.
bool WakeDueTime(const LocalMinute& at, LARGE_INTEGER& due);

}  // namespace ordavi
