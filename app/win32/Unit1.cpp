#include "app/win32/Unit1.h"

#include <shellapi.h>

#include <cstring>

#include "app/win32/Unit2.h"
#include "app/win32/ui.h"

namespace ordavi {

namespace {
constexpr const char* kClassName = "TForm1";
constexpr const char* kDesignCaption = "正在关闭 Windows...";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;  // single border, system menu only
constexpr int kClientWidth = 401, kClientHeight = 136;
constexpr int kBitBtn1 = 101, kBitBtn2 = IDCANCEL;  // Esc cancels
constexpr int kLabel1 = 111, kLabel2 = 112, kPgBar1 = 113;
constexpr UINT kMenuBase = 1000;  // command id of kPopupMenu[i] is kMenuBase + i
constexpr int kGlyphSize = 18;

UINT_PTR TimerId(MainTimer t) { return static_cast<UINT_PTR>(t) + 1; }

UINT MenuId(MenuItem item) {
  for (std::size_t i = 0; i < kPopupMenuSize; ++i) {
    if (kPopupMenu[i].item == item) return kMenuBase + static_cast<UINT>(i);
  }
  return 0;
}

// A button image list from a 36x18 glyph: the coloured image for every state
// but the disabled one, which gets the grey outline. Olive is transparent.
HIMAGELIST LoadGlyph(const char* name) {
  HIMAGELIST strip = ImageList_LoadImageA(GetModuleHandleA(nullptr), name, kGlyphSize, 0, RGB(128, 128, 0),
                                          IMAGE_BITMAP, LR_CREATEDIBSECTION);
  if (!strip) return nullptr;
  HIMAGELIST list = ImageList_Create(kGlyphSize, kGlyphSize, ILC_COLOR24 | ILC_MASK, 6, 0);
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
  bil.margin = {4, 0, 0, 0};
  SendMessageA(button, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&bil));
}
}  // namespace

TForm1::TForm1() = default;

TForm1::~TForm1() {
  if (popupMenu1_) DestroyMenu(popupMenu1_);
  if (glyphOk_) ImageList_Destroy(glyphOk_);
  if (glyphCancel_) ImageList_Destroy(glyphCancel_);
  if (formFont_) DeleteObject(formFont_);
  if (songTi_) DeleteObject(songTi_);
}

bool TForm1::Create() {
  HINSTANCE inst = GetModuleHandleA(nullptr);
  ui::RegisterClassOnce(kClassName, WndProc, LoadIconA(inst, "MAINICON"));
  const SIZE outer = ui::OuterSize(kClientWidth, kClientHeight, kStyle, WS_EX_CONTROLPARENT);
  const POINT at = ui::CentredOnScreen(outer);
  CreateWindowExA(WS_EX_CONTROLPARENT, kClassName, kDesignCaption, kStyle, at.x, at.y, outer.cx, outer.cy, nullptr,
                  nullptr, inst, this);
  return hwnd_ != nullptr;
}

void TForm1::Start(Agent& agent) {
  agent_ = &agent;
  ui::Guard([&] {
    agent.FormCreate();
    return LRESULT{0};
  });
}

LRESULT CALLBACK TForm1::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  TForm1* self = ui::Attach<TForm1>(hwnd, msg, lParam);
  if (!self) return DefWindowProcA(hwnd, msg, wParam, lParam);
  return ui::Guard([&] { return self->OnMessage(msg, wParam, lParam); });
}

LRESULT TForm1::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE:
      OnCreate();
      return 0;
    case WM_TIMER:
      OnTimer(wParam);
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam));
      return 0;
    case DM_GETDEFID:
      return MAKELONG(kBitBtn2, DC_HASDEFID);  // Enter cancels unless the focus is elsewhere
    case WM_HOTKEY:
      if (agent_ && agent_->HotKeyMessage(static_cast<std::uint32_t>(wParam))) return 1;
      return DefWindowProcA(hwnd_, msg, wParam, lParam);
    case kTrayCallbackMessage:
      TrayIconMessage(lParam);
      return 0;
    case WM_CLOSE:
      if (agent_) agent_->FormClose();
      DestroyWindow(hwnd_);
      return 0;
    case WM_DESTROY:
      for (MainTimer t : {MainTimer::Timer1, MainTimer::Timer2, MainTimer::Timer3}) SetTimerEnabled(t, false);
      if (agent_) agent_->FormDestroy();
      PostQuitMessage(0);
      return 0;
    default: {
      const LRESULT r = DefWindowProcA(hwnd_, msg, wParam, lParam);
      if (agent_) agent_->WndProc(msg);  // the taskbar's restart re-adds the icon
      return r;
    }
  }
}

