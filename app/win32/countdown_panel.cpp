#include "app/win32/countdown_panel.h"

#include <iterator>

#include "actions/postpone.h"
#include "store/win32/gbk_text.h"
#include "ui/win32/window.h"

namespace ordavi {

namespace {
constexpr int kMessageLabel = 111, kSecondsLabel = 112, kProgressBar = 113;
constexpr int kGlyphSize = 18;  // at 96 DPI
constexpr COLORREF kGlyphTransparent = RGB(128, 128, 0);  // olive

// The glyph strip (two square images side by side) stretched to `size`
// pixels a side, as a 24-bit bitmap. Nearest-neighbour stretching keeps every
// pixel one of the strip's own colours, so the transparent olive stays exact.
HBITMAP LoadGlyphStrip(const char* name, int size) {
  HBITMAP source = static_cast<HBITMAP>(
      LoadImageW(GetModuleHandleW(nullptr), WideFromGbk(name).c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (!source) return nullptr;
  BITMAP sourceInfo = {};
  GetObjectW(source, sizeof sourceInfo, &sourceInfo);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = 2 * size;
  info.bmiHeader.biHeight = size;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP strip = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC from = CreateCompatibleDC(nullptr), to = CreateCompatibleDC(nullptr);
  bool drawn = false;
  if (strip && from && to) {
    HGDIOBJ oldFrom = SelectObject(from, source), oldTo = SelectObject(to, strip);
    SetStretchBltMode(to, COLORONCOLOR);
    drawn = StretchBlt(to, 0, 0, 2 * size, size, from, 0, 0, sourceInfo.bmWidth, sourceInfo.bmHeight, SRCCOPY) != 0;
    SelectObject(from, oldFrom);
    SelectObject(to, oldTo);
  }
  if (from) DeleteDC(from);
  if (to) DeleteDC(to);
  DeleteObject(source);
  if (!drawn && strip) {  // no glyph rather than a black one
    DeleteObject(strip);
    return nullptr;
  }
  return strip;
}

// A button image list from a 36x18 glyph, scaled to the screen's DPI: the
// coloured image for every state but the disabled one, which gets the grey
// outline. Olive is transparent.
HIMAGELIST LoadGlyph(const char* name) {
  const int size = ui::Scaled(kGlyphSize);
  HBITMAP bitmap = LoadGlyphStrip(name, size);
  if (!bitmap) return nullptr;
  HIMAGELIST strip = ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, 2, 0);
  const int added = strip ? ImageList_AddMasked(strip, bitmap, kGlyphTransparent) : -1;
  DeleteObject(bitmap);
  if (added < 0) {
    if (strip) ImageList_Destroy(strip);
    return nullptr;
  }
  HIMAGELIST list = ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, 6, 0);
  HICON enabled = ImageList_GetIcon(strip, 0, ILD_TRANSPARENT);
  HICON disabled = ImageList_GetIcon(strip, 1, ILD_TRANSPARENT);
  // PBS_NORMAL, PBS_HOT, PBS_PRESSED, PBS_DISABLED, PBS_DEFAULTED, PBS_STYLUSHOT
  for (HICON icon : {enabled, enabled, enabled, disabled, enabled, enabled}) ImageList_AddIcon(list, icon);
  DestroyIcon(enabled);
  DestroyIcon(disabled);
  ImageList_Destroy(strip);
  return list;
}

void SetGlyph(HWND button, HIMAGELIST list) {
  if (!list) return;
  BUTTON_IMAGELIST bil = {};
  bil.himl = list;
  bil.uAlign = BUTTON_IMAGELIST_ALIGN_LEFT;
  bil.margin = {ui::Scaled(4), 0, 0, 0};
  SendMessageW(button, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&bil));
}

}  // namespace

CountdownPanel::~CountdownPanel() {
  if (okGlyph_) ImageList_Destroy(okGlyph_);
  if (cancelGlyph_) ImageList_Destroy(cancelGlyph_);
  if (formFont_) DeleteObject(formFont_);
  if (songTi_) DeleteObject(songTi_);
}

