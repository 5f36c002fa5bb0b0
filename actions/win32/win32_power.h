// The power actions and the shutdown privilege over the Win32 API.
#pragma once

#include <optional>

#include "actions/devices.h"
#include "actions/power.h"

namespace ordavi {

class Win32PowerSystem : public PowerSystem {
 public:
  // `devices` turns the display off.
  explicit Win32PowerSystem(DeviceSystem& devices) : devices_(devices) {}
  std::uint32_t ExitWindowsEx(std::uint32_t flags, std::uint32_t reserved) override;
  std::uint32_t SetSystemPowerState(std::int32_t suspend, std::int32_t force) override;
  // Bound from ntdll.dll at the time of the call; ERROR_PROC_NOT_FOUND where
  // ntdll has no such export.
  std::uint32_t NtShutdownSystem(std::int32_t action) override;
  void DisplayOff() override { MonitorOff(devices_); }
  // powrprof.dll's GetPwrCapabilities, looked up when asked (from the system
  // directory); nothing where it is missing or fails.
  std::optional<PowerCapabilities> Capabilities() const override;
  // powrprof.dll is loaded from the system directory when asked.
  std::optional<bool> WakeTimersAllowed() const override;

 private:
  DeviceSystem& devices_;
};

// Enables SeShutdownPrivilege in the process token. Reports nothing.
void EnableShutdownPrivilege();

}  // namespace ordavi
