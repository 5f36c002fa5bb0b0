#include "app/win32/ui.h"

#include <set>

#include "store/errors.h"

namespace ordavi::ui {

HFONT Font(const char* face, int height) {
  return CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
}

HFONT SongTi(int height) {
  return CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "宋体");
}

SIZE OuterSize(int w, int h, DWORD style, DWORD exStyle) {
  RECT r = {0, 0, w, h};
  AdjustWindowRectEx(&r, style, FALSE, exStyle);
  return {r.right - r.left, r.bottom - r.top};
}

POINT CentredOnScreen(SIZE outer) {
  const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  return {(sw - outer.cx) / 2, (sh - outer.cy) / 2};
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

HWND CreateLabel(HWND parent, int id, int x, int y, const std::string& text, HFONT font) {
  HWND h = CreateWindowExA(0, "STATIC", text.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, x, y, 1, 1,
                           parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr),
                           nullptr);
  SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  FitLabel(h);
  return h;
}

void SetLabel(HWND label, const std::string& text) {
  SetWindowTextA(label, text.c_str());
  FitLabel(label);
}

HWND CreateButton(HWND parent, int id, int x, int y, int w, int h, const std::string& text, HFONT font,
                  DWORD extraStyle) {
  HWND b = CreateWindowExA(0, "BUTTON", text.c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | extraStyle, x, y, w, h,
                           parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr),
                           nullptr);
  SendMessageA(b, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return b;
}

void RegisterClassOnce(const char* name, WNDPROC proc, HICON icon) {
  WNDCLASSEXA wc = {};
  if (GetClassInfoExA(GetModuleHandleA(nullptr), name, &wc)) return;
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hIcon = icon;
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = name;
  RegisterClassExA(&wc);
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

}  // namespace ordavi::ui
