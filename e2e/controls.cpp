// Driver commands that look inside one window of the agent: where a child
// control is on the screen (for a real mouse click at it), its text and check
// state, a combo box's items, and a list view's rows and cells, read across
// the process boundary through memory allocated in the agent's process.
//
//   driver ctl CLASS CAPTION CTLCLASS WHICH   one child control (WHICH: its text, @ID for its
//                                             control id, or #N for the N-th control of that
//                                             class, from 0, in window order)
//   driver items CLASS CAPTION CTLCLASS WHICH a combo box's list items, one a line
//   driver lv CLASS CAPTION                   the list view's columns and rows
//   driver lvcell CLASS CAPTION ROW COLUMN    screen rectangle of a list view cell
//   driver type CLASS CAPTION CTLCLASS WHICH TEXT
//                                             TEXT typed into the control (an editable
//                                             combo box's edit box) as an input method
//                                             hands it over: one WM_CHAR per UTF-16 unit,
//                                             posted through the agent's message loop;
//                                             \uXXXX stands for that unit
#include "e2e/controls.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

std::string GbkOf(const std::wstring& wide) {
  if (wide.empty()) return std::string();
  const int n = WideCharToMultiByte(936, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string gbk(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(936, 0, wide.data(), static_cast<int>(wide.size()), &gbk[0], n, nullptr, nullptr);
  return gbk;
}

std::wstring WideOf(const std::string& gbk) {
  if (gbk.empty()) return std::wstring();
  const int n = MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), &wide[0], n);
  return wide;
}

std::string ClassOf(HWND h) {
  wchar_t buf[256] = {};
  GetClassNameW(h, buf, 256);
  return GbkOf(buf);
}

namespace {

std::string Text(HWND h) {
  wchar_t buf[1024] = {};
  SendMessageW(h, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buf));
  return GbkOf(buf);
}

struct ChildQuery {
  std::string cls, which;
  int index = -1;  // #N
  int id = -1;     // @ID
  int seen = 0;
  HWND found = nullptr;
};

BOOL CALLBACK MatchChild(HWND h, LPARAM p) {
  auto* q = reinterpret_cast<ChildQuery*>(p);
  if (ClassOf(h) != q->cls) return TRUE;
  const bool hit = q->id >= 0      ? GetDlgCtrlID(h) == q->id
                   : q->index >= 0 ? q->seen++ == q->index
                                   : Text(h) == q->which;
  if (!hit) return TRUE;
  q->found = h;
  return FALSE;
}

HWND FindChild(HWND window, const std::string& cls, const std::string& which) {
  ChildQuery q;
  q.cls = cls;
  q.which = which;
  if (which.size() > 1 && which[0] == '#') q.index = std::atoi(which.c_str() + 1);
  if (which.size() > 1 && which[0] == '@') q.id = std::atoi(which.c_str() + 1);
  EnumChildWindows(window, MatchChild, reinterpret_cast<LPARAM>(&q));
  return q.found;
}

// The window with the keyboard focus in the thread that owns `window`.
HWND FocusOf(HWND window) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
  return info.hwndFocus;
}

void PrintRect(const char* what, const RECT& r) {
  std::printf("%s screen %ld,%ld size %ldx%ld center %ld,%ld", what, r.left, r.top, r.right - r.left,
              r.bottom - r.top, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

// Memory in another process, for messages whose parameters are pointers.
class RemoteMemory {
 public:
  RemoteMemory(HWND window, SIZE_T size) : size_(size) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (process_) address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
  }
  ~RemoteMemory() {
    if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    if (process_) CloseHandle(process_);
  }
  bool ok() const { return address_ != nullptr; }
  char* at(SIZE_T offset) const { return static_cast<char*>(address_) + offset; }
  LPARAM param(SIZE_T offset = 0) const { return reinterpret_cast<LPARAM>(at(offset)); }
  void Write(SIZE_T offset, const void* data, SIZE_T n) {
    WriteProcessMemory(process_, at(offset), data, n, nullptr);
  }
  void Read(SIZE_T offset, void* data, SIZE_T n) const { ReadProcessMemory(process_, at(offset), data, n, nullptr); }

 private:
  SIZE_T size_;
  HANDLE process_ = nullptr;
  void* address_ = nullptr;
};

constexpr SIZE_T kTextOffset = 256;
constexpr int kTextSize = 1024;

std::string CellText(HWND list, RemoteMemory& mem, int row, int column) {
  LVITEMW item = {};
  item.iSubItem = column;
  item.pszText = reinterpret_cast<wchar_t*>(mem.at(kTextOffset));
  item.cchTextMax = kTextSize / 2;
  mem.Write(0, &item, sizeof item);
  const LRESULT n = SendMessageW(list, LVM_GETITEMTEXTW, row, mem.param());
  std::wstring text(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) mem.Read(kTextOffset, &text[0], static_cast<SIZE_T>(n) * sizeof(wchar_t));
  return GbkOf(text);
}

std::string ColumnText(HWND list, RemoteMemory& mem, int column) {
  LVCOLUMNW col = {};
  col.mask = LVCF_TEXT;
  col.pszText = reinterpret_cast<wchar_t*>(mem.at(kTextOffset));
  col.cchTextMax = kTextSize / 2;
  mem.Write(0, &col, sizeof col);
  if (!SendMessageW(list, LVM_GETCOLUMNW, column, mem.param())) return std::string();
  wchar_t buf[kTextSize / 2] = {};
  mem.Read(kTextOffset, buf, sizeof buf - sizeof(wchar_t));
  return GbkOf(buf);
}

int ListView(HWND window) {
  HWND list = FindChild(window, WC_LISTVIEWA, "#0");
  if (!list) return 1;
  RemoteMemory mem(list, kTextOffset + kTextSize);
  if (!mem.ok()) return 1;
  HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  const int columns = static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
  const LONG style = GetWindowLongW(list, GWL_STYLE);
  const DWORD ex = static_cast<DWORD>(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
  std::printf("listview report %d singlesel %d gridlines %d fullrow %d\n", (style & LVS_TYPEMASK) == LVS_REPORT,
              (style & LVS_SINGLESEL) != 0, (ex & LVS_EX_GRIDLINES) != 0, (ex & LVS_EX_FULLROWSELECT) != 0);
  for (int c = 0; c < columns; ++c) {
    std::printf("column %d \"%s\" width %d\n", c, ColumnText(list, mem, c).c_str(),
                static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, c, 0)));
  }
  const int rows = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  for (int r = 0; r < rows; ++r) {
    std::string line;
    for (int c = 0; c < columns; ++c) line += (c ? "|" : "") + CellText(list, mem, r, c);
    const bool selected = SendMessageW(list, LVM_GETITEMSTATE, r, LVIS_SELECTED) != 0;
    std::printf("row %d \"%s\"%s\n", r, line.c_str(), selected ? " selected" : "");
  }
  return 0;
}

