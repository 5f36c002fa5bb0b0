#include "app/win32/Unit6.h"

#include "app/win32/ui.h"

namespace ordavi {

namespace {
constexpr const char* kClassName = "TForm6";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX;
constexpr int kWidth = 400, kHeight = 169;  // outer size
constexpr int kLabel1 = 1, kButton1 = IDOK;
}  // namespace

HWND TForm6::ShowNotice(const std::string& text) {
  ui::RegisterClassOnce(kClassName, WndProc, LoadIconA(GetModuleHandleA(nullptr), "MAINICON"));
  auto* form = new TForm6();
  const POINT at = ui::CentredOnScreen({kWidth, kHeight});
  HWND hwnd = CreateWindowExA(WS_EX_CONTROLPARENT, kClassName, "提示", kStyle, at.x, at.y, kWidth, kHeight, nullptr,
                              nullptr, GetModuleHandleA(nullptr), form);
  if (!hwnd) {
    delete form;
    return nullptr;
  }
  ShowWindow(hwnd, SW_SHOWNORMAL);
  SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
  ui::SetLabel(form->label1_, text);
  SetFocus(form->button1_);
  return hwnd;
}

LRESULT CALLBACK TForm6::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  TForm6* self = ui::Attach<TForm6>(hwnd, msg, lParam);
  if (!self) return DefWindowProcA(hwnd, msg, wParam, lParam);
  return ui::Guard([&] { return self->OnMessage(msg, wParam, lParam); });
}

LRESULT TForm6::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
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
      LRESULT r = DefWindowProcA(hwnd_, msg, wParam, lParam);
      DeleteObject(font_);
      delete this;  // a closed notice is released at once; nothing refers to it
      return r;
    }
    default:
      return DefWindowProcA(hwnd_, msg, wParam, lParam);
  }
}

void TForm6::OnCreate() {
  font_ = ui::SongTi(-13);
  SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  label1_ = ui::CreateLabel(hwnd_, kLabel1, 48, 48, "", font_);
  button1_ = ui::CreateButton(hwnd_, kButton1, 160, 96, 75, 25, "确定", font_, BS_DEFPUSHBUTTON);
}

void TForm6::Button1Click() { PostMessageA(hwnd_, WM_CLOSE, 0, 0); }

}  // namespace ordavi
