// Asking every ordinary top-level window of other programs to close, before a
// scheduled standby or hibernate.
#pragma once

#include <cstdint>
#include <vector>

namespace ordavi {

using WindowId = std::uintptr_t;

// Port: the window queries CloseAllPrograms needs.
class WindowSystem {
 public:
  virtual ~WindowSystem() = default;
  virtual std::vector<WindowId> TopLevelWindows() = 0;  // EnumWindows order
  virtual bool IsVisible(WindowId w) = 0;
  virtual bool IsIconic(WindowId w) = 0;
  virtual WindowId Owner(WindowId w) = 0;               // GWL_HWNDPARENT
  virtual WindowId DesktopWindow() = 0;
  virtual std::uint32_t ExStyle(WindowId w) = 0;        // GWL_EXSTYLE
  virtual std::uint32_t ProcessOf(WindowId w) = 0;      // GetWindowThreadProcessId
  virtual int TitleLength(WindowId w) = 0;              // GetWindowTextA into 256 characters
  virtual void PostClose(WindowId w) = 0;               // PostMessageA WM_CLOSE, 0, 0
};

// Posts WM_CLOSE to every window that is visible or minimized, unowned (or
// owned by the desktop), not a tool window, not of the agent's own process
// (found from mainWindow) and has a title. Waits for nothing.
void CloseAllPrograms(WindowSystem& ws, WindowId mainWindow);

}  // namespace ordavi
