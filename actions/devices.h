// Device commands of the tray menu: the CD drive's door and the monitor. Each
// is one platform call whose result is neither checked nor reported.
#pragma once

#include <cstdint>
#include <string>

namespace ordavi {

inline constexpr const char* kOpenCdDoorCommand = "Set cdaudio door open wait";
inline constexpr const char* kCloseCdDoorCommand = "Set cdaudio door closed wait";
inline constexpr std::int32_t kMonitorPowerOff = 2;  // SC_MONITORPOWER's "off" state

// Port: the platform calls behind the device commands.
class DeviceSystem {
 public:
  virtual ~DeviceSystem() = default;
  // An MCI command string with no reply wanted, the main window as callback
  // window; returns when the device has carried it out ("wait").
  virtual void SendMciCommand(const std::string& command) = 0;
  // Asks every top-level window to put the monitor into `state`. A window
  // that does not answer within a few seconds is passed over, so a hung
  // window cannot freeze the agent.
  virtual void BroadcastMonitorPower(std::int32_t state) = 0;
};

void OpenCdDoor(DeviceSystem& devices);
void CloseCdDoor(DeviceSystem& devices);
void MonitorOff(DeviceSystem& devices);

}  // namespace ordavi
