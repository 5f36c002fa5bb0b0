#include "actions/win32/win32_power.h"

#include <windows.h>

#include "ui/win32/system_library.h"

namespace ordavi {

void Win32PowerSystem::ExitWindowsEx(std::uint32_t flags, std::uint32_t reserved) {
  ::ExitWindowsEx(flags, reserved);
}

void Win32PowerSystem::SetSystemPowerState(std::int32_t suspend, std::int32_t force) {
  ::SetSystemPowerState(static_cast<BOOL>(suspend), static_cast<BOOL>(force));
}

void Win32PowerSystem::NtShutdownSystem(std::int32_t action) {
  using NtShutdownSystemFn = LONG(WINAPI*)(int);
  auto fn = ProcOf<NtShutdownSystemFn>(GetModuleHandleA("ntdll.dll"), "NtShutdownSystem");
  if (fn) fn(action);
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
