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
  // powrprof.dll is loaded from the system directory when asked.
  std::optional<bool> WakeTimersAllowed() const override;
};

// Enables SeShutdownPrivilege in the process token. Reports nothing.
void EnableShutdownPrivilege();

}  // namespace ordavi
