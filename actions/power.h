// The seven power actions. Each is exactly one platform call with fixed
// arguments; nothing checks a result.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "store/task_types.h"

namespace ordavi {

// Port: the platform calls behind the power actions.
class PowerSystem {
 public:
  virtual ~PowerSystem() = default;
  virtual void ExitWindowsEx(std::uint32_t flags, std::uint32_t reserved) = 0;
  // TRUE is passed as -1 (all bits set), FALSE as 0.
  virtual void SetSystemPowerState(std::int32_t suspend, std::int32_t force) = 0;
  virtual void NtShutdownSystem(std::int32_t action) = 0;
};

void PerformPowerAction(PowerAction action, PowerSystem& sys);

}  // namespace ordavi
