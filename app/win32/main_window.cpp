#include "app/win32/main_window.h"

#include "app/win32/about_box.h"
#include "store/win32/gbk_text.h"
#include "platform/win32/system_library.h"

namespace ordavi {

namespace {
constexpr const char* kClassName = "TForm1";
constexpr const char* kDesignCaption = "正在关闭 Windows...";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;  // single border, system menu only
constexpr int kClientWidth = 401, kClientHeight = 159;  // 136 before the row of 推迟

UINT MenuId(MenuItem item) { return CommandIdOf(item); }

bool IsSeparator(const MenuEntry& e) { return e.caption[0] == '-' && e.caption[1] == '\0'; }

// Lets "TaskbarCreated" reach the window of an agent that runs elevated, which
// a non-elevated shell may not otherwise send it to. The filter functions are
// looked up at run time, so systems without them still start.
void AllowThroughMessageFilter(HWND window, UINT message) {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  if (!user32) return;
  using ForWindowFn = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
  using ForProcessFn = BOOL(WINAPI*)(UINT, DWORD);
  constexpr DWORD kMsgFltAllow = 1;  // MSGFLT_ALLOW and MSGFLT_ADD
  auto forWindow = ProcOf<ForWindowFn>(user32, "ChangeWindowMessageFilterEx");
  if (forWindow && forWindow(window, message, kMsgFltAllow, nullptr)) return;
  auto forProcess = ProcOf<ForProcessFn>(user32, "ChangeWindowMessageFilter");
  if (forProcess) forProcess(message, kMsgFltAllow);
}
}  // namespace

MainWindow::~MainWindow() {
  if (popupMenu_) DestroyMenu(popupMenu_);
}

bool MainWindow::Create(MainWindowEvents& events) {
  events_ = &events;
  return CreateCentred(kClassName, kDesignCaption, kStyle, WS_EX_CONTROLPARENT, kClientWidth, kClientHeight) !=
         nullptr;
}

LRESULT MainWindow::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
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
      return MAKELONG(CountdownPanel::kCancelButton, DC_HASDEFID);  // Enter cancels unless the focus is elsewhere
    case WM_HOTKEY:
      if (events_->OnHotkey(static_cast<std::uint32_t>(wParam))) return 1;
      return Default(msg, wParam, lParam);
    case kTrayCallbackMessage:
      OnTrayCallback(lParam);
      return 0;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE) {
        events_->OnCloseBox();
        return 0;
      }
      return Default(msg, wParam, lParam);
    case kCancelCountdownMessage:  // the answer: 1 when a countdown, running or postponed, was cancelled
      return events_->OnCancelFromCommandLine() ? 1 : 0;
    case kKeepAwakeMessage:
      return events_->OnKeepAwakeFromCommandLine(static_cast<std::uint32_t>(wParam)) ? 1 : 0;
    case WM_POWERBROADCAST:
    case WM_TIMECHANGE: {
      const LRESULT r = Default(msg, wParam, lParam);
      events_->OnPowerOrTimeChange(msg, msg == WM_POWERBROADCAST ? static_cast<std::uint32_t>(wParam) : 0);
      return r;
    }
    case WM_CLOSE:  // the tray menu's exit, or another program asking the agent to end
      events_->OnClosing();
      DestroyWindow(hwnd_);
      return 0;
    case WM_ENDSESSION:  // the session ends: the process may be ended as soon as this returns
      if (wParam) {
        events_->OnSessionEnding();
        DestroyWindow(hwnd_);
      }
      return 0;
    case WM_DESTROY:
      timers_.StopAll();
      events_->OnDestroyed();
      PostQuitMessage(0);
      return 0;
    default: {
      const LRESULT r = Default(msg, wParam, lParam);
      events_->OnWindowMessage(msg);  // the taskbar's restart re-adds the icon
      return r;
    }
  }
}

void MainWindow::OnCreate() {
  countdownPanel_.CreateControls();
  CreatePopupMenu();
}