void TForm1::OnCreate() {
  formFont_ = ui::Font("MS Sans Serif", -13);
  songTi_ = ui::SongTi(-13);
  SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(formFont_), FALSE);
  HINSTANCE inst = GetModuleHandleA(nullptr);
  // BitBtn2 is created first: it is first in the tab order and has the focus.
  bitBtn2_ = ui::CreateButton(hwnd_, kBitBtn2, 232, 94, 105, 25, "取消关机", songTi_, BS_DEFPUSHBUTTON);
  bitBtn1_ = ui::CreateButton(hwnd_, kBitBtn1, 64, 94, 105, 25, "立即关机", songTi_);
  pgBar1_ = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE, 8, 56, 385, 17, hwnd_,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kPgBar1)), inst, nullptr);
  label1_ = CreateWindowExA(0, "STATIC", "要想取消关机,请按下<取消关机>按钮,剩余 :",
                            WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 16, 16, 263, 13, hwnd_,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kLabel1)), inst, nullptr);
  SendMessageA(label1_, WM_SETFONT, reinterpret_cast<WPARAM>(songTi_), FALSE);
  label2_ = ui::CreateLabel(hwnd_, kLabel2, 336, 16, "", songTi_);
  SetWindowPos(label2_, nullptr, 0, 0, 7, 13, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  glyphOk_ = LoadGlyph("BITBTN1GLYPH");
  glyphCancel_ = LoadGlyph("BITBTN2GLYPH");
  SetGlyph(bitBtn1_, glyphOk_);
  SetGlyph(bitBtn2_, glyphCancel_);
  SetProgress(0, 100);
  CreateMenu();
  // The design state of the timers; start-up stops Timer2.
  SetTimerEnabled(MainTimer::Timer1, true);
  SetTimerEnabled(MainTimer::Timer2, true);
}

void TForm1::CreateMenu() {
  popupMenu1_ = CreatePopupMenu();
  for (std::size_t i = 0; i < kPopupMenuSize; ++i) {
    const MenuEntry& e = kPopupMenu[i];
    if (std::strcmp(e.caption, "-") == 0) {
      AppendMenuA(popupMenu1_, MF_SEPARATOR, 0, nullptr);
    } else {
      AppendMenuA(popupMenu1_, MF_STRING | (e.item == MenuItem::n1 ? MF_CHECKED : 0), kMenuBase + i, e.caption);
    }
  }
}

void TForm1::OnTimer(UINT_PTR id) {
  if (id == TimerId(MainTimer::Timer1)) CallHook(onTimer1);
  if (id == TimerId(MainTimer::Timer2)) CallHook(onTimer2);
  if (id == TimerId(MainTimer::Timer3)) CallHook(onTimer3);
}

void TForm1::OnCommand(WORD id) {
  if (id == kBitBtn1) {
    CallHook(onBitBtn1);
  } else if (id == kBitBtn2 || id == IDOK) {
    CallHook(onBitBtn2);
  } else if (id >= kMenuBase && id < kMenuBase + kPopupMenuSize) {
    const MenuItem item = kPopupMenu[id - kMenuBase].item;
    if (agent_) agent_->MenuClick(item);
    if (onOtherCommand) onOtherCommand(item);
  }
}

void TForm1::TrayIconMessage(LPARAM lParam) {
  if (!agent_ || !agent_->TrayIconMessage(static_cast<std::uint32_t>(lParam))) return;
  SetForegroundWindow(hwnd_);  // so the menu closes when the user clicks elsewhere
  POINT at;
  GetCursorPos(&at);
  MSG m;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(m.wParam));
      return;
    }
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
  const UINT cmd = TrackPopupMenu(popupMenu1_, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd_, nullptr);
  PostMessageA(hwnd_, WM_NULL, 0, 0);
  if (cmd != 0) OnCommand(static_cast<WORD>(cmd));
}

// --- TrayPort

