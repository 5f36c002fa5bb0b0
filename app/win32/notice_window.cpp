#include "app/win32/notice_window.h"

namespace ordavi {

namespace {
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX;
constexpr int kWidth = 400, kHeight = 169;  // outer size at 96 DPI
constexpr int kTextLabel = 1;
}  // namespace

HWND NoticeWindow::Show(const std::string& text) {
  auto* notice = new NoticeWindow();
  const SIZE outer = ui::Scaled(SIZE{kWidth, kHeight});
  HWND hwnd = notice->Open("TForm6", "提示", kStyle, ui::CentredOnScreen(outer), outer);
  if (!hwnd) return nullptr;
  SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
  ui::SetLabel(notice->text_, text);
  return hwnd;
}

void NoticeWindow::CreateControls() {
  HFONT font = OwnFont(ui::SongTi(-13));
  SetFont(font);
  text_ = CreateLabel(kTextLabel, 48, 48, "", font);
  okButton_ = CreateButton(kOkButton, 160, 96, 75, 25, "确定", font, BS_DEFPUSHBUTTON);
}

}  // namespace ordavi
