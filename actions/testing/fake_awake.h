// The keep-awake's power request for unit tests. Logged on the agent's log:
// "HoldAwake(reason,display)" with display 1 or 0,
// "ReleaseAwake()". The battery answers from its field.
#pragma once

#include <optional>
#include <string>

#include "actions/keep_awake.h"
#include "store/testing/call_log.h"

namespace ordavi::testing {

class FakeAwakeSystem : public Recording, public AwakeSystem {
 public:
  using Recording::Recording;
  void HoldAwake(const std::string& reason, bool display) override {
    Record("HoldAwake", {reason, display ? "1" : "0"});
  }
  void ReleaseAwake() override { Record("ReleaseAwake"); }
  std::optional<int> BatteryPercentOnBattery() override { return battery; }

  std::optional<int> battery;  // on mains power unless set
};

}  // namespace ordavi::testing