void TForm1::Notify(TrayOp op, const TrayIconState& state) {
  trayIconData_.cbSize = sizeof(TrayIconData88);
  trayIconData_.hWnd = hwnd_;
  trayIconData_.uID = kTrayIconId;
  trayIconData_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;  // 7
  trayIconData_.uCallbackMessage = kTrayCallbackMessage;
  if (op != TrayOp::Delete) {
    trayIconData_.hIcon = LoadIconA(GetModuleHandleA(nullptr), state.icon.c_str());
    std::memset(trayIconData_.szTip, 0, sizeof trayIconData_.szTip);
    std::strncpy(trayIconData_.szTip, state.tip.c_str(), sizeof trayIconData_.szTip - 1);
  }
  Shell_NotifyIconA(static_cast<DWORD>(op), reinterpret_cast<PNOTIFYICONDATAA>(&trayIconData_));
}

// --- HotkeyPort

std::uint16_t TForm1::FindAtom(const std::string& name) { return GlobalFindAtomA(name.c_str()); }
std::uint16_t TForm1::AddAtom(const std::string& name) { return GlobalAddAtomA(name.c_str()); }
void TForm1::DeleteAtom(std::uint16_t atom) { GlobalDeleteAtom(atom); }
void TForm1::RegisterHotKey(std::uint32_t id, std::uint32_t modifiers, std::uint32_t key) {
  ::RegisterHotKey(hwnd_, static_cast<int>(id), modifiers, key);
}
void TForm1::UnregisterHotKey(std::uint32_t id) { ::UnregisterHotKey(hwnd_, static_cast<int>(id)); }

// --- MainWindowPort

std::uint32_t TForm1::RegisterTaskbarCreated() { return RegisterWindowMessageA("TaskbarCreated"); }

void TForm1::SetProgressMax(std::int32_t maximum) {
  SendMessageA(pgBar1_, PBM_SETRANGE32, 0, maximum);
}

void TForm1::MakeTopmost() { SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE); }

void TForm1::SetMenuCaption(MenuItem item, const std::string& caption) {
  const UINT id = MenuId(item);
  const UINT checked = GetMenuState(popupMenu1_, id, MF_BYCOMMAND) & MF_CHECKED;
  ModifyMenuA(popupMenu1_, id, MF_BYCOMMAND | MF_STRING | checked, id, caption.c_str());
}

void TForm1::SetMenuChecked(MenuItem item, bool checked) {
  CheckMenuItem(popupMenu1_, MenuId(item), MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void TForm1::OpenAbout() { TForm2::Open(); }

void TForm1::Close() { PostMessageA(hwnd_, WM_CLOSE, 0, 0); }

// --- TimerPort

void TForm1::SetTimerEnabled(MainTimer timer, bool on) {
  bool& state = timers_[static_cast<int>(timer)];
  if (state == on) return;  // switching a running timer on again must not restart its interval
  state = on;
  if (on) {
    SetTimer(hwnd_, TimerId(timer), TimerIntervalMs(timer), nullptr);
  } else {
    KillTimer(hwnd_, TimerId(timer));
  }
}

bool TForm1::TimerEnabled(MainTimer timer) const { return timers_[static_cast<int>(timer)]; }

// --- CountdownView

void TForm1::SetWindowCaption(const std::string& text) { SetWindowTextA(hwnd_, text.c_str()); }
void TForm1::SetLabel1(const std::string& text) { SetWindowTextA(label1_, text.c_str()); }
void TForm1::SetLabel2(const std::string& text) { ui::SetLabel(label2_, text); }
void TForm1::SetButton1Caption(const std::string& text) { SetWindowTextA(bitBtn1_, text.c_str()); }
void TForm1::SetButton2Caption(const std::string& text) { SetWindowTextA(bitBtn2_, text.c_str()); }

void TForm1::SetProgress(std::int32_t position, std::int32_t maximum) {
  SendMessageA(pgBar1_, PBM_SETRANGE32, 0, maximum);
  SendMessageA(pgBar1_, PBM_SETPOS, position, 0);
}

void TForm1::Show() {
  ::ShowWindow(hwnd_, SW_SHOWNORMAL);
  SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
  SetForegroundWindow(hwnd_);
  SetFocus(bitBtn2_);
}

void TForm1::Hide() { ::ShowWindow(hwnd_, SW_HIDE); }

}  // namespace ordavi
