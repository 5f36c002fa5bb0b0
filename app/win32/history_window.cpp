#include "app/win32/history_window.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>
#include <string>

#include "store/unicode.h"
#include "store/win32/gbk_text.h"
#include "ui/win32/dialog_controls.h"

namespace ordavi {

namespace {

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr int kClientWidth = 660, kClientHeight = 360;
constexpr int kMargin = 8, kButtonW = 90, kButtonH = 25;
constexpr int kListHeight = kClientHeight - 2 * kMargin - kButtonH;

enum : int {
  kList = 301,
  kOpenFile = 302,
  kClear = 303,
  kClose = IDCANCEL,  // Esc closes
};

// The columns, in the order of an entry's tab-separated fields.
constexpr ui::ReportColumn kColumns[] = {{"到期时间", 110}, {"任务", 50}, {"类型", 80}, {"时间", 110}, {"参数", 100}, {"结果", 190}};

HWND openWindow = nullptr;

}  // namespace

HWND RunHistoryWindow::Open(RunHistory& history, std::function<void()> openFile) {
  if (openWindow) SendMessageW(openWindow, WM_APP, 0, 0);  // read the file again
  if (BringOpenOneToFront(openWindow)) return openWindow;
  ui::InitDialogControls();
  auto* window = new RunHistoryWindow(history, std::move(openFile));
  HWND hwnd = window->OpenAsTheOnlyOne(openWindow, "OrdaviRunHistory", "运行记录", kStyle, kClientWidth,
                                       kClientHeight, kClose);
  if (!hwnd) return nullptr;
  ui::Guard([window] {
    window->ShowEntries();
    return LRESULT{0};
  });
  return hwnd;
}

void RunHistoryWindow::CreateControls() {
  font_ = OwnFont(ui::SongTi(-13));
  SetFont(font_);
  list_ = CreateControl(WC_LISTVIEWA, kList, 0, 0, kClientWidth, kListHeight + kMargin,
                        WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER, font_, "",
                        WS_EX_CLIENTEDGE);
  ui::SetUpReportList(list_, kColumns, std::size(kColumns));
  const int y = kClientHeight - kMargin - kButtonH;
  CreateButton(kOpenFile, kMargin, y, kButtonW, kButtonH, "打开文件(&F)", font_);
  CreateButton(kClear, kMargin + kButtonW + 6, y, kButtonW, kButtonH, "清除记录(&D)", font_);
  CreateButton(kClose, kClientWidth - kMargin - kButtonW, y, kButtonW, kButtonH, "关闭(&C)", font_, BS_DEFPUSHBUTTON);
}

void RunHistoryWindow::ShowEntries() {
  ui::HoldDrawing(list_, true);
  SendMessageW(list_, LVM_DELETEALLITEMS, 0, 0);
  int row = 0;
  for (const std::string& entry : history_.EntriesNewestFirst()) {
    const std::wstring line = WideFromUtf8(entry);
    std::size_t start = 0;
    for (int c = 0; c < static_cast<int>(std::size(kColumns)) && start <= line.size(); ++c) {
      const std::size_t tab = std::min(line.find(L'\t', start), line.size());
      ui::SetCell(list_, row, c, line.substr(start, tab - start), c == 0);
      start = tab + 1;
    }
    ++row;
  }
  ui::HoldDrawing(list_, false);
}

void RunHistoryWindow::ClearClick() {
  if (!ui::AskYesNo(hwnd_, "清除全部运行记录吗？", "运行记录")) return;
  if (!history_.Clear()) history_.ReportProblem();
  ShowEntries();
}

LRESULT RunHistoryWindow::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE:
      CreateControls();
      return 0;
    case WM_APP:
      ShowEntries();
      return 0;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case kOpenFile:
          if (openFile_) openFile_();
          break;
        case kClear: ClearClick(); break;
        case kClose: PostMessageW(hwnd_, WM_CLOSE, 0, 0); break;
        default: break;
      }
      return 0;
    case DM_GETDEFID:
      return MAKELRESULT(kClose, DC_HASDEFID);
    default:
      return Default(msg, wParam, lParam);
  }
}

}  // namespace ordavi
