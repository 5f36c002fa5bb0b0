// The one window base of the agent's windows (main window, notice, About box,
// and the dialogs): class registration, the instance attached to its window at
// WM_NCCREATE (GWLP_USERDATA), the error-box guard at the dispatch boundary,
// and the font and layout helpers the windows build their controls with.
//
// Every window is laid out for 96 DPI. The helpers here take those 96-DPI
// lengths (places, sizes, font heights) and turn them into pixels of the
// screen's DPI, so a window keeps its proportions and its text fits at any
// DPI; only lengths measured on the screen (a label's fitted width, a list
// cell's rectangle) are pixels already.
//
// Texts handed to these helpers are GBK, as the core keeps them; the windows
// are Unicode windows and every text reaches the system as UTF-16 (code page
// 936 converted explicitly), so they show the same on a Windows of any
// language or code page.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "store/errors.h"

namespace ordavi {

namespace ui {

// The screen's DPI (LOGPIXELSY of the screen), read once: the process is
// system-DPI aware, so it does not change while the agent runs.
int ScreenDpi();
// A 96-DPI length in pixels of the screen, and a length in pixels back in
// 96-DPI units (rounded to the nearest).
int Scaled(int length);
int Unscaled(int pixels);
SIZE Scaled(SIZE size);

// A font by face name and 96-DPI height (negative: character height).
HFONT Font(const char* face, int height);
HFONT SongTi(int height);  // "宋体"

// Outer size in pixels of a window whose client area is `w` x `h` at 96 DPI.
SIZE OuterSize(int w, int h, DWORD style, DWORD exStyle);
// Top-left corner that centres a window of that outer size on the screen.
POINT CentredOnScreen(SIZE outer);

// A child control of a given class, 96-DPI place and size, style and font
// (null: the system font), visible. The right and bottom edges are scaled
// rather than the size, so controls that meet at 96 DPI still meet.
HWND CreateChild(HWND parent, const char* className, int id, int x, int y, int w, int h, DWORD style, HFONT font,
                 const std::string& text = std::string(), DWORD exStyle = 0);

// Resizes a label to fit its current text, as an auto-sized label does.
void FitLabel(HWND label);
void SetLabel(HWND label, const std::string& text);

// Brings an open window to the front (restored when minimised), together with
// the windows it owns: the one of them used last gets the focus.
void BringToFront(HWND window);

// Shows the standard error box: caption "Ordavi", error icon, the message
// with a full stop appended when its last character sorts after ".". The
// same text is shown once until its box is closed.
void ShowErrorBox(const std::string& message);

// Runs a handler at the message-dispatch boundary: no exception escapes it.
template <typename F>
LRESULT Guard(F&& f, LRESULT onError = 0) {
  try {
    return f();
  } catch (const FrameworkError& e) {
    ShowErrorBox(UserErrorText(e));
  } catch (const std::exception& e) {
    ShowErrorBox(e.what());
  } catch (...) {
    ShowErrorBox("Unexpected error");
  }
  return onError;
}

}  // namespace ui

class Window {
 public:
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  HWND handle() const { return hwnd_; }
  // The open window of a kind of which one at a time is open, brought to the
  // front; false when none is open.
  static bool BringOpenOneToFront(HWND open);

 protected:
  // A window that frees itself once destroyed (notices, About boxes, the
  // dialogs: each use creates a new one with new), or one its owner keeps.
  enum class Lifetime { Owned, FreedWhenDestroyed };
  explicit Window(Lifetime lifetime) : lifetime_(lifetime) {}
  virtual ~Window();

  // Registers `className` once (application icon, arrow cursor, button-face
  // background) and creates the window at `at` with the outer size `outer`
  // (screen pixels).
  // A self-freeing window that could not be created is freed here.
  HWND CreateTopLevel(const char* className, const char* caption, DWORD style, DWORD exStyle, POINT at, SIZE outer);
  // The same, centred on the screen, with a client area of `clientW` x
  // `clientH` at 96 DPI.
  HWND CreateCentred(const char* className, const char* caption, DWORD style, DWORD exStyle, int clientW,
                     int clientH);

  // A window of which one at a time is open (the settings dialog, the run
  // history): created centred and shown, the focus on control `focusId`;
  // `open` holds it until it is destroyed. Null when it was not created.
  HWND OpenAsTheOnlyOne(HWND& open, const char* className, const char* caption, DWORD style, int clientW,
                        int clientH, int focusId);

  // Every message of the window, inside the error-box guard; a WM_CLOSE
  // left to Default destroys the window.
  virtual LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) = 0;
  LRESULT Default(UINT msg, WPARAM wParam, LPARAM lParam) { return DefWindowProcW(hwnd_, msg, wParam, lParam); }

  // Controls, placed in 96-DPI units. Fonts made with OwnFont live as long as
  // the window object.
  HFONT OwnFont(HFONT font);
  void SetFont(HFONT font) { SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE); }
  // A static text that sizes itself to its text, like an auto-sized label.
  HWND CreateLabel(int id, int x, int y, const std::string& text, HFONT font);
  HWND CreateButton(int id, int x, int y, int w, int h, const std::string& text, HFONT font, DWORD extraStyle = 0);
  // Any other child control of a given class, size and font.
  HWND CreateControl(const char* className, int id, int x, int y, int w, int h, DWORD style, HFONT font,
                     const std::string& text = std::string(), DWORD exStyle = 0);

  HWND hwnd_ = nullptr;

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

  Lifetime lifetime_;
  bool* freedDuringCreation_ = nullptr;
  HWND* openSlot_ = nullptr;
  std::vector<HFONT> fonts_;
};

}  // namespace ordavi
