// A small modeless window with one OK button (Button1), as the notice and the
// About box are: each use creates a new one, Button1, Esc and the close box
// close it, and it frees itself (and the fonts it made) once destroyed.
#pragma once

#include <windows.h>

#include <vector>

namespace ordavi::ui {

class SmallForm {
 public:
  HWND hwnd_ = nullptr;

 protected:
  static constexpr int kButton1 = IDOK;

  virtual ~SmallForm();
  // Creates the controls; called during WM_CREATE.
  virtual void OnCreate() = 0;

  // Registers the class once, creates `form`'s window at `at` with the outer
  // size `outer`, and shows it. Returns the window, or null (and frees `form`)
  // when it could not be created.
  static HWND Create(SmallForm* form, const char* className, const char* caption, DWORD style, POINT at, SIZE outer);
  // A font that lives as long as the window.
  HFONT OwnFont(HFONT font);
  void Button1Click();

  HWND button1_ = nullptr;

 private:
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);

  std::vector<HFONT> fonts_;
};

}  // namespace ordavi::ui
