#include "ui/win32/dialog_controls.h"

#include <commctrl.h>
#include <commdlg.h>

#include <iterator>

#include "store/win32/gbk_text.h"
#include "ui/unstorable_text.h"
#include "platform/win32/system_library.h"
#include "ui/win32/window.h"

namespace ordavi::ui {

namespace {

constexpr UINT_PTR kKeyFilterId = 1;
constexpr UINT_PTR kForwardId = 2;

LRESULT CALLBACK KeyFilterProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
  // A Unicode window gets each typed character as one UTF-16 unit (two for a
  // character beyond the BMP). Every filter accepts ASCII keys only, so any
  // unit past ASCII is refused whole, never cut down to a byte that might pass.
  if (msg == WM_CHAR && (wParam > 0x7F || !reinterpret_cast<KeyFilter>(data)(static_cast<char>(wParam)))) return 0;
  return DefSubclassProc(h, msg, wParam, lParam);
}

struct Forwarding {
  HWND target;
  UINT scrolled;
};

LRESULT CALLBACK ForwardProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
  const auto* f = reinterpret_cast<const Forwarding*>(data);
  switch (msg) {
    case WM_COMMAND: return SendMessageW(f->target, msg, wParam, lParam);
    case WM_VSCROLL:
    case WM_HSCROLL:
    case WM_MOUSEWHEEL:
    case WM_KEYDOWN: {
      const LRESULT r = DefSubclassProc(h, msg, wParam, lParam);
      SendMessageW(f->target, f->scrolled, 0, 0);
      return r;
    }
    case WM_NCDESTROY: {
      RemoveWindowSubclass(h, ForwardProc, kForwardId);
      const LRESULT r = DefSubclassProc(h, msg, wParam, lParam);
      delete f;
      return r;
    }
    default: return DefSubclassProc(h, msg, wParam, lParam);
  }
}

}  // namespace

void InitDialogControls() {
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES | ICC_DATE_CLASSES | ICC_BAR_CLASSES |
                                              ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
}

namespace {
std::wstring WideTextOf(HWND control) {
  const int n = GetWindowTextLengthW(control);
  std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
  const int got = GetWindowTextW(control, &text[0], n + 1);
  text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
  return text;
}
}  // namespace

std::string TextOf(HWND control) { return GbkFromWide(WideTextOf(control)); }

std::optional<std::string> ExactTextOf(HWND control) { return GbkFromWideExactly(WideTextOf(control)); }

void SetText(HWND control, const std::string& text) { SetWindowTextW(control, WideFromGbk(text).c_str()); }

bool Checked(HWND button) { return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void SetChecked(HWND button, bool checked) {
  SendMessageW(button, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void SetComboItems(HWND combo, const std::vector<std::string>& items) {
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  for (const std::string& item : items) {
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideFromGbk(item).c_str()));
  }
}

void SelectComboText(HWND combo, const std::string& text) {
  const std::wstring wanted = WideFromGbk(text);
  const int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
  int found = CB_ERR;
  for (int i = 0; i < count && found == CB_ERR; ++i) {
    const int n = static_cast<int>(SendMessageW(combo, CB_GETLBTEXTLEN, i, 0));
    std::wstring item(static_cast<std::size_t>(n > 0 ? n : 0) + 1, L'\0');
    SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&item[0]));
    item.resize(static_cast<std::size_t>(n > 0 ? n : 0));
    if (item == wanted) found = i;
  }
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(found), 0);
  if ((GetWindowLongW(combo, GWL_STYLE) & 3) != CBS_DROPDOWNLIST) SetText(combo, text);
}

TimeOfDayValue PickerTime(HWND picker) {
  SYSTEMTIME t = {};
  SendMessageW(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&t));
  return {t.wHour, t.wMinute};
}

void SetPickerTime(HWND picker, int hour, int minute) {
  SYSTEMTIME t = {};
  SendMessageW(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&t));
  if (t.wYear == 0) {  // a picker keeps a whole date; any valid one will do
    t.wYear = 2009;
    t.wMonth = 1;
    t.wDay = 19;
  }
  t.wHour = static_cast<WORD>(hour);
  t.wMinute = static_cast<WORD>(minute);
  t.wSecond = 0;
  t.wMilliseconds = 0;
  SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&t));
}

Date PickerDate(HWND picker) {
  SYSTEMTIME t = {};
  SendMessageW(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&t));
  return {t.wYear, t.wMonth, t.wDay};
}

void SetPickerDate(HWND picker, const Date& date) {
  SYSTEMTIME t = {};
  t.wYear = static_cast<WORD>(date.year);
  t.wMonth = static_cast<WORD>(date.month);
  t.wDay = static_cast<WORD>(date.day);
  SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&t));
}

HWND CreateTooltips(HWND owner) {
  HWND tips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  SendMessageW(tips, TTM_SETMAXTIPWIDTH, 0, ui::Scaled(400));
  return tips;
}

