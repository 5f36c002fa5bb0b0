// The floor of the footprint and start-up benchmarks: an empty Win32 program
// built with the same toolchain and flags as Ordavi.exe, that creates one
// hidden top-level window and runs a message loop until it is closed.
#include <windows.h>

namespace {
LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(h, msg, w, l);
}
}  // namespace

int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR, int) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = Proc;
  wc.hInstance = inst;
  wc.lpszClassName = "OrdaviBenchEmpty";
  RegisterClassA(&wc);
  CreateWindowExA(0, "OrdaviBenchEmpty", "empty", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr, inst,
                  nullptr);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
