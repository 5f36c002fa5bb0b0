// TForm2: the About box. Each use of the About command opens a new one.
#pragma once

#include <windows.h>

namespace ordavi {

class TForm2 {
 public:
  // Creates a new About box and shows it modeless. It frees itself when closed.
  static HWND Open();

  HWND hwnd_ = nullptr;

 private:
  TForm2() = default;
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  void OnCreate();
  void Button1Click();

  HWND button1_ = nullptr;
  HFONT formFont_ = nullptr;
  HFONT labelFont_ = nullptr;
};

}  // namespace ordavi
