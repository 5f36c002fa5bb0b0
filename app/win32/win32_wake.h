// The wake port over a waitable timer and the thread's execution state.
#pragma once

#include <windows.h>

#include "app/wake_watch.h"

namespace ordavi {

class Win32WakeSystem : public WakeSystem {
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

  // The timer, for the Wine test: signalled once its due time has come.
  HANDLE timer() const { return timer_; }

 private:
  HANDLE timer_;
};

// The due time SetWakeTimer gives the timer: kWakeLeadSeconds before the local
// minute `at`, as a UTC FILETIME count; nothing when the minute does not convert.
bool WakeDueTime(const LocalMinute& at, LARGE_INTEGER& due);

}  // namespace ordavi
