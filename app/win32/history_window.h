// The run history's window (window class "OrdaviRunHistory", caption
// "运行记录"): the entries newest first in a list, a button that opens the
// history file in Notepad and one that clears it. Opened from the tray menu;
// there is one at a time, and opening it again brings it to the front with
// its list read afresh.
#pragma once

#include <windows.h>

#include <functional>

#include "app/run_history.h"
#include "ui/win32/window.h"

namespace ordavi {

class RunHistoryWindow : public Window {
 public:
  // `openFile` shows the history file in Notepad.
  static HWND Open(RunHistory& history, std::function<void()> openFile);

 private:
  RunHistoryWindow(RunHistory& history, std::function<void()> openFile)
      : Window(Lifetime::FreedWhenDestroyed), history_(history), openFile_(std::move(openFile)) {}

  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void CreateControls();
  // The list as the file holds it now.
  void ShowEntries();
  void ClearClick();

  RunHistory& history_;
  std::function<void()> openFile_;
  HFONT font_ = nullptr;
  HWND list_ = nullptr;
};

}  // namespace ordavi
