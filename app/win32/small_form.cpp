#include "app/win32/small_form.h"

#include "app/win32/ui.h"

namespace ordavi::ui {

SmallForm::~SmallForm() {
  for (HFONT f : fonts_) DeleteObject(f);
}

HWND SmallForm::Create(SmallForm* form, const char* className, const char* caption, DWORD style, POINT at,
                       SIZE outer) {
  RegisterClassOnce(className, WndProc, LoadIconA(GetModuleHandleA(nullptr), "MAINICON"));
  HWND hwnd = CreateWindowExA(WS_EX_CONTROLPARENT, className, caption, style, at.x, at.y, outer.cx, outer.cy, nullptr,
                              nullptr, GetModuleHandleA(nullptr), form);
  if (!hwnd) {
    delete form;
    return nullptr;
  }
  ShowWindow(hwnd, SW_SHOWNORMAL);
  SetFocus(form->button1_);
  return hwnd;
}

HFONT SmallForm::OwnFont(HFONT font) {
  fonts_.push_back(font);
  return font;
}

void SmallForm::Button1Click() { PostMessageA(hwnd_, WM_CLOSE, 0, 0); }

LRESULT CALLBACK SmallForm::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  SmallForm* self = Attach<SmallForm>(hwnd, msg, lParam);
  if (!self) return DefWindowProcA(hwnd, msg, wParam, lParam);
  return Guard([&] { return self->OnMessage(msg, wParam, lParam); });
}

LRESULT SmallForm::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE:
      OnCreate();
      return 0;
    case WM_COMMAND:
      if (LOWORD(wParam) == kButton1 || LOWORD(wParam) == IDCANCEL) Button1Click();
      return 0;
    case WM_CLOSE:
      DestroyWindow(hwnd_);
      return 0;
    case WM_NCDESTROY: {
      const LRESULT r = DefWindowProcA(hwnd_, msg, wParam, lParam);
      delete this;  // a closed window is released at once; nothing refers to it
      return r;
    }
    default:
      return DefWindowProcA(hwnd_, msg, wParam, lParam);
  }
}

}  // namespace ordavi::ui
