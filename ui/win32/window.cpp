#include "ui/win32/window.h"

#include <set>

#include "store/errors.h"

namespace ordavi {

namespace ui {

int ScreenDpi() {
  static const int dpi = [] {
    HDC screen = GetDC(nullptr);
    const int d = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return d > 0 ? d : USER_DEFAULT_SCREEN_DPI;
  }();
  return dpi;
}

int Scaled(int length) { return MulDiv(length, ScreenDpi(), USER_DEFAULT_SCREEN_DPI); }
int Unscaled(int pixels) { return MulDiv(pixels, USER_DEFAULT_SCREEN_DPI, ScreenDpi()); }
SIZE Scaled(SIZE size) { return {Scaled(size.cx), Scaled(size.cy)}; }

HFONT Font(const char* face, int height) {
  return CreateFontA(Scaled(height), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
}

HFONT SongTi(int height) {
  return CreateFontA(Scaled(height), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "宋体");
}

SIZE OuterSize(int w, int h, DWORD style, DWORD exStyle) {
  RECT r = {0, 0, Scaled(w), Scaled(h)};
  AdjustWindowRectEx(&r, style, FALSE, exStyle);
  return {r.right - r.left, r.bottom - r.top};
}

POINT CentredOnScreen(SIZE outer) {
  const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  return {(sw - outer.cx) / 2, (sh - outer.cy) / 2};
}

HWND CreateChild(HWND parent, const char* className, int id, int x, int y, int w, int h, DWORD style, HFONT font,
                 const std::string& text, DWORD exStyle) {
  const int left = Scaled(x), top = Scaled(y);
  HWND c = CreateWindowExA(exStyle, className, text.c_str(), WS_CHILD | WS_VISIBLE | style, left, top,
                           Scaled(x + w) - left, Scaled(y + h) - top, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
  if (font) SendMessageA(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return c;
}

void FitLabel(HWND label) {
  char text[1024];
  const int n = GetWindowTextA(label, text, sizeof text);
  HDC dc = GetDC(label);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0)));
  SIZE size = {0, 0};
  if (n > 0) {
    GetTextExtentPoint32A(dc, text, n, &size);
  } else {
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);
    size.cy = tm.tmHeight;
  }
  SelectObject(dc, old);
  ReleaseDC(label, dc);
  SetWindowPos(label, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SetLabel(HWND label, const std::string& text) {
  SetWindowTextA(label, text.c_str());
  FitLabel(label);
}

void BringToFront(HWND window) {
  if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
  SetForegroundWindow(window);
  HWND last = GetLastActivePopup(window);
  if (last && last != window && IsWindowVisible(last)) SetForegroundWindow(last);
}

void ShowErrorBox(const std::string& message) {
  // The box runs its own message loop, so timers keep firing while it is up.
  // A handler that fails the same way on every tick would otherwise pile up
  // one box per tick; the same text is shown once until its box is closed.
  static std::set<std::string> open;
  const std::string text = ErrorBoxText(message);
  if (!open.insert(text).second) return;
  MessageBoxA(nullptr, text.c_str(), "Ordavi", MB_OK | MB_ICONERROR);
  open.erase(text);
}

}  // namespace ui

namespace {
void RegisterClassOnce(const char* name, WNDPROC proc) {
  HINSTANCE inst = GetModuleHandleA(nullptr);
  WNDCLASSEXA wc = {};
  if (GetClassInfoExA(inst, name, &wc)) return;
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = proc;
  wc.hInstance = inst;
  wc.hIcon = LoadIconA(inst, "MAINICON");
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = name;
  RegisterClassExA(&wc);
}
}  // namespace

Window::~Window() {
  for (HFONT f : fonts_) DeleteObject(f);
}

HWND Window::CreateTopLevel(const char* className, const char* caption, DWORD style, DWORD exStyle, POINT at,
                            SIZE outer) {
  RegisterClassOnce(className, Procedure);
  // A self-freeing window whose creation fails after WM_NCCREATE is freed by
  // its WM_NCDESTROY, which tells so here; one that failed before is freed here.
  const Lifetime lifetime = lifetime_;
  bool freed = false;
  freedDuringCreation_ = &freed;
  HWND hwnd = CreateWindowExA(exStyle, className, caption, style, at.x, at.y, outer.cx, outer.cy, nullptr, nullptr,
                              GetModuleHandleA(nullptr), this);
  if (freed) return nullptr;
  freedDuringCreation_ = nullptr;
  if (!hwnd && lifetime == Lifetime::FreedWhenDestroyed) delete this;
  return hwnd;
}

HWND Window::CreateCentred(const char* className, const char* caption, DWORD style, DWORD exStyle, int clientW,
                           int clientH) {
  const SIZE outer = ui::OuterSize(clientW, clientH, style, exStyle);
  return CreateTopLevel(className, caption, style, exStyle, ui::CentredOnScreen(outer), outer);
}

LRESULT CALLBACK Window::Procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->hwnd_ = hwnd;
  }
  auto* self = reinterpret_cast<Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcA(hwnd, msg, wParam, lParam);
  const LRESULT result = ui::Guard([&] { return self->OnMessage(msg, wParam, lParam); });
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    // Nothing refers to a closed notice, About box or dialog: it goes at once.
    if (self->lifetime_ == Lifetime::FreedWhenDestroyed) {
      if (self->freedDuringCreation_) *self->freedDuringCreation_ = true;
      delete self;
    }
  }
  return result;
}

HFONT Window::OwnFont(HFONT font) {
  fonts_.push_back(font);
  return font;
}

HWND Window::CreateControl(const char* className, int id, int x, int y, int w, int h, DWORD style, HFONT font,
                           const std::string& text, DWORD exStyle) {
  return ui::CreateChild(hwnd_, className, id, x, y, w, h, style, font, text, exStyle);
}

HWND Window::CreateLabel(int id, int x, int y, const std::string& text, HFONT font) {
  // No word wrap: the label is exactly as wide as its text, and Wine's line
  // breaking would otherwise drop a character of some Chinese texts ("程序：").
  HWND label = CreateControl("STATIC", id, x, y, 1, 1, SS_LEFTNOWORDWRAP | SS_NOPREFIX, font, text);
  ui::FitLabel(label);
  return label;
}

HWND Window::CreateButton(int id, int x, int y, int w, int h, const std::string& text, HFONT font, DWORD extraStyle) {
  return CreateControl("BUTTON", id, x, y, w, h, WS_TABSTOP | extraStyle, font, text);
}

}  // namespace ordavi
