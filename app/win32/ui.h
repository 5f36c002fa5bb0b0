// Small helpers shared by the agent's windows: fonts, label sizing, centring,
// window-class registration and the message-dispatch guard that turns an
// error into the standard error box.
#pragma once

#include <windows.h>

#include <string>

namespace ordavi::ui {

// A font by face name and height (negative: character height in pixels).
HFONT Font(const char* face, int height);
HFONT SongTi(int height);  // "宋体"

// Outer size of a window whose client area is `w` x `h`.
SIZE OuterSize(int w, int h, DWORD style, DWORD exStyle);
// Top-left corner that centres a window of that outer size on the screen.
POINT CentredOnScreen(SIZE outer);

// A static text that sizes itself to its text, like an auto-sized label.
HWND CreateLabel(HWND parent, int id, int x, int y, const std::string& text, HFONT font);
// Resizes a label to fit its current text.
void FitLabel(HWND label);
void SetLabel(HWND label, const std::string& text);

HWND CreateButton(HWND parent, int id, int x, int y, int w, int h, const std::string& text, HFONT font,
                  DWORD extraStyle = 0);

// Registers a window class whose procedure is `proc`.
void RegisterClassOnce(const char* name, WNDPROC proc, HICON icon);

// Shows the standard error box: caption "Ordavi", error icon, the message
// with a full stop appended when its last character sorts after ".".
void ShowErrorBox(const std::string& message);

// Runs a handler at the message-dispatch boundary: no exception escapes it.
template <typename F>
LRESULT Guard(F&& f, LRESULT onError = 0) {
  try {
    return f();
  } catch (const std::exception& e) {
    ShowErrorBox(e.what());
  } catch (...) {
    ShowErrorBox("Unexpected error");
  }
  return onError;
}

// The object behind a window whose creation parameter was `this`: stored at
// WM_NCCREATE in GWLP_USERDATA, returned for every later message.
template <typename T>
T* Attach(HWND hwnd, UINT msg, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* self = static_cast<T*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->hwnd_ = hwnd;
    return self;
  }
  return reinterpret_cast<T*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

}  // namespace ordavi::ui
