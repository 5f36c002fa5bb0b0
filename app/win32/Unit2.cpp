#include "app/win32/Unit2.h"

#include <string>

#include "app/about.h"
#include "app/win32/ui.h"

namespace ordavi {

namespace {
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
constexpr int kClientWidth = 311, kClientHeight = 253;
}  // namespace

HWND TForm2::Open() {
  const SIZE outer = ui::OuterSize(kClientWidth, kClientHeight, kStyle, WS_EX_CONTROLPARENT);
  return Create(new TForm2(), "TForm2", "关于...", kStyle, ui::CentredOnScreen(outer), outer);
}

void TForm2::OnCreate() {
  HFONT formFont = OwnFont(ui::SongTi(-13));
  HFONT labelFont = OwnFont(ui::SongTi(-15));
  SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(formFont), FALSE);
  // Label1, Label2, Label3, Label5, Button1, Label4: the declaration order.
  ui::CreateLabel(hwnd_, 1, 82, 64, kAboutName, labelFont);
  ui::CreateLabel(hwnd_, 2, 82, 96, kAboutVersion, labelFont);
  ui::CreateLabel(hwnd_, 3, 82, 154, std::string(kAboutMakerPrefix) + kMakerName, labelFont);
  ui::CreateLabel(hwnd_, 5, 81, 126, kAboutDate, labelFont);
  button1_ = ui::CreateButton(hwnd_, kButton1, 112, 216, 75, 25, "确定(&O)", formFont, BS_DEFPUSHBUTTON);
  ui::CreateLabel(hwnd_, 4, 82, 183, "", labelFont);
}

}  // namespace ordavi
