// The countdown's sound over winmm, loaded when first used.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "actions/countdown.h"

namespace ordavi {

// The main window's handle, asked for at the time of each call; none when
// empty.
using WindowSource = std::function<HWND()>;

// PlaySoundA with the main window's handle as module argument.
class Win32SoundPlayer : public SoundPlayer {
 public:
  explicit Win32SoundPlayer(WindowSource window) : window_(std::move(window)) {}
  void Play(const std::string& name, std::uint32_t flags) override;
  void Stop() override;

 private:
  WindowSource window_;
};

}  // namespace ordavi
