#include "app/win32/Unit2.h"

#include <string>

#include "app/about.h"
#include "app/win32/ui.h"

namespace ordavi {

namespace {
constexpr const char* kClassName = "TForm2";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
constexpr int kClientWidth = 311, kClientHeight = 253;
constexpr int kButton1 = IDOK;
}  // namespace

HWND TForm2::Open() {
  ui::RegisterClassOnce(kClassName, WndProc, LoadIconA(GetModuleHandleA(nullptr), "MAINICON"));
  auto* form = new TForm2();
  const SIZE outer = ui::OuterSize(kClientWidth, kClientHeight, kStyle, WS_EX_CONTROLPARENT);
  const POINT at = ui::CentredOnScreen(outer);
  HWND hwnd = CreateWindowExA(WS_EX_CONTROLPARENT, kClassName, "关于...", kStyle, at.x, at.y, outer.cx, outer.cy,
                              nullptr, nullptr, GetModuleHandleA(nullptr), form);
  if (!hwnd) {
    delete form;
    return nullptr;
  }
  ShowWindow(hwnd, SW_SHOWNORMAL);
  SetFocus(form->button1_);
  return hwnd;
}

LRESULT CALLBACK TForm2::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  TForm2* self = ui::Attach<TForm2>(hwnd, msg, lParam);
  if (!self) return DefWindowProcA(hwnd, msg, wParam, lParam);
  return ui::Guard([&] { return self->OnMessage(msg, wParam, lParam); });
}

LRESULT TForm2::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
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
      DeleteObject(formFont_);
      DeleteObject(labelFont_);
      delete this;
      return r;
    }
    default:
      return DefWindowProcA(hwnd_, msg, wParam, lParam);
  }
}

void TForm2::OnCreate() {
  formFont_ = ui::SongTi(-13);
  labelFont_ = ui::SongTi(-15);
  SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(formFont_), FALSE);
  // Label1, Label2, Label3, Label5, Button1, Label4: the declaration order.
  ui::CreateLabel(hwnd_, 1, 82, 64, kAboutName, labelFont_);
  ui::CreateLabel(hwnd_, 2, 82, 96, kAboutVersion, labelFont_);
  ui::CreateLabel(hwnd_, 3, 82, 154, std::string(kAboutMakerPrefix) + kMakerName, labelFont_);
  ui::CreateLabel(hwnd_, 5, 81, 126, kAboutDate, labelFont_);
  button1_ = ui::CreateButton(hwnd_, kButton1, 112, 216, 75, 25, "确定(&O)", formFont_, BS_DEFPUSHBUTTON);
  ui::CreateLabel(hwnd_, 4, 82, 183, "", labelFont_);
}

void TForm2::Button1Click() { PostMessageA(hwnd_, WM_CLOSE, 0, 0); }

}  // namespace ordavi
