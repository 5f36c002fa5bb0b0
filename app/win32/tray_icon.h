// The notification-area icon of the main window: the one tray icon record
// (the first Unicode layout: 152 bytes in the 32-bit build, 168 in the 64-bit
// build, 8-byte handles aligned, the platform's own size) handed to
// Shell_NotifyIconW, so the tip shows the same on a Windows of any language.
#pragma once

#include <windows.h>

#include "app/tray.h"

namespace ordavi {

struct TrayIconRecord {
  DWORD cbSize;
  HWND hWnd;
  UINT uID;
  UINT uFlags;
  UINT uCallbackMessage;
  HICON hIcon;
  WCHAR szTip[64];
};
#if defined(_WIN64)
static_assert(sizeof(TrayIconRecord) == 168, "first NOTIFYICONDATAW layout, 64-bit");
#else
static_assert(sizeof(TrayIconRecord) == 152, "first NOTIFYICONDATAW layout");
#endif

class TrayIcon : public TrayPort {
 public:
  // `window` is the main window's handle, read at each call.
  explicit TrayIcon(const HWND& window) : window_(window) {}
  // Fills the record (icon loaded by resource name, the GBK tip as UTF-16,
  // zero-padded to its 64 units and cut at 63) and passes it to
  // Shell_NotifyIconW. The result is ignored.
  void Notify(TrayOp op, const TrayIconState& state) override;

 private:
  const HWND& window_;
  TrayIconRecord record_ = {};
};

}  // namespace ordavi
