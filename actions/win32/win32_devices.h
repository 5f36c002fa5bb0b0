// The CD door and monitor adapter over winmm and the window broadcast.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "actions/devices.h"

namespace ordavi {

// mciSendStringA with no return buffer and the main window as callback
// window; the monitor command as SendMessageTimeoutA to every top-level
// window, passing over any that does not answer within kBroadcastTimeoutMs.
class Win32DeviceSystem : public DeviceSystem {
 public:
  static constexpr unsigned kBroadcastTimeoutMs = 3000;
  explicit Win32DeviceSystem(std::function<HWND()> mainWindow) : mainWindow_(std::move(mainWindow)) {}
  void SendMciCommand(const std::string& command) override;
  void BroadcastMonitorPower(std::int32_t state) override;

 private:
  std::function<HWND()> mainWindow_;
};

}  // namespace ordavi
