#include "app/win32/about_box.h"

#include <string>

#include "app/about.h"

namespace ordavi {

namespace {
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
constexpr int kClientWidth = 311, kClientHeight = 253;
// Control ids of the labels, as their design numbers them.
constexpr int kNameLabel = 1, kVersionLabel = 2, kMakerLabel = 3, kEmptyLabel = 4, kDateLabel = 5;
}  // namespace

HWND AboutBox::Open() {
  const SIZE outer = ui::OuterSize(kClientWidth, kClientHeight, kStyle, WS_EX_CONTROLPARENT);
  return (new AboutBox())->OkWindow::Open("TForm2", "关于...", kStyle, ui::CentredOnScreen(outer), outer);
}

void AboutBox::CreateControls() {
  HFONT formFont = OwnFont(ui::SongTi(-13));
  HFONT labelFont = OwnFont(ui::SongTi(-15));
  SetFont(formFont);
  // Created in the design's declaration order, which is the tab and z order.
  CreateLabel(kNameLabel, 82, 64, kAboutName, labelFont);
  CreateLabel(kVersionLabel, 82, 96, kAboutVersion, labelFont);
  CreateLabel(kMakerLabel, 82, 154, std::string(kAboutMakerPrefix) + kMakerName, labelFont);
  CreateLabel(kDateLabel, 81, 126, kAboutDate, labelFont);
  okButton_ = CreateButton(kOkButton, 112, 216, 75, 25, "确定(&O)", formFont, BS_DEFPUSHBUTTON);
  CreateLabel(kEmptyLabel, 82, 183, "", labelFont);
}

}  // namespace ordavi
