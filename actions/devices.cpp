#include "actions/devices.h"

namespace ordavi {

void OpenCdDoor(DeviceSystem& devices) { devices.SendMciCommand(kOpenCdDoorCommand); }

void CloseCdDoor(DeviceSystem& devices) { devices.SendMciCommand(kCloseCdDoorCommand); }

void MonitorOff(DeviceSystem& devices) { devices.BroadcastMonitorPower(kMonitorPowerOff); }

}  // namespace ordavi
