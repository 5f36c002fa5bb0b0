#include "app/win32/tray_icon.h"

#include <shellapi.h>

#include <cstring>

namespace ordavi {

void TrayIcon::Notify(TrayOp op, const TrayIconState& state) {
  record_.cbSize = sizeof(TrayIconData88);
  record_.hWnd = window_;
  record_.uID = kTrayIconId;
  record_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;  // 7
  record_.uCallbackMessage = kTrayCallbackMessage;
  if (op != TrayOp::Delete) {
    record_.hIcon = LoadIconA(GetModuleHandleA(nullptr), state.icon.c_str());
    std::memset(record_.szTip, 0, sizeof record_.szTip);
    std::strncpy(record_.szTip, state.tip.c_str(), sizeof record_.szTip - 1);
  }
  Shell_NotifyIconA(static_cast<DWORD>(op), reinterpret_cast<PNOTIFYICONDATAA>(&record_));
}

}  // namespace ordavi
