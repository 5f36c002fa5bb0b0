#include "actions/close_all.h"

#include <gtest/gtest.h>

#include "actions/testing/fake_windows.h"

namespace ordavi {
namespace {

using testing::CallLog;
using testing::FakeWindows;
using Win = FakeWindows::Window;

TEST(CloseAllPrograms, OnlyOrdinaryWindowsOfOtherProgramsAreAskedToClose) {
  FakeWindows ws;
  ws.windows[10] = Win{};                                  // plain visible window: closed
  ws.windows[11] = Win{false, true};                       // minimized, visible flag clear: closed
  ws.windows[12] = Win{false, false};                      // hidden: skipped
  ws.windows[13] = Win{true, false, 1};                    // owned by the desktop: closed
  ws.windows[14] = Win{true, false, 10};                   // owned by another window: skipped
  ws.windows[15] = Win{true, false, 0, 0x80};              // tool window: skipped
  ws.windows[16] = Win{true, false, 0, 0, 1};              // the agent's own process: skipped
  ws.windows[17] = Win{true, false, 0, 0, 7, 0};           // empty title: skipped
  ws.windows[18] = Win{true, false, 0, 0x00040100, 9, 1};  // other ex-styles: closed
  ws.windows[100] = Win{false, false, 0, 0, 1};            // the agent's own main window, hidden: skipped
  CloseAllPrograms(ws, 100);
  EXPECT_EQ(ws.log, (CallLog{"PostClose(10)", "PostClose(11)", "PostClose(13)", "PostClose(18)"}));
}

}  // namespace
}  // namespace ordavi
