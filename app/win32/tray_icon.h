// The notification-area icon of the main window: the one tray icon record
// (its first, 88-byte layout) handed to Shell_NotifyIconA.
#pragma once

#include <windows.h>

#include "app/tray.h"

namespace ordavi {

struct TrayIconData88 {
  DWORD cbSize;
  HWND hWnd;
  UINT uID;
  UINT uFlags;
  UINT uCallbackMessage;
  HICON hIcon;
  CHAR szTip[64];
};
#if !defined(_WIN64)
static_assert(sizeof(TrayIconData88) == 88, "first NOTIFYICONDATAA layout");
#endif

class TrayIcon : public TrayPort {
 public:
  // `window` is the main window's handle, read at each call.
  explicit TrayIcon(const HWND& window) : window_(window) {}
  // Fills the record (icon loaded by resource name, tip zero-padded to its 64
  // bytes) and passes it to Shell_NotifyIconA. The result is ignored.
  void Notify(TrayOp op, const TrayIconState& state) override;

 private:
  const HWND& window_;
  TrayIconData88 record_ = {};
};

}  // namespace ordavi
