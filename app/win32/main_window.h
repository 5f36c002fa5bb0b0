// The agent's main window (window class "TForm1"). Hidden for the agent's
// whole life, it holds the tray icon, the hotkeys, the popup menu and the
// timers, and shows the countdown panel only while a countdown runs.
//
// The window only translates: each message becomes one call on the
// MainWindowEvents it was created with, and its parts (tray icon, hotkeys,
// timers, countdown panel) are the ports through which the core acts.
#pragma once

#include <windows.h>

#include <string>

#include "app/main_window_events.h"
#include "app/main_window_port.h"
#include "app/win32/countdown_panel.h"
#include "app/win32/global_hotkeys.h"
#include "app/win32/tray_icon.h"
#include "app/win32/window_timers.h"
#include "ui/win32/window.h"

namespace ordavi {

class MainWindow : public Window, public MainWindowPort {
 public:
  MainWindow() : Window(Lifetime::Owned) {}
  ~MainWindow() override;

  // Creates the hidden window with its controls and menu (design state: the
  // task tick's and the countdown's timers on); from then on its messages go
  // to `events`.
  bool Create(MainWindowEvents& events);

  // The parts the core acts through. They exist before the window does and
  // act on it once it is created.
  TrayIcon& tray() { return tray_; }
  GlobalHotkeys& hotkeys() { return hotkeys_; }
  WindowTimers& timers() { return timers_; }
  CountdownPanel& countdownPanel() { return countdownPanel_; }

  // MainWindowPort
  std::uint32_t RegisterTaskbarCreated() override;
  void SetProgressMax(std::int32_t maximum) override { countdownPanel_.SetProgressMax(maximum); }
  void MakeTopmost() override;
  void SetMenuCaption(MenuItem item, const std::string& caption) override;
  void SetMenuChecked(MenuItem item, bool checked) override;
  void SetMenuEnabled(MenuItem item, bool enabled) override;
  void SetPostponedItem(const std::string& caption) override;
  void OpenAbout() override;
  void Close() override;

 private:
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void OnCreate();
  void CreatePopupMenu();
  void OnTimer(UINT_PTR id);
  void OnCommand(WORD id);
  void OnTrayCallback(LPARAM mouseMessage);

  MainWindowEvents* events_ = nullptr;
  TrayIcon tray_{hwnd_};
  GlobalHotkeys hotkeys_{hwnd_};
  WindowTimers timers_{hwnd_};
  CountdownPanel countdownPanel_{hwnd_};
  HMENU popupMenu_ = nullptr;
};

}  // namespace ordavi
