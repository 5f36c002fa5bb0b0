#include "app/win32/tray_icon.h"

#include <shellapi.h>

#include <cstring>

#include "store/win32/gbk_text.h"

namespace ordavi {

void TrayIcon::Notify(TrayOp op, const TrayIconState& state) {
  record_.cbSize = sizeof(TrayIconRecord);
  record_.hWnd = window_;
  record_.uID = kTrayIconId;
  record_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;  // 7
  record_.uCallbackMessage = kTrayCallbackMessage;
  if (op != TrayOp::Delete) {
    record_.hIcon = LoadIconW(GetModuleHandleW(nullptr), WideFromGbk(state.icon).c_str());
    std::memset(record_.szTip, 0, sizeof record_.szTip);
    const std::wstring tip = WideFromGbk(state.tip);
    const std::size_t units = tip.size() < 63 ? tip.size() : 63;
    std::memcpy(record_.szTip, tip.data(), units * sizeof(WCHAR));
  }
  Shell_NotifyIconW(static_cast<DWORD>(op), reinterpret_cast<PNOTIFYICONDATAW>(&record_));
}

}  // namespace ordavi
