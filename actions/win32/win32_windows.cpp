#include "actions/win32/win32_windows.h"

#include <windows.h>

namespace ordavi {

namespace {
HWND H(WindowId w) { return reinterpret_cast<HWND>(w); }

BOOL CALLBACK Collect(HWND hwnd, LPARAM list) {
  reinterpret_cast<std::vector<WindowId>*>(list)->push_back(reinterpret_cast<WindowId>(hwnd));
  return TRUE;
}
}  // namespace

std::vector<WindowId> Win32WindowSystem::TopLevelWindows() {
  std::vector<WindowId> list;
  EnumWindows(Collect, reinterpret_cast<LPARAM>(&list));
  return list;
}

bool Win32WindowSystem::IsVisible(WindowId w) { return IsWindowVisible(H(w)) != 0; }
bool Win32WindowSystem::IsIconic(WindowId w) { return ::IsIconic(H(w)) != 0; }
WindowId Win32WindowSystem::Owner(WindowId w) {
#if defined(_WIN64)
  return static_cast<WindowId>(GetWindowLongPtrA(H(w), GWLP_HWNDPARENT));
#else
  return static_cast<WindowId>(static_cast<std::uint32_t>(GetWindowLongA(H(w), GWL_HWNDPARENT)));  // index -8
#endif
}
WindowId Win32WindowSystem::DesktopWindow() { return reinterpret_cast<WindowId>(GetDesktopWindow()); }
std::uint32_t Win32WindowSystem::ExStyle(WindowId w) {
  return static_cast<std::uint32_t>(GetWindowLongA(H(w), GWL_EXSTYLE));
}
std::uint32_t Win32WindowSystem::ProcessOf(WindowId w) {
  DWORD pid = 0;
  GetWindowThreadProcessId(H(w), &pid);
  return pid;
}
int Win32WindowSystem::TitleLength(WindowId w) {
  char title[256];
  return GetWindowTextA(H(w), title, sizeof title);
}
void Win32WindowSystem::PostClose(WindowId w) { PostMessageA(H(w), WM_CLOSE, 0, 0); }

}  // namespace ordavi
