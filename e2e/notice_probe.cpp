// Opens what the agent shows for a dial-up hang-up with the real platform
// calls: HangUpDialup over rasapi32 with the notice windows of Ordavi.exe.
// Runs its message loop until the last notice is closed (or 60 s pass).
#include <windows.h>
#include <commctrl.h>

#include "actions/network.h"
#include "actions/win32/win32_network.h"
#include "app/win32/notice_window.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  ordavi::NoticeWindows notices;
  ordavi::Win32DialupSystem ras([] { return HWND(nullptr); });
  ordavi::HangUpDialup(ras, notices);
  SetTimer(nullptr, 0, 60000, nullptr);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_TIMER) break;
    HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (root && IsDialogMessageA(root, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    if (!FindWindowA("TForm6", nullptr)) break;
  }
  return 0;
}
