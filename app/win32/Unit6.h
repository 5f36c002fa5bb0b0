// TForm6: the notice window. A small stay-on-top window titled "提示" with one
// line of text and an OK button; each notice is a new window.
#pragma once

#include <windows.h>

#include <string>

#include "actions/network.h"

namespace ordavi {

class TForm6 {
 public:
  // Opens a new notice (ShowNotice): shown modeless, then made topmost, then
  // given its text. The window frees itself when closed.
  static HWND ShowNotice(const std::string& text);

  HWND hwnd_ = nullptr;

 private:
  TForm6() = default;
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  void OnCreate();
  void Button1Click();

  HWND label1_ = nullptr;
  HWND button1_ = nullptr;
  HFONT font_ = nullptr;
};

// NoticeSink for the core: every notice opens a new TForm6.
class NoticeWindows : public NoticeSink {
 public:
  void ShowNotice(const std::string& text) override { TForm6::ShowNotice(text); }
};

}  // namespace ordavi
