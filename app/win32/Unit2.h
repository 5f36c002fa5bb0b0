// TForm2: the About box. Each use of the About command opens a new one.
#pragma once

#include <windows.h>

#include "app/win32/small_form.h"

namespace ordavi {

class TForm2 : public ui::SmallForm {
 public:
  // Creates a new About box and shows it modeless. It frees itself when closed.
  static HWND Open();

 private:
  TForm2() = default;
  void OnCreate() override;
};

}  // namespace ordavi
