// The wake port for unit tests. Logged: "SetWakeTimer(2026-12-09 07:00)",
// "CancelWakeTimer()", "KeepAwake(system,display)" with 1 and 0.
#pragma once

#include <cstdio>

#include "app/wake_watch.h"
#include "store/testing/call_log.h"

namespace ordavi::testing {

class FakeWakeSystem : public Recording, public WakeSystem {
 public:
  using Recording::Recording;
  void SetWakeTimer(const LocalMinute& at) override {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", at.year, at.month, at.day, at.hour, at.minute);
    Record("SetWakeTimer", {text});
  }
  void CancelWakeTimer() override { Record("CancelWakeTimer"); }
  void KeepAwake(bool system, bool display) override { Record("KeepAwake", {system ? "1" : "0", display ? "1" : "0"}); }
};

}  // namespace ordavi::testing
