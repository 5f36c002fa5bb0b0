#include "app/win32/win32_wake.h"

#include "store/win32/gbk_text.h"
#include "platform/win32/system_library.h"

namespace ordavi {

Win32WakeSystem::Win32WakeSystem() : timer_(CreateWaitableTimerW(nullptr, TRUE, nullptr)) {}

Win32WakeSystem::~Win32WakeSystem() {
  ReleaseAwake();
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
  wakeState_ = (system ? ES_SYSTEM_REQUIRED : 0) | (display ? ES_DISPLAY_REQUIRED : 0);
  ApplyExecutionState();
}

void Win32WakeSystem::ApplyExecutionState() { SetThreadExecutionState(ES_CONTINUOUS | wakeState_ | awakeState_); }

namespace {
using CreateRequestFn = HANDLE(WINAPI*)(REASON_CONTEXT*);
using RequestFn = BOOL(WINAPI*)(HANDLE, POWER_REQUEST_TYPE);
// Looked up at run time: Windows Vista has none of them.
template <typename Fn>
Fn Kernel32Proc(const char* name) {
  return ProcOf<Fn>(GetModuleHandleW(L"kernel32.dll"), name);
}
}  // namespace

void Win32WakeSystem::HoldAwake(const std::string& reason, bool display) {
  const auto create = Kernel32Proc<CreateRequestFn>("PowerCreateRequest");
  const auto set = Kernel32Proc<RequestFn>("PowerSetRequest");
  ReleaseAwake();
  if (create && set) {
    reasonText_ = WideFromGbk(reason);
    reason_ = {POWER_REQUEST_CONTEXT_VERSION, POWER_REQUEST_CONTEXT_SIMPLE_STRING, {}};
    reason_.Reason.SimpleReasonString = reasonText_.data();
    request_ = create(&reason_);
    if (request_ == INVALID_HANDLE_VALUE) request_ = nullptr;
  }
  if (request_) {
    set(request_, PowerRequestSystemRequired);
    displayRequested_ = display && set(request_, PowerRequestDisplayRequired);
    return;
  }
  awakeState_ = ES_SYSTEM_REQUIRED | (display ? ES_DISPLAY_REQUIRED : 0);
  ApplyExecutionState();
}

void Win32WakeSystem::ReleaseAwake() {
  if (request_) {
    const auto clear = Kernel32Proc<RequestFn>("PowerClearRequest");
    if (clear) {
      clear(request_, PowerRequestSystemRequired);
      if (displayRequested_) clear(request_, PowerRequestDisplayRequired);
    }
    CloseHandle(request_);  // closing the request ends whatever it still holds
    request_ = nullptr;
    displayRequested_ = false;
  }
  if (awakeState_) {
    awakeState_ = 0;
    ApplyExecutionState();
  }
}

std::optional<int> Win32WakeSystem::BatteryPercentOnBattery() {
  SYSTEM_POWER_STATUS status;
  if (!GetSystemPowerStatus(&status) || status.ACLineStatus != 0 || status.BatteryLifePercent > 100) {
    return std::nullopt;
  }
  return status.BatteryLifePercent;
}

}  // namespace ordavi
