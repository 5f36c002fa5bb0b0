#include "actions/close_all.h"

namespace ordavi {

namespace {
constexpr std::uint32_t kToolWindow = 0x80;  // WS_EX_TOOLWINDOW
}

void CloseAllPrograms(WindowSystem& ws, WindowId mainWindow) {
  const std::uint32_t ownProcess = ws.ProcessOf(mainWindow);
  const WindowId desktop = ws.DesktopWindow();
  for (WindowId w : ws.TopLevelWindows()) {
    if (!ws.IsVisible(w) && !ws.IsIconic(w)) continue;
    const WindowId owner = ws.Owner(w);
    if (owner != 0 && owner != desktop) continue;
    if (ws.ExStyle(w) & kToolWindow) continue;
    if (ws.ProcessOf(w) == ownProcess) continue;
    if (ws.TitleLength(w) > 0) ws.PostClose(w);
  }
}

}  // namespace ordavi
