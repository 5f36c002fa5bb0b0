// The notification-area icon of the main window: the one tray icon record
// (its first layout: 88 bytes in the 32-bit build, 104 in the 64-bit build,
// 8-byte handles aligned, the platform's own size) handed to Shell_NotifyIconA.
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
#if defined(_WIN64)
static_assert(sizeof(TrayIconData88) == 104, "first NOTIFYICONDATAA layout, 64-bit");
#else
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
