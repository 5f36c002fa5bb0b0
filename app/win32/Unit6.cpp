#include "app/win32/Unit6.h"

#include "app/win32/ui.h"

namespace ordavi {

namespace {
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX;
constexpr int kWidth = 400, kHeight = 169;  // outer size
constexpr int kLabel1 = 1;
}  // namespace

HWND TForm6::ShowNotice(const std::string& text) {
  auto* form = new TForm6();
  HWND hwnd = Create(form, "TForm6", "提示", kStyle, ui::CentredOnScreen({kWidth, kHeight}), {kWidth, kHeight});
  if (!hwnd) return nullptr;
  SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
  ui::SetLabel(form->label1_, text);
  return hwnd;
}

void TForm6::OnCreate() {
  HFONT font = OwnFont(ui::SongTi(-13));
  SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  label1_ = ui::CreateLabel(hwnd_, kLabel1, 48, 48, "", font);
  button1_ = ui::CreateButton(hwnd_, kButton1, 160, 96, 75, 25, "确定", font, BS_DEFPUSHBUTTON);
}

}  // namespace ordavi
