// The seven power actions. Each is exactly one platform call with fixed
// arguments; nothing checks a result. Also the power plan's one setting the
// task editor shows: whether wake timers may wake the PC.
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
  // Whether the active power plan lets wake timers wake the PC on mains power
  // (its 睡眠 > 允许使用唤醒定时器 setting: off, on, or important ones only,
  // which a program's timer is not). Nothing when the plan cannot be read.
  virtual std::optional<bool> WakeTimersAllowed() const = 0;
};

void PerformPowerAction(PowerAction action, PowerSystem& sys);

}  // namespace ordavi
