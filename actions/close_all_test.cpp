#include "actions/close_all.h"

#include <gtest/gtest.h>

#include <map>

namespace ordavi {
namespace {

struct Win {
  bool visible = true, iconic = false;
  WindowId owner = 0;
  std::uint32_t exStyle = 0, process = 7;
  int title = 5;
};

struct FakeWindows : WindowSystem {
  std::map<WindowId, Win> wins;
  std::vector<WindowId> closed;
  std::vector<WindowId> TopLevelWindows() override {
    std::vector<WindowId> v;
    for (auto& [id, w] : wins) v.push_back(id);
    return v;
  }
  bool IsVisible(WindowId w) override { return wins[w].visible; }
  bool IsIconic(WindowId w) override { return wins[w].iconic; }
  WindowId Owner(WindowId w) override { return wins[w].owner; }
  WindowId DesktopWindow() override { return 1; }
  std::uint32_t ExStyle(WindowId w) override { return wins[w].exStyle; }
  std::uint32_t ProcessOf(WindowId w) override { return w == 100 ? 1 : wins[w].process; }
  int TitleLength(WindowId w) override { return wins[w].title; }
  void PostClose(WindowId w) override { closed.push_back(w); }
};

TEST(CloseAllPrograms, OnlyOrdinaryWindowsOfOtherProgramsAreAskedToClose) {
  FakeWindows ws;
  ws.wins[10] = Win{};                                   // plain visible window: closed
  ws.wins[11] = Win{false, true};                        // minimized, visible flag clear: closed
  ws.wins[12] = Win{false, false};                       // hidden: skipped
  ws.wins[13] = Win{true, false, 1};                     // owned by the desktop: closed
  ws.wins[14] = Win{true, false, 10};                    // owned by another window: skipped
  ws.wins[15] = Win{true, false, 0, 0x80};               // tool window: skipped
  ws.wins[16] = Win{true, false, 0, 0, 1};               // the agent's own process: skipped
  ws.wins[17] = Win{true, false, 0, 0, 7, 0};            // empty title: skipped
  ws.wins[18] = Win{true, false, 0, 0x00040100, 9, 1};   // other ex-styles: closed
  CloseAllPrograms(ws, 100);
  EXPECT_EQ(ws.closed, (std::vector<WindowId>{10, 11, 13, 18}));
}

}  // namespace
}  // namespace ordavi
