// The dial-up port for unit tests: lists `connections`, answers a hang-up with
// `hangUpResult` and logs "HangUp(0x1234)" (the handle in hex) and
// "AutodialDefault()".
#pragma once

#include <cstdio>
#include <string>

#include "actions/network.h"
#include "store/testing/call_log.h"

namespace ordavi::testing {

class FakeDialup : public Recording, public DialupSystem {
 public:
  using Recording::Recording;
  Connections EnumConnections() override { return connections; }
  std::uint32_t HangUp(std::uintptr_t handle) override {
    char hex[32];
    std::snprintf(hex, sizeof hex, "0x%llX", static_cast<unsigned long long>(handle));
    Record("HangUp", {hex});
    return hangUpResult;
  }
  void AutodialDefault() override { Record("AutodialDefault"); }

  Connections connections;
  std::uint32_t hangUpResult = 0;
};

}  // namespace ordavi::testing
