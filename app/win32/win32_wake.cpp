#include "app/win32/win32_wake.h"

namespace ordavi {

Win32WakeSystem::Win32WakeSystem() : timer_(CreateWaitableTimerW(nullptr, TRUE, nullptr)) {}

Win32WakeSystem::~Win32WakeSystem() {
  if (timer_) CloseHandle(timer_);
}

bool WakeDueTime(const LocalMinute& at, LARGE_INTEGER& due) {
  SYSTEMTIME local = {};
  local.wYear = static_cast<WORD>(at.year);
  local.wMonth = static_cast<WORD>(at.month);
  local.wDay = static_cast<WORD>(at.day);
  local.wHour = static_cast<WORD>(at.hour);
  local.wMinute = static_cast<WORD>(at.minute);
  SYSTEMTIME utc = {};
  FILETIME ft = {};
  if (!TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc) || !SystemTimeToFileTime(&utc, &ft)) return false;
  due.QuadPart = static_cast<LONGLONG>((static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime) -
                 static_cast<LONGLONG>(kWakeLeadSeconds) * 10000000;
  return true;
}

void Win32WakeSystem::SetWakeTimer(const LocalMinute& at) {
  LARGE_INTEGER due;
  if (!timer_ || !WakeDueTime(at, due)) return;
  // fResume: the timer brings the PC out of standby or hibernation.
  SetWaitableTimer(timer_, &due, 0, nullptr, nullptr, TRUE);
}

void Win32WakeSystem::CancelWakeTimer() {
  if (timer_) CancelWaitableTimer(timer_);
}

void Win32WakeSystem::KeepAwake(bool system, bool display) {
  SetThreadExecutionState(ES_CONTINUOUS | (system ? ES_SYSTEM_REQUIRED : 0) | (display ? ES_DISPLAY_REQUIRED : 0));
}

}  // namespace ordavi
