// The power actions and the shutdown privilege over the Win32 API.
#pragma once

#include <optional>

#include "actions/power.h"

namespace ordavi {

class Win32PowerSystem : public PowerSystem {
 public:
  void ExitWindowsEx(std::uint32_t flags, std::uint32_t reserved) override;
  void SetSystemPowerState(std::int32_t suspend, std::int32_t force) override;
  // Bound from ntdll.dll at the time of the call; does nothing where ntdll
  // has no such export.
  void NtShutdownSystem(std::int32_t action) override;
};

// Enables SeShutdownPrivilege in the process token. Reports nothing.
void EnableShutdownPrivilege();

// Whether the active power plan lets wake timers wake the PC on mains power
// (its 睡眠 > 允许使用唤醒定时器 setting: off, on, or important ones only,
// which a program's timer is not). Nothing when the plan cannot be read (no
// powrprof.dll, no such setting).
std::optional<bool> WakeTimersAllowed();

}  // namespace ordavi
