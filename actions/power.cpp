#include "actions/power.h"

#include "store/task_types.h"

namespace ordavi {

namespace {
constexpr std::uint32_t kEwxLogoff = 0x0, kEwxReboot = 0x2, kEwxForce = 0x4, kEwxPowerOff = 0x8;
constexpr std::int32_t kTrue = -1, kFalse = 0;
constexpr std::int32_t kShutdownReboot = 1, kShutdownPowerOff = 2;
}  // namespace

void PerformPowerAction(PowerAction action, PowerSystem& sys) {
  switch (action) {
    case PowerAction::LogOff: sys.ExitWindowsEx(kEwxLogoff | kEwxForce, 0); break;
    case PowerAction::Standby: sys.SetSystemPowerState(kTrue, kTrue); break;
    case PowerAction::Hibernate: sys.SetSystemPowerState(kFalse, kTrue); break;
    case PowerAction::Restart: sys.ExitWindowsEx(kEwxReboot | kEwxForce, 0); break;
    case PowerAction::ShutDown: sys.ExitWindowsEx(kEwxPowerOff | kEwxForce, 0); break;
    case PowerAction::FastRestart: sys.NtShutdownSystem(kShutdownReboot); break;
    case PowerAction::FastShutdown: sys.NtShutdownSystem(kShutdownPowerOff); break;
  }
}

}  // namespace ordavi
