// A small modeless window with one OK button, as the notice and the About box
// are: each use creates a new one, the OK button, Esc and the close box close
// it, and it frees itself once destroyed.
#pragma once

#include <windows.h>

#include "ui/win32/window.h"

namespace ordavi {

class OkWindow : public Window {
 protected:
  static constexpr int kOkButton = IDOK;

  OkWindow() : Window(Lifetime::FreedWhenDestroyed) {}
  // Creates the controls (okButton_ among them); called during WM_CREATE.
  virtual void CreateControls() = 0;
  // Creates the window at `at` with the outer size `outer` and shows it with
  // the focus on the OK button. Null (the object already freed) on failure.
  HWND Open(const char* className, const char* caption, DWORD style, POINT at, SIZE outer);

  HWND okButton_ = nullptr;

 private:
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
};

}  // namespace ordavi