void CountdownPanel::CreateControls() {
  formFont_ = ui::Font("MS Sans Serif", -13);
  songTi_ = ui::SongTi(-13);
  SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(formFont_), FALSE);
  // The cancel button is created first: it is first in the tab order and has the focus.
  cancel_ = ui::CreateChild(window_, "BUTTON", kCancelButton, 232, 94, 105, 25, WS_TABSTOP | BS_DEFPUSHBUTTON, songTi_,
                  "取消关机");
  doItNow_ = ui::CreateChild(window_, "BUTTON", kDoItNowButton, 64, 94, 105, 25, WS_TABSTOP, songTi_, "立即关机");
  // Added below the others (the window grew by a row), under the cancel button.
  postpone_ = ui::CreateChild(window_, "BUTTON", kPostponeButton, 232, 126, 105, 25, WS_TABSTOP, songTi_, "推迟(&P)");
  progress_ = ui::CreateChild(window_, PROGRESS_CLASSA, kProgressBar, 8, 56, 385, 17, 0, nullptr, "");
  message_ = ui::CreateChild(window_, "STATIC", kMessageLabel, 16, 16, 263, 13, SS_LEFT | SS_NOPREFIX, songTi_,
                   "要想取消关机,请按下<取消关机>按钮,剩余 :");
  secondsLeft_ = ui::CreateChild(window_, "STATIC", kSecondsLabel, 336, 16, 1, 1, SS_LEFT | SS_NOPREFIX, songTi_, "");
  ui::FitLabel(secondsLeft_);
  SetWindowPos(secondsLeft_, nullptr, 0, 0, ui::Scaled(7), ui::Scaled(13), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  okGlyph_ = LoadGlyph("BITBTN1GLYPH");
  cancelGlyph_ = LoadGlyph("BITBTN2GLYPH");
  SetGlyph(doItNow_, okGlyph_);
  SetGlyph(cancel_, cancelGlyph_);
  SetProgress(0, 100);
}

std::uint32_t CountdownPanel::ChoosePostponement() {
  HMENU menu = CreatePopupMenu();
  if (!menu) return 0;
  UINT id = 1;
  for (const PostponeChoice& c : kPostponeChoices) AppendMenuW(menu, MF_STRING, id++, WideFromGbk(c.caption).c_str());
  RECT button = {};
  GetWindowRect(postpone_, &button);
  const UINT chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, button.left,
                                     button.bottom, 0, window_, nullptr);
  DestroyMenu(menu);
  return chosen >= 1 && chosen <= std::size(kPostponeChoices) ? kPostponeChoices[chosen - 1].minutes : 0;
}

void CountdownPanel::SetProgressMax(std::int32_t maximum) { SendMessageW(progress_, PBM_SETRANGE32, 0, maximum); }

void CountdownPanel::SetWindowCaption(const std::string& text) { SetWindowTextW(window_, WideFromGbk(text).c_str()); }
void CountdownPanel::SetMessage(const std::string& text) { SetWindowTextW(message_, WideFromGbk(text).c_str()); }
void CountdownPanel::SetSecondsLeft(const std::string& text) { ui::SetLabel(secondsLeft_, text); }
void CountdownPanel::SetDoItNowCaption(const std::string& text) { SetWindowTextW(doItNow_, WideFromGbk(text).c_str()); }
void CountdownPanel::SetCancelCaption(const std::string& text) { SetWindowTextW(cancel_, WideFromGbk(text).c_str()); }

void CountdownPanel::SetProgress(std::int32_t position, std::int32_t maximum) {
  SendMessageW(progress_, PBM_SETRANGE32, 0, maximum);
  SendMessageW(progress_, PBM_SETPOS, position, 0);
}

void CountdownPanel::Show() {
  ::ShowWindow(window_, SW_SHOWNORMAL);
  SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
  SetForegroundWindow(window_);
  SetFocus(cancel_);
}

void CountdownPanel::Hide() { ::ShowWindow(window_, SW_HIDE); }

}  // namespace ordavi
