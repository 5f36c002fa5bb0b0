// The power port for unit tests: logs "ExitWindowsEx(12,0)",
// "SetSystemPowerState(-1,-1)", "NtShutdownSystem(2)", every argument in decimal.
#pragma once

#include <optional>
#include <string>

#include "actions/power.h"
#include "store/testing/call_log.h"

namespace ordavi::testing {

class FakePower : public Recording, public PowerSystem {
 public:
  using Recording::Recording;
  void ExitWindowsEx(std::uint32_t flags, std::uint32_t reserved) override {
    Record("ExitWindowsEx", {std::to_string(flags), std::to_string(reserved)});
  }
  void SetSystemPowerState(std::int32_t suspend, std::int32_t force) override {
    Record("SetSystemPowerState", {std::to_string(suspend), std::to_string(force)});
  }
  void NtShutdownSystem(std::int32_t action) override { Record("NtShutdownSystem", {std::to_string(action)}); }
  std::optional<bool> WakeTimersAllowed() const override { return wakeTimersAllowed; }
  std::optional<bool> wakeTimersAllowed;
};

}  // namespace ordavi::testing
