// The notice window (window class "TForm6"): a small stay-on-top window
// titled "提示" with one line of text and an OK button; each notice is a new
// window.
#pragma once

#include <windows.h>

#include <string>

#include "actions/notices.h"
#include "app/win32/ok_window.h"

namespace ordavi {

class NoticeWindow : public OkWindow {
 public:
  // Opens a new notice: shown modeless, then made topmost, then given its
  // text. The window frees itself when closed.
  static HWND Show(const std::string& text);

 private:
  NoticeWindow() = default;
  void CreateControls() override;

  HWND text_ = nullptr;
};

// NoticeSink for the core: every notice opens a new notice window.
class NoticeWindows : public NoticeSink {
 public:
  void ShowNotice(const std::string& text) override { NoticeWindow::Show(text); }
};

}  // namespace ordavi
