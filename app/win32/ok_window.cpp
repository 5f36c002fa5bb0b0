#include "app/win32/ok_window.h"

namespace ordavi {

HWND OkWindow::Open(const char* className, const char* caption, DWORD style, POINT at, SIZE outer) {
  HWND hwnd = CreateTopLevel(className, caption, style, WS_EX_CONTROLPARENT, at, outer);
  if (!hwnd) return nullptr;
  ShowWindow(hwnd, SW_SHOWNORMAL);
  SetFocus(okButton_);
  return hwnd;
}

LRESULT OkWindow::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE:
      CreateControls();
      return 0;
    case WM_COMMAND:
      if (LOWORD(wParam) == kOkButton || LOWORD(wParam) == IDCANCEL) PostMessageW(hwnd_, WM_CLOSE, 0, 0);
      return 0;
    default:
      return Default(msg, wParam, lParam);
  }
}

}  // namespace ordavi
