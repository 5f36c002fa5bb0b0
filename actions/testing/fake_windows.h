// The window port for unit tests: the top-level windows in `windows` (in
// handle order) with their facts, the desktop window 1; logs "PostClose(id)".
#pragma once

#include <map>
#include <string>
#include <vector>

#include "actions/close_all.h"
#include "store/testing/call_log.h"

namespace ordavi::testing {

class FakeWindows : public Recording, public WindowSystem {
 public:
  struct Window {
    bool visible = true, iconic = false;
    WindowId owner = 0;
    std::uint32_t exStyle = 0, process = 7;
    int title = 5;
  };
  using Recording::Recording;

  std::vector<WindowId> TopLevelWindows() override {
    std::vector<WindowId> v;
    for (const auto& [id, w] : windows) v.push_back(id);
    return v;
  }
  bool IsVisible(WindowId w) override { return Of(w).visible; }
  bool IsIconic(WindowId w) override { return Of(w).iconic; }
  WindowId Owner(WindowId w) override { return Of(w).owner; }
  WindowId DesktopWindow() override { return 1; }
  std::uint32_t ExStyle(WindowId w) override { return Of(w).exStyle; }
  std::uint32_t ProcessOf(WindowId w) override { return Of(w).process; }
  int TitleLength(WindowId w) override { return Of(w).title; }
  void PostClose(WindowId w) override { Record("PostClose", {std::to_string(w)}); }

  std::map<WindowId, Window> windows;

 private:
  Window Of(WindowId w) const {
    const auto it = windows.find(w);
    return it == windows.end() ? Window{} : it->second;
  }
};

}  // namespace ordavi::testing
