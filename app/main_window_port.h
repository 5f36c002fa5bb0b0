// Port: the main window itself, as the agent core asks things of it.
#pragma once

#include <cstdint>
#include <string>

#include "app/menu.h"

namespace ordavi {

class MainWindowPort {
 public:
  virtual ~MainWindowPort() = default;
  // The message number of "TaskbarCreated", let through the window's message
  // filter so an elevated agent still hears of a restarted taskbar.
  virtual std::uint32_t RegisterTaskbarCreated() = 0;
  virtual void SetProgressMax(std::int32_t maximum) = 0;
  virtual void MakeTopmost() = 0;  // SetWindowPos HWND_TOPMOST, 0,0,0,0, flags 3
  virtual void SetMenuCaption(MenuItem item, const std::string& caption) = 0;
  virtual void SetMenuChecked(MenuItem item, bool checked) = 0;
  virtual void SetMenuEnabled(MenuItem item, bool enabled) = 0;
  // The menu's CancelPostponed item with this caption, after the others; an
  // empty caption removes it.
  virtual void SetPostponedItem(const std::string& caption) = 0;
  virtual void OpenAbout() = 0;    // a new modeless About box
  virtual void Close() = 0;        // closes the main window, ending the agent
};

}  // namespace ordavi
