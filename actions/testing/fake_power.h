// The power port for unit tests: logs "ExitWindowsEx(12,0)",
// "SetSystemPowerState(-1,-1)", "NtShutdownSystem(2)", "DisplayOff()", every
// argument in decimal; each call returns `error`, and the PC can do what
// `caps` says (nothing known until set).
#pragma once

#include <optional>
#include <string>

#include "actions/power.h"
#include "store/testing/call_log.h"

namespace ordavi::testing {

class FakePower : public Recording, public PowerSystem {
 public:
  using Recording::Recording;
  std::uint32_t ExitWindowsEx(std::uint32_t flags, std::uint32_t reserved) override {
    Record("ExitWindowsEx", {std::to_string(flags), std::to_string(reserved)});
    return error;
  }
  std::uint32_t SetSystemPowerState(std::int32_t suspend, std::int32_t force) override {
    Record("SetSystemPowerState", {std::to_string(suspend), std::to_string(force)});
    return error;
  }
  std::uint32_t NtShutdownSystem(std::int32_t action) override {
    Record("NtShutdownSystem", {std::to_string(action)});
    return error;
  }
  void DisplayOff() override { Record("DisplayOff", {}); }
  std::optional<PowerCapabilities> Capabilities() const override { return caps; }
  std::optional<bool> WakeTimersAllowed() const override { return wakeTimersAllowed; }

  std::uint32_t error = 0;
  std::optional<PowerCapabilities> caps;
  std::optional<bool> wakeTimersAllowed;
};

}  // namespace ordavi::testing
