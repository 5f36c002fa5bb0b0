#include "actions/win32/win32_power.h"

#include <windows.h>

#include <cstddef>

#include "platform/win32/system_library.h"

namespace ordavi {

std::uint32_t Win32PowerSystem::ExitWindowsEx(std::uint32_t flags, std::uint32_t reserved) {
  return ::ExitWindowsEx(flags, reserved) ? 0 : GetLastError();
}

std::uint32_t Win32PowerSystem::SetSystemPowerState(std::int32_t suspend, std::int32_t force) {
  return ::SetSystemPowerState(static_cast<BOOL>(suspend), static_cast<BOOL>(force)) ? 0 : GetLastError();
}

std::uint32_t Win32PowerSystem::NtShutdownSystem(std::int32_t action) {
  using NtShutdownSystemFn = LONG(WINAPI*)(int);
  auto fn = ProcOf<NtShutdownSystemFn>(GetModuleHandleA("ntdll.dll"), "NtShutdownSystem");
  return fn ? static_cast<std::uint32_t>(fn(action)) : ERROR_PROC_NOT_FOUND;
}

std::optional<PowerCapabilities> Win32PowerSystem::Capabilities() const {
  // MinGW's header is older than AoAc (Modern Standby): it is the last of the
  // three bytes it calls spare2 (Hiberboot, WakeAlarmPresent, AoAc), byte 20.
  static_assert(offsetof(SYSTEM_POWER_CAPABILITIES, spare2) + 2 == 20, "AoAc at byte 20");
  using GetPwrCapabilitiesFn = BOOLEAN(WINAPI*)(SYSTEM_POWER_CAPABILITIES*);
  const auto get = SystemProc<GetPwrCapabilitiesFn>("powrprof.dll", "GetPwrCapabilities");
  SYSTEM_POWER_CAPABILITIES caps = {};
  if (!get || !get(&caps)) return std::nullopt;
  return PowerCapabilities{caps.SystemS1 || caps.SystemS2 || caps.SystemS3, caps.SystemS4 != 0,
                           caps.HiberFilePresent != 0, caps.spare2[2] != 0};
}

std::optional<bool> Win32PowerSystem::WakeTimersAllowed() const {
  using GetActiveFn = DWORD(WINAPI*)(HKEY, GUID**);
  using ReadAcFn = DWORD(WINAPI*)(HKEY, const GUID*, const GUID*, const GUID*, DWORD*);
  const auto getActive = SystemProc<GetActiveFn>("powrprof.dll", "PowerGetActiveScheme");
  const auto readAc = SystemProc<ReadAcFn>("powrprof.dll", "PowerReadACValueIndex");
  if (!getActive || !readAc) return std::nullopt;
  static const GUID kSleepSubgroup = {0x238c9fa8, 0x0aad, 0x41ed, {0x83, 0xf4, 0x97, 0xbe, 0x24, 0x2c, 0x8f, 0x20}};
  static const GUID kAllowWakeTimers = {0xbd3b718a, 0x0680, 0x4d9d, {0x8a, 0xb2, 0xe1, 0xd2, 0xb4, 0xac, 0x80, 0x6d}};
  GUID* scheme = nullptr;
  if (getActive(nullptr, &scheme) != ERROR_SUCCESS || !scheme) return std::nullopt;
  DWORD value = 0;
  const DWORD read = readAc(nullptr, scheme, &kSleepSubgroup, &kAllowWakeTimers, &value);
  LocalFree(scheme);
  if (read != ERROR_SUCCESS) return std::nullopt;
  return value == 1;  // 0 off, 1 on, 2 important wake timers only
}

void EnableShutdownPrivilege() {
  HANDLE token = nullptr;
  OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token);  // 0x28
  TOKEN_PRIVILEGES tp = {};
  LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &tp.Privileges[0].Luid);
  tp.PrivilegeCount = 1;
  tp.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  static_assert(sizeof(TOKEN_PRIVILEGES) == 16, "one LUID_AND_ATTRIBUTES");
  DWORD returnLength = 0;
  AdjustTokenPrivileges(token, FALSE, &tp, 16, nullptr, &returnLength);
  // The token stays open for the life of the process, like the privilege.
}

}  // namespace ordavi
