// The main window in its countdown role: the message and seconds labels, the
// progress bar, the do-it-now and cancel buttons, the 推迟 button with its
// menu of delays, and the window's own caption and visibility.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "actions/countdown.h"

namespace ordavi {

class CountdownPanel : public CountdownView {
 public:
  static constexpr int kDoItNowButton = 101;
  static constexpr int kCancelButton = IDCANCEL;  // Esc cancels
  static constexpr int kPostponeButton = 102;

  // `window` is the main window's handle, read at each call.
  explicit CountdownPanel(const HWND& window) : window_(window) {}
  ~CountdownPanel() override;
  CountdownPanel(const CountdownPanel&) = delete;
  CountdownPanel& operator=(const CountdownPanel&) = delete;

  // Creates the controls in the main window (during its WM_CREATE).
  void CreateControls();
  void SetProgressMax(std::int32_t maximum);
  // The 推迟 button's menu, opened below the button: the minutes chosen, 0
  // when the menu was closed without a choice.
  std::uint32_t ChoosePostponement();

  // CountdownView
  void SetWindowCaption(const std::string& text) override;
  void SetMessage(const std::string& text) override;
  void SetSecondsLeft(const std::string& text) override;
  void SetDoItNowCaption(const std::string& text) override;
  void SetCancelCaption(const std::string& text) override;
  void SetProgress(std::int32_t position, std::int32_t maximum) override;
  void Show() override;
  void Hide() override;

 private:
  const HWND& window_;
  HWND message_ = nullptr, secondsLeft_ = nullptr, progress_ = nullptr, doItNow_ = nullptr, cancel_ = nullptr,
       postpone_ = nullptr;
  HFONT formFont_ = nullptr, songTi_ = nullptr;
  HIMAGELIST okGlyph_ = nullptr, cancelGlyph_ = nullptr;
};

}  // namespace ordavi
