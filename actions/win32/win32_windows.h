// Window enumeration and queries for CloseAllPrograms over the Win32 API.
#pragma once

#include "actions/close_all.h"

namespace ordavi {

class Win32WindowSystem : public WindowSystem {
 public:
  std::vector<WindowId> TopLevelWindows() override;
  bool IsVisible(WindowId w) override;
  bool IsIconic(WindowId w) override;
  WindowId Owner(WindowId w) override;
  WindowId DesktopWindow() override;
  std::uint32_t ExStyle(WindowId w) override;
  std::uint32_t ProcessOf(WindowId w) override;
  int TitleLength(WindowId w) override;
  void PostClose(WindowId w) override;
};

}  // namespace ordavi
