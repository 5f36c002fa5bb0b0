// TForm6: the notice window. A small stay-on-top window titled "提示" with one
// line of text and an OK button; each notice is a new window.
#pragma once

#include <windows.h>

#include <string>

#include "actions/network.h"
#include "app/win32/small_form.h"

namespace ordavi {

class TForm6 : public ui::SmallForm {
 public:
  // Opens a new notice (ShowNotice): shown modeless, then made topmost, then
  // given its text. The window frees itself when closed.
  static HWND ShowNotice(const std::string& text);

 private:
  TForm6() = default;
  void OnCreate() override;

  HWND label1_ = nullptr;
};

// NoticeSink for the core: every notice opens a new TForm6.
class NoticeWindows : public NoticeSink {
 public:
  void ShowNotice(const std::string& text) override { TForm6::ShowNotice(text); }
};

}  // namespace ordavi
