// The seven power actions. Each is one platform call with fixed arguments;
// before a standby or hibernation the PC's power capabilities decide whether
// that call can do what it says (PlanPowerAction), and the call's result is
// reported. Also the power plan's one setting the task editor shows:
// whether wake timers may wake the PC.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "schedule/run_record.h"
#include "store/task_types.h"

namespace ordavi {

// What the PC can do, as Windows reports it.
struct PowerCapabilities {
  bool sleep = false;          // a sleep state S1, S2 or S3
  bool hibernate = false;      // S4
  bool hiberFile = false;      // the hibernation file is there (hibernation switched on)
  bool modernStandby = false;  // S0 low-power idle (AoAc)
};

// Port: the platform calls behind the power actions. Each call returns 0 when
// Windows took it, else the error (GetLastError, or an NTSTATUS).
class PowerSystem {
 public:
  virtual ~PowerSystem() = default;
  virtual std::uint32_t ExitWindowsEx(std::uint32_t flags, std::uint32_t reserved) = 0;
  // TRUE is passed as -1 (all bits set), FALSE as 0. Returns when the PC is
  // awake again.
  virtual std::uint32_t SetSystemPowerState(std::int32_t suspend, std::int32_t force) = 0;
  virtual std::uint32_t NtShutdownSystem(std::int32_t action) = 0;
  // The display off, as the tray menu's monitor item does it.
  virtual void DisplayOff() = 0;
  // Nothing when Windows cannot say.
  virtual std::optional<PowerCapabilities> Capabilities() const = 0;
  // Whether the active power plan lets wake timers wake the PC on mains power
  // (its 睡眠 > 允许使用唤醒定时器 setting: off, on, or important ones only,
  // which a program's timer is not). Nothing when the plan cannot be read.
  virtual std::optional<bool> WakeTimersAllowed() const = 0;
};

// How a power action is carried out on a PC.
enum class PowerCall : std::uint8_t {
  AsAsked,     // its own call
  DisplayOff,  // a standby on a Modern Standby PC: no program may enter it, the system does once the display is off
  None,        // the PC cannot do it: nothing is called, never something harsher
};
struct PowerPlan {
  PowerCall call = PowerCall::AsAsked;
  const char* note = nullptr;  // what the user is told (GBK); null: nothing
};
// The plan for `action` on a PC with `caps` (nothing known: its own call).
PowerPlan PlanPowerAction(PowerAction action, const std::optional<PowerCapabilities>& caps);

// Carries the action out as planned: failed when the PC cannot do it or the
// call failed; the note says why, or what was done instead.
ActionOutcome PerformPowerAction(PowerAction action, PowerSystem& sys);
// What the user is told of it: the note, or "休眠失败（错误1）"; empty when it
// was done as asked.
std::string ActionNote(const ActionOutcome& outcome);

}  // namespace ordavi
