// The About box (window class "TForm2"). Each use of the About command opens a
// new one.
#pragma once

#include <windows.h>

#include "app/win32/ok_window.h"

namespace ordavi {

class AboutBox : public OkWindow {
 public:
  // Creates a new About box and shows it modeless. It frees itself when closed.
  static HWND Open();

 private:
  AboutBox() = default;
  void CreateControls() override;
};

}  // namespace ordavi
