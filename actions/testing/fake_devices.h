// The device port for unit tests: logs "SendMciCommand(command)" and
// "BroadcastMonitorPower(state)".
#pragma once

#include <string>

#include "actions/devices.h"
#include "store/testing/call_log.h"

namespace ordavi::testing {

class FakeDevices : public Recording, public DeviceSystem {
 public:
  using Recording::Recording;
  void SendMciCommand(const std::string& command) override { Record("SendMciCommand", {command}); }
  void BroadcastMonitorPower(std::int32_t state) override { Record("BroadcastMonitorPower", {std::to_string(state)}); }
};

}  // namespace ordavi::testing