void MainWindow::CreatePopupMenu() {
  popupMenu_ = ::CreatePopupMenu();
  for (const MenuEntry& e : kPopupMenu) {
    if (IsSeparator(e)) {
      AppendMenuW(popupMenu_, MF_SEPARATOR, 0, nullptr);
    } else {
      const UINT checked = e.item == MenuItem::Monitoring ? MF_CHECKED : 0;
      AppendMenuW(popupMenu_, MF_STRING | checked, e.id, WideFromGbk(e.caption).c_str());
    }
  }
  // 保持唤醒(&K) below the others; its end is offered once the PC is kept awake.
  HMENU awake = ::CreatePopupMenu();
  for (const MenuEntry& e : kAwakeMenu) {
    const UINT grayed = e.item == MenuItem::AwakeCancel ? MF_GRAYED : 0;
    AppendMenuW(awake, MF_STRING | grayed, e.id, WideFromGbk(e.caption).c_str());
  }
  AppendMenuW(popupMenu_, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(popupMenu_, MF_POPUP, reinterpret_cast<UINT_PTR>(awake), WideFromGbk(kAwakeMenuCaption).c_str());
}

void MainWindow::OnTimer(UINT_PTR id) {
  WindowTimers::Fire(id, *events_);
}

void MainWindow::OnCommand(WORD id) {
  if (id == CountdownPanel::kDoItNowButton) {
    events_->OnDoItNow();
  } else if (id == CountdownPanel::kCancelButton || id == IDOK) {
    events_->OnCancelCountdown();
  } else if (id == CountdownPanel::kPostponeButton) {
    if (const std::uint32_t minutes = countdownPanel_.ChoosePostponement()) events_->OnPostpone(minutes);
  } else if (const MenuEntry* entry = EntryOfCommand(id)) {
    events_->OnMenuCommand(entry->item);
  }
}

void MainWindow::OnTrayCallback(LPARAM mouseMessage) {
  if (!events_->OpensMenu(static_cast<std::uint32_t>(mouseMessage))) return;
  SetForegroundWindow(hwnd_);  // so the menu closes when the user clicks elsewhere
  POINT at;
  GetCursorPos(&at);
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(m.wParam));
      return;
    }
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
  const UINT cmd = TrackPopupMenu(popupMenu_, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd_, nullptr);
  PostMessageW(hwnd_, WM_NULL, 0, 0);
  if (cmd != 0) OnCommand(static_cast<WORD>(cmd));
}

std::uint32_t MainWindow::RegisterTaskbarCreated() {
  const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
  if (message != 0) AllowThroughMessageFilter(hwnd_, message);
  return message;
}

void MainWindow::MakeTopmost() { SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE); }

void MainWindow::SetMenuCaption(MenuItem item, const std::string& caption) {
  const UINT id = MenuId(item);
  const UINT checked = GetMenuState(popupMenu_, id, MF_BYCOMMAND) & MF_CHECKED;
  ModifyMenuW(popupMenu_, id, MF_BYCOMMAND | MF_STRING | checked, id, WideFromGbk(caption).c_str());
}

void MainWindow::SetPostponedItem(const std::string& caption) {
  const UINT id = MenuId(MenuItem::CancelPostponed);
  const bool there = GetMenuState(popupMenu_, id, MF_BYCOMMAND) != static_cast<UINT>(-1);
  if (caption.empty()) {
    if (there) DeleteMenu(popupMenu_, id, MF_BYCOMMAND);
  } else if (there) {
    ModifyMenuW(popupMenu_, id, MF_BYCOMMAND | MF_STRING, id, WideFromGbk(caption).c_str());
  } else {
    AppendMenuW(popupMenu_, MF_STRING, id, WideFromGbk(caption).c_str());
  }
}

void MainWindow::SetMenuChecked(MenuItem item, bool checked) {
  CheckMenuItem(popupMenu_, MenuId(item), MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void MainWindow::SetMenuEnabled(MenuItem item, bool enabled) {
  EnableMenuItem(popupMenu_, MenuId(item), MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

void MainWindow::OpenAbout() { AboutBox::Open(); }

void MainWindow::Close() { PostMessageW(hwnd_, WM_CLOSE, 0, 0); }

}  // namespace ordavi
