#include "ui/win32/window.h"

#include <iterator>
#include <set>

#include "store/errors.h"
#include "store/win32/gbk_text.h"

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
  return CreateFontW(Scaled(height), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, WideFromGbk(face).c_str());
}

HFONT SongTi(int height) {
  return CreateFontW(Scaled(height), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, WideFromGbk("宋体").c_str());
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
  HWND c = CreateWindowExW(exStyle, WideFromGbk(className).c_str(), WideFromGbk(text).c_str(), WS_CHILD | WS_VISIBLE | style, left, top,
                           Scaled(x + w) - left, Scaled(y + h) - top, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  if (font) SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return c;
}

void FitLabel(HWND label) {
  wchar_t text[1024];
  const int n = GetWindowTextW(label, text, static_cast<int>(std::size(text)));
  HDC dc = GetDC(label);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
  SIZE size = {0, 0};
  if (n > 0) {
    GetTextExtentPoint32W(dc, text, n, &size);
  } else {
    TEXTMETRICW tm;
    GetTextMetricsW(dc, &tm);
    size.cy = tm.tmHeight;
  }
  SelectObject(dc, old);
  ReleaseDC(label, dc);
  SetWindowPos(label, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SetLabel(HWND label, const std::string& text) {
  SetWindowTextW(label, WideFromGbk(text).c_str());
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
  MessageBoxW(nullptr, WideFromGbk(text).c_str(), L"Ordavi", MB_OK | MB_ICONERROR);
  open.erase(text);
}

}  // namespace ui

namespace {
void RegisterClassOnce(const std::wstring& name, WNDPROC proc) {
  HINSTANCE inst = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc = {};
  if (GetClassInfoExW(inst, name.c_str(), &wc)) return;
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = proc;
  wc.hInstance = inst;
  wc.hIcon = LoadIconW(inst, L"MAINICON");
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = name.c_str();
  RegisterClassExW(&wc);
}
}  // namespace

Window::~Window() {
  for (HFONT f : fonts_) DeleteObject(f);
}

HWND Window::CreateTopLevel(const char* className, const char* caption, DWORD style, DWORD exStyle, POINT at,
                            SIZE outer) {
  const std::wstring wideClass = WideFromGbk(className);
  RegisterClassOnce(wideClass, Procedure);
  // A self-freeing window whose creation fails after WM_NCCREATE is freed by
  // its WM_NCDESTROY, which tells so here; one that failed before is freed here.
  const Lifetime lifetime = lifetime_;
  bool freed = false;
  freedDuringCreation_ = &freed;
  HWND hwnd = CreateWindowExW(exStyle, wideClass.c_str(), WideFromGbk(caption).c_str(), style, at.x, at.y, outer.cx,
                              outer.cy, nullptr, nullptr, GetModuleHandleW(nullptr), this);
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

bool Window::BringOpenOneToFront(HWND open) {
  if (!open || !IsWindow(open)) return false;
  ui::BringToFront(open);
  return true;
}

HWND Window::OpenAsTheOnlyOne(HWND& open, const char* className, const char* caption, DWORD style, int clientW,
                              int clientH, int focusId) {
  HWND hwnd = CreateCentred(className, caption, style, WS_EX_CONTROLPARENT, clientW, clientH);
  if (!hwnd) return nullptr;
  open = hwnd;
  openSlot_ = &open;
  ShowWindow(hwnd, SW_SHOWNORMAL);
  SetFocus(GetDlgItem(hwnd, focusId));
  return hwnd;
}

LRESULT CALLBACK Window::Procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->hwnd_ = hwnd;
  }
  auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
  if (msg == WM_DESTROY && self->openSlot_ && *self->openSlot_ == hwnd) *self->openSlot_ = nullptr;
  const LRESULT result = ui::Guard([&] { return self->OnMessage(msg, wParam, lParam); });
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
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