int ListViewCell(HWND window, int row, int column) {
  HWND list = FindChild(window, WC_LISTVIEWA, "#0");
  if (!list) return 1;
  RemoteMemory mem(list, sizeof(RECT));
  if (!mem.ok()) return 1;
  RECT r = {};
  r.top = column;
  r.left = LVIR_BOUNDS;
  mem.Write(0, &r, sizeof r);
  if (!SendMessageW(list, LVM_GETSUBITEMRECT, row, mem.param())) return 1;
  mem.Read(0, &r, sizeof r);
  if (column == 0) {  // the first cell's bounds are the whole row's
    r.right = r.left + static_cast<LONG>(SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0));
  }
  MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&r), 2);
  PrintRect("cell", r);
  std::printf("\n");
  return 0;
}

int Control(HWND window, const std::string& cls, const std::string& which) {
  HWND h = FindChild(window, cls, which);
  if (!h) return 1;
  RECT r;
  GetWindowRect(h, &r);
  std::printf("control %s id %d \"%s\" ", cls.c_str(), GetDlgCtrlID(h), Text(h).c_str());
  PrintRect("", r);
  std::printf(" checked %d visible %d enabled %d%s\n", static_cast<int>(SendMessageW(h, BM_GETCHECK, 0, 0)),
              IsWindowVisible(h) ? 1 : 0, IsWindowEnabled(h) ? 1 : 0, FocusOf(window) == h ? " focus" : "");
  return 0;
}

int ComboItems(HWND window, const std::string& cls, const std::string& which) {
  HWND h = FindChild(window, cls, which);
  if (!h) return 1;
  const int n = static_cast<int>(SendMessageW(h, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    // Asked for in UTF-16: across processes Wine hands the ANSI form of this
    // message over garbled.
    wchar_t wide[1024] = {};
    SendMessageW(h, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(wide));
    std::printf("%s\n", GbkOf(wide).c_str());
  }
  return 0;
}

int Type(HWND window, const std::string& cls, const std::string& which, const std::string& text) {
  HWND h = FindChild(window, cls, which);
  if (!h) return 1;
  if (HWND edit = FindWindowExW(h, nullptr, L"Edit", nullptr)) h = edit;
  // "\\uXXXX" in TEXT stands for that UTF-16 unit (a character the driver's
  // GBK arguments cannot carry).
  const std::wstring wide = WideOf(text);
  for (std::size_t i = 0; i < wide.size(); ++i) {
    wchar_t unit = wide[i];
    if (unit == L'\\' && i + 5 < wide.size() && wide[i + 1] == L'u') {
      unit = static_cast<wchar_t>(std::wcstoul(wide.substr(i + 2, 4).c_str(), nullptr, 16));
      i += 5;
    }
    PostMessageW(h, WM_CHAR, unit, 1);
  }
  return 0;
}

}  // namespace

bool IsControlCommand(const std::string& cmd) {
  return cmd == "ctl" || cmd == "items" || cmd == "lv" || cmd == "lvcell" || cmd == "type";
}

int ControlCommand(HWND window, const std::string& cmd, int argc, char** argv) {
  if (cmd == "lv") return ListView(window);
  if (argc < 2) return 2;
  if (cmd == "lvcell") return ListViewCell(window, std::atoi(argv[0]), std::atoi(argv[1]));
  if (cmd == "ctl") return Control(window, argv[0], argv[1]);
  if (cmd == "items") return ComboItems(window, argv[0], argv[1]);
  if (cmd == "type" && argc >= 3) return Type(window, argv[0], argv[1], argv[2]);
  return 2;
}