namespace {
void SetToolFor(HWND tips, HWND owner, HWND control, const std::string& text) {
  TOOLINFOW ti = {};
  ti.cbSize = sizeof ti;
  ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  ti.hwnd = owner;
  ti.uId = reinterpret_cast<UINT_PTR>(control);
  SendMessageW(tips, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
  if (text.empty()) return;
  std::wstring wide = WideFromGbk(text);
  ti.lpszText = &wide[0];
  SendMessageW(tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}
}  // namespace

void SetTooltip(HWND tooltips, HWND control, const std::string& text) {
  HWND owner = GetParent(control);
  SetToolFor(tooltips, owner, control, text);
  COMBOBOXINFO info = {};
  info.cbSize = sizeof info;
  if (GetComboBoxInfo(control, &info) && info.hwndItem && info.hwndItem != control) {
    SetToolFor(tooltips, owner, info.hwndItem, text);
  }
}

void FilterTypedKeys(HWND edit, KeyFilter accepts) {
  SetWindowSubclass(edit, KeyFilterProc, kKeyFilterId, reinterpret_cast<DWORD_PTR>(accepts));
}

void ForwardCommandsTo(HWND parent, HWND target, UINT scrolled) {
  SetWindowSubclass(parent, ForwardProc, kForwardId, reinterpret_cast<DWORD_PTR>(new Forwarding{target, scrolled}));
}

namespace {
std::optional<std::wstring> RunFileDialog(bool save, HWND owner, const std::string& filter, const char* title,
                                          const std::wstring& folder, const std::wstring& name,
                                          const wchar_t* defaultExtension) {
  wchar_t file[MAX_PATH] = L"";
  if (name.size() < MAX_PATH) name.copy(file, name.size());
  // The filter's pairs are separated by NULs inside the string.
  const std::wstring wideFilter = WideFromGbk(filter);
  const std::wstring wideTitle = title ? WideFromGbk(title) : std::wstring();
  OPENFILENAMEW ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter.empty() ? nullptr : wideFilter.c_str();
  ofn.lpstrFile = file;
  ofn.nMaxFile = static_cast<DWORD>(std::size(file));
  ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  ofn.lpstrTitle = title ? wideTitle.c_str() : nullptr;
  ofn.lpstrDefExt = defaultExtension;
  // OFN_NOCHANGEDIR: the current directory stays the system directory, so
  // the folder the user browsed to is never searched for a program or DLL.
  ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_NOCHANGEDIR |
              (save ? OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST : 0);
  // comdlg32 (and the printing DLLs it brings) is loaded when a file is
  // first chosen, not at the agent's start.
  using FileDialogFn = BOOL(WINAPI*)(LPOPENFILENAMEW);
  const auto run = SystemProc<FileDialogFn>("comdlg32.dll", save ? "GetSaveFileNameW" : "GetOpenFileNameW");
  if (!run || !run(&ofn)) return std::nullopt;
  return std::wstring(file);
}
}  // namespace

std::optional<std::wstring> ChooseFile(HWND owner, const std::string& filter, const char* title,
                                       const std::wstring& folder) {
  return RunFileDialog(false, owner, filter, title, folder, std::wstring(), nullptr);
}

std::optional<std::wstring> ChooseFileToSave(HWND owner, const std::string& filter, const char* title,
                                             const std::wstring& name, const wchar_t* defaultExtension) {
  return RunFileDialog(true, owner, filter, title, std::wstring(), name, defaultExtension);
}

void PutPickedPath(HWND box, const std::optional<std::wstring>& picked) {
  if (!picked) return;
  if (const auto path = GbkFromWideExactly(*picked)) {
    SetText(box, *path);
  } else {
    ShowUserMessage(UnstorablePathMessage());
  }
}

void SetUpReportList(HWND list, const ReportColumn* columns, std::size_t count) {
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT,
               LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
  for (std::size_t i = 0; i < count; ++i) {
    std::wstring caption = WideFromGbk(columns[i].caption);
    LVCOLUMNW col = {};
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    col.pszText = &caption[0];
    col.cx = ui::Scaled(columns[i].width);
    col.iSubItem = static_cast<int>(i);
    SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&col));
  }
}

void SetCell(HWND list, int row, int column, std::wstring text, bool insert) {
  LVITEMW item = {};
  item.mask = LVIF_TEXT;
  item.iItem = row;
  item.iSubItem = column;
  item.pszText = &text[0];
  SendMessageW(list, insert ? LVM_INSERTITEMW : LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
}

void HoldDrawing(HWND list, bool held) {
  SendMessageW(list, WM_SETREDRAW, held ? FALSE : TRUE, 0);
  if (!held) InvalidateRect(list, nullptr, TRUE);
}

void ShowUserMessage(const UserMessage& message) {
  const UINT icon = message.icon == MessageIcon::Error ? MB_ICONERROR : MB_ICONINFORMATION;
  MessageBoxW(nullptr, WideFromGbk(message.text).c_str(), WideFromGbk(message.caption).c_str(), MB_OK | icon);
}

bool AskYesNo(HWND owner, const std::string& question, const std::string& caption) {
  return MessageBoxW(owner, WideFromGbk(question).c_str(), WideFromGbk(caption).c_str(),
                     MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

}  // namespace ordavi::ui
