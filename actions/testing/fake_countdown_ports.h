// The countdown's own ports for unit tests: its window as the user sees it,
// the sound ("Play(C:\a.wav,00020009)" with the flags in hex, "Stop()") and
// what it asks of the agent ("SwitchMonitoringOff()", "CloseAllPrograms()",
// "HangUpDialup()").
#pragma once

#include <cstdio>
#include <string>

#include "actions/countdown.h"
#include "store/testing/call_log.h"

namespace ordavi::testing {

// Keeps what the window shows; logs nothing.
struct FakeCountdownView : CountdownView {
  void SetWindowCaption(const std::string& text) override { caption = text; }
  void SetMessage(const std::string& text) override { message = text; }
  void SetSecondsLeft(const std::string& text) override { secondsLeft = text; }
  void SetDoItNowCaption(const std::string& text) override { doItNow = text; }
  void SetCancelCaption(const std::string& text) override { cancel = text; }
  void SetProgress(std::int32_t p, std::int32_t m) override {
    position = p;
    maximum = m;
  }
  void Show() override { shown = true; }
  void Hide() override { shown = false; }

  std::string caption, message, secondsLeft, doItNow, cancel;
  std::int32_t position = -1, maximum = -1;
  bool shown = false;
};

class FakeSound : public Recording, public SoundPlayer {
 public:
  using Recording::Recording;
  void Play(const std::string& name, std::uint32_t flags) override {
    char hex[16];
    std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(flags));
    Record("Play", {name, hex});
  }
  void Stop() override { Record("Stop"); }
};

class FakeCountdownSystem : public Recording, public CountdownSystem {
 public:
  using Recording::Recording;
  // As the agent does it: monitoring off holds the tick, when one is given.
  void SwitchMonitoringOff() override {
    Record("SwitchMonitoringOff");
    if (tick) tick->MonitoringSwitchedOff();
  }
  void CloseAllPrograms() override { Record("CloseAllPrograms"); }
  void HangUpDialup() override { Record("HangUpDialup"); }
  void ShowNotice(const std::string& text) override { Record("ShowNotice", {text}); }

  TickRunState* tick = nullptr;
};

}  // namespace ordavi::testing
