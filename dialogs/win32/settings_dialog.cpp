#include "dialogs/win32/settings_dialog.h"

#include <commctrl.h>

#include <iterator>

#include "dialogs/key_filters.h"
#include "dialogs/next_run_cell.h"
#include "store/text.h"
#include "store/win32/gbk_text.h"
#include "transfer/export_import.h"
#include "transfer/win32/win32_file_access.h"
#include "ui/unstorable_text.h"
#include "ui/win32/dialog_controls.h"

namespace ordavi {

using namespace ui;

namespace {

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
// The list's last column, 下次运行, widened the dialog by its width; every
// other control keeps its place relative to the edge it is placed from.
constexpr int kNextRunWidth = 170;  // room for a date, a time and （唤醒）
constexpr int kClientWidth = 458 + kNextRunWidth, kClientHeight = 349;

// Control ids. OK and Cancel carry the standard ids, so Esc cancels.
enum : int {
  kOk = IDOK,          // Button1 "确定(&O)"
  kCancel = IDCANCEL,  // Button2 "取消(&C)", the default button
  kBrowseSound = 103,  // Button3 "浏览"
  kAdd = 104,          // Button4
  kModify = 105,       // Button5
  kDelete = 106,       // Button6
  kExport = 107,       // 导出(&E)…: the tasks and options to a task file
  kImport = 108,       // 导入(&I)…: tasks (and options) from one
  kMinutes = 115,      // Edit5
  kSoundPath = 118,    // Edit8
  kBootTime = 121,     // CheckBox1
  kAutostart = 122,    // CheckBox2
  kCtrlKeys = 123,     // CheckBox3
  kCloseApps = 125,    // CheckBox5
  kAwakeBattery = 126, // the battery level that ends a keep-awake
  kTaskList = 130,     // ListView1
  kStateCombo = 131,   // ComboBox1
  kLabel = 140,
};

// The control of each option (kOptions), and how a refused text names it.
struct OptionBox {
  const char* option;
  int id;
  const char* boxName;  // a text box's label
};
constexpr OptionBox kOptionBoxes[] = {
    {kShutappValue, kCloseApps, nullptr}, {kSoundpathValue, kSoundPath, "关机前声音提示"},
    {kTishiValue, kMinutes, "关机前等待"},  {kKaijiValue, kBootTime, nullptr},
    {kRejianValue, kCtrlKeys, nullptr},     {kAwakeBatteryValue, kAwakeBattery, "电池低于"},
};

bool IsCheckBox(const OptionBox& box) { return FindOption(box.option)->kind == OptionKind::Flag; }

// Sent by the list when it may have scrolled.
constexpr UINT kListScrolled = WM_APP + 1;

constexpr ReportColumn kColumns[] = {{"序号", 40},     {"时间", 120},     {"任务", 90},
                               {"任务属性", 130}, {"是否启用", 70}, {"下次运行", kNextRunWidth}};
constexpr int kColumnCount = static_cast<int>(std::size(kColumns));
constexpr int kNextRunColumn = kColumnCount - 1;
// The next-run cells are checked every few seconds and shown again when the
// minute has changed.
constexpr UINT_PTR kNextRunTimer = 1;
constexpr UINT kNextRunCheckMs = 5000;
// The state combo's height with its list dropped.
constexpr int kStateComboDropH = 80;

// Layout at 96 DPI: the list across the top, the task buttons under it, the
// options in two columns, OK and Cancel at the bottom right.
constexpr int kListHeight = 182;
constexpr int kMargin = 8;
constexpr int kButtonW = 75, kButtonH = 25;
constexpr int kTaskButtonsY = kListHeight + 6;
constexpr int kRuleY = kTaskButtonsY + kButtonH + 8;
constexpr int kOptionsY = kRuleY + 10;
constexpr int kCheckX = 12, kCheckW = 200, kCheckH = 17, kCheckPitch = 22;
constexpr int kRightX = 236;
constexpr int kEditH = 21;
constexpr int kBottomButtonsY = kClientHeight - kMargin - kButtonH;

// The settings dialog that is open, if any. Two dialogs would each keep their
// own rows, and a delete in one would renumber the tasks the other shows.
HWND openDialog = nullptr;

}  // namespace

HWND SettingsDialog::Open(const SettingsServices& services) {
  if (BringOpenOneToFront(openDialog)) return openDialog;
  InitDialogControls();
  auto* dialog = new SettingsDialog(services);
  HWND hwnd = dialog->OpenAsTheOnlyOne(openDialog, "TForm3", "设置", kStyle, kClientWidth, kClientHeight, kCancel);
  if (!hwnd) return nullptr;
  ui::Guard([dialog] {
    dialog->Fill();
    return LRESULT{0};
  });
  return hwnd;
}

void SettingsDialog::CreateControls() {
  font_ = OwnFont(ui::SongTi(-13));
  SetFont(font_);
  tips_ = CreateTooltips(hwnd_);
  // Cancel comes first in the tab order, so it has the focus at opening.
  HWND cancel = CreateButton(kCancel, kClientWidth - kMargin - kButtonW, kBottomButtonsY, kButtonW, kButtonH,
                             "取消(&C)", font_, BS_DEFPUSHBUTTON);
  SetTooltip(tips_, cancel, "取消本次操作");

  listView_ = CreateControl(WC_LISTVIEWA, kTaskList, 0, 0, kClientWidth, kListHeight,
                            WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS, font_, "", WS_EX_CLIENTEDGE);
  SetUpReportList(listView_, kColumns, std::size(kColumns));
  // The state combo lives inside the list, over one row's "是否启用" cell;
  // the list hands its notifications on to the dialog.
  stateCombo_ = CreateWindowExW(0, L"COMBOBOX", L"", WS_CHILD | CBS_DROPDOWNLIST | WS_VSCROLL, 0, 0,
                                ui::Scaled(kColumns[4].width), ui::Scaled(kStateComboDropH), listView_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kStateCombo)),
                                GetModuleHandleW(nullptr), nullptr);
  SendMessageW(stateCombo_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  SetComboItems(stateCombo_, {"启用", "禁用"});
  ForwardCommandsTo(listView_, hwnd_, kListScrolled);

  int x = kMargin;
  for (const auto& [id, caption] : {std::pair<int, const char*>{kAdd, "添加(&A)"}, {kModify, "修改(&M)"},
                                    {kDelete, "删除(&D)"}}) {
    CreateButton(id, x, kTaskButtonsY, kButtonW, kButtonH, caption, font_);
    x += kButtonW + 6;
  }
  // Export and import sit at the right end of the same row, under the list's
  // new column.
  const int fileButtonW = 85;
  HWND exportButton = CreateButton(kExport, kClientWidth - kMargin - 2 * fileButtonW - 6, kTaskButtonsY, fileButtonW,
                                   kButtonH, "导出(&E)…", font_);
  SetTooltip(tips_, exportButton, "把全部任务和选项保存到一个文本文件，用于备份或复制到其他电脑");
  HWND importButton =
      CreateButton(kImport, kClientWidth - kMargin - fileButtonW, kTaskButtonsY, fileButtonW, kButtonH, "导入(&I)…", font_);
  SetTooltip(tips_, importButton, "从导出的文件读入任务：替换全部任务，或添加到现有任务之后");
  CreateControl("STATIC", kLabel, kMargin, kRuleY, kClientWidth - 2 * kMargin, 2, SS_ETCHEDHORZ, nullptr);

  const DWORD check = WS_TABSTOP | BS_AUTOCHECKBOX;
  int y = kOptionsY;
  autostart_ = CreateControl("BUTTON", kAutostart, kCheckX, y, kCheckW, kCheckH, check, font_, "开机启动Ordavi(&S)");
  HWND closeApps = CreateControl("BUTTON", kCloseApps, kCheckX, y += kCheckPitch, kCheckW, kCheckH, check, font_,
                             "待机前关闭所有程序(&P)");
  SetTooltip(tips_, closeApps, "待机休眠前关闭应用程序");
  CreateControl("BUTTON", kBootTime, kCheckX, y += kCheckPitch, kCheckW, kCheckH, check, font_,
                            "显示开机时间(&T)");
  HWND ctrlKeys = CreateControl("BUTTON", kCtrlKeys, kCheckX, y += kCheckPitch, kCheckW, kCheckH, check, font_,
                                "使用Ctrl热键(&R)");
  SetTooltip(tips_, ctrlKeys, "是否在热键F9、F10、F11前加Ctrl键，使用该键防止软件热键冲突。");

  const int browseW = 50;
  const int soundW = kClientWidth - kMargin - browseW - 4 - kRightX;
  CreateLabel(kLabel, kRightX, kOptionsY + 2, "关机前声音提示:", font_);
  soundPath_ = CreateControl("EDIT", kSoundPath, kRightX, kOptionsY + 20, soundW, kEditH, WS_TABSTOP | ES_AUTOHSCROLL,
                             font_, "", WS_EX_CLIENTEDGE);
  HWND browse = CreateButton(kBrowseSound, kClientWidth - kMargin - browseW, kOptionsY + 19, browseW, 23, "浏览", font_);
  SetTooltip(tips_, browse, "设置关机前声音提示的音频文件，仅支持wav文件。");
  const int waitY = kOptionsY + 52;
  HWND waitLabel = CreateLabel(kLabel, kRightX, waitY + 4, "关机前等待:", font_);
  RECT r;
  GetWindowRect(waitLabel, &r);
  const int minutesX = kRightX + ui::Unscaled(r.right - r.left) + 6;  // the label's width is in pixels
  HWND minutes = CreateControl("EDIT", kMinutes, minutesX, waitY, 60, kEditH, WS_TABSTOP | ES_AUTOHSCROLL, font_, "",
                               WS_EX_CLIENTEDGE);
  FilterTypedKeys(minutes, AcceptsMinutesKey);
  CreateLabel(kLabel, minutesX + 66, waitY + 4, "分钟", font_);
  // The keep-awake's battery level, right of the wait on the same row.
  constexpr int kBatteryX = 432;
  CreateLabel(kLabel, kBatteryX, waitY + 4, "电池低于", font_);
  CreateControl("EDIT", kAwakeBattery, kBatteryX + 56, waitY, 32, kEditH, WS_TABSTOP | ES_AUTOHSCROLL | ES_NUMBER,
                font_, "", WS_EX_CLIENTEDGE);
  CreateLabel(kLabel, kBatteryX + 92, waitY + 4, "%停止保持唤醒", font_);

  if (!services_.program.Writable()) {
    // Said at once, before the user types anything that could not be stored.
    CreateLabel(kLabel, kMargin, kBottomButtonsY + 6, kCannotSaveLine, font_);
  }
  HWND ok = CreateButton(kOk, kClientWidth - kMargin - 2 * kButtonW - 6, kBottomButtonsY, kButtonW, kButtonH,
                         "确定(&O)", font_);
  SetTooltip(tips_, ok, "仅对本机设置");
}

void SettingsDialog::Fill() {
  list_.Load(services_.tasks);
  ShowRows();
  const OptionsForm form = ReadOptionsForm(services_.program, services_.root, services_.options, services_.exePath,
                                       kMinutesDecimalPoint);
  for (const OptionBox& box : kOptionBoxes) {
    const OptionControl& c = form.Of(box.option);
    if (IsCheckBox(box)) {
      SetChecked(GetDlgItem(hwnd_, box.id), c.checked);
    } else {
      SetText(GetDlgItem(hwnd_, box.id), c.text);
    }
  }
  SetChecked(autostart_, form.autostart);
}

void SettingsDialog::ShowRows() {
  syncing_ = true;
  HoldDrawing(listView_, true);
  const auto& rows = list_.rows();
  int count = static_cast<int>(SendMessageW(listView_, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
    const TaskRecord& r = rows[static_cast<std::size_t>(i)];
    const std::string cells[kColumnCount] = {Decimal(r.number), r.schedule, r.type, r.param, r.enabled, ""};
    if (i >= count) SetCell(listView_, count++, 0, std::wstring(), true);
    for (int c = 0; c < kNextRunColumn; ++c) SetCell(listView_, i, c, WideFromGbk(cells[c]));
  }
  while (count > static_cast<int>(rows.size())) SendMessageW(listView_, LVM_DELETEITEM, --count, 0);
  ShowNextRuns();
  for (int i = 0; i < count; ++i) {
    const bool selected = list_.selected() == static_cast<std::size_t>(i);
    LVITEMW state = {};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = selected ? LVIS_SELECTED | LVIS_FOCUSED : 0;
    SendMessageW(listView_, LVM_SETITEMSTATE, i, reinterpret_cast<LPARAM>(&state));
  }
  HoldDrawing(listView_, false);
  syncing_ = false;
  PlaceStateCombo();
}

void SettingsDialog::ShowNextRuns() {
  if (!services_.showNextRuns) return;
  const ScheduleNow now = services_.localTime.LocalTime();
  const std::uint32_t uptimeMinutes = services_.clock.TickCount() / 60000;
  const std::string dateFormat = services_.dates.ShortDateFormat();
  const auto& rows = list_.rows();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    SetCell(listView_, static_cast<int>(i), kNextRunColumn,
            WideFromGbk(NextRunCell(rows[i], now, uptimeMinutes, dateFormat, services_.conditions)));
  }
  shownMinute_ = now.hour * 60 + now.minute;
}

void SettingsDialog::PlaceStateCombo() {
  const std::optional<std::size_t> row = list_.StateComboRow();
  if (!row) {
    ShowWindow(stateCombo_, SW_HIDE);
    return;
  }
  RECT cell = {};
  cell.top = 4;  // sub-item 4, "是否启用"
  cell.left = LVIR_BOUNDS;
  SendMessageW(listView_, LVM_GETSUBITEMRECT, *row, reinterpret_cast<LPARAM>(&cell));
  // A row scrolled out of sight takes its combo along; it shows again when the
  // row comes back.
  RECT items = {}, header = {};
  GetClientRect(listView_, &items);
  GetWindowRect(reinterpret_cast<HWND>(SendMessageW(listView_, LVM_GETHEADER, 0, 0)), &header);
  items.top = header.bottom - header.top;
  if (cell.top < items.top || cell.bottom > items.bottom) {
    ShowWindow(stateCombo_, SW_HIDE);
    return;
  }
  // The selection field covers the cell and its grid lines, just tall enough
  // for the text; the list drops below it. A combo already in place is left
  // alone, so that a choice made in its open list does not close the list.
  RECT now = {};
  GetWindowRect(stateCombo_, &now);
  MapWindowPoints(nullptr, listView_, reinterpret_cast<POINT*>(&now), 2);
  if (!IsWindowVisible(stateCombo_) || now.left != cell.left || now.top != cell.top - 2 ||
      now.right != cell.right) {
    SetWindowPos(stateCombo_, HWND_TOP, cell.left, cell.top - 2, cell.right - cell.left, ui::Scaled(kStateComboDropH),
                 SWP_NOACTIVATE);
    SendMessageW(stateCombo_, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), cell.bottom - cell.top - 2);
  }
  const WPARAM item = static_cast<WPARAM>(list_.stateCombo().item);
  if (static_cast<WPARAM>(SendMessageW(stateCombo_, CB_GETCURSEL, 0, 0)) != item) {
    SendMessageW(stateCombo_, CB_SETCURSEL, item, 0);
  }
  ShowWindow(stateCombo_, SW_SHOW);
}

LRESULT SettingsDialog::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE:
      services_.tickState.SettingsDialogOpened();
      CreateControls();
      SetTimer(hwnd_, kNextRunTimer, kNextRunCheckMs, nullptr);
      return 0;
    case WM_TIMER:
      if (wParam == kNextRunTimer) {
        const ScheduleNow now = services_.localTime.LocalTime();
        if (now.hour * 60 + now.minute != shownMinute_) ShowNextRuns();
      }
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
      return 0;
    case WM_NOTIFY:
      return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
    case kListScrolled:
      PlaceStateCombo();  // the combo follows its row
      return 0;
    case DM_GETDEFID:
      return MAKELRESULT(kCancel, DC_HASDEFID);
    case WM_DESTROY:
      if (services_.tasksMayHaveChanged) services_.tasksMayHaveChanged();
      services_.tickState.SettingsDialogClosed();
      return 0;
    default:
      return Default(msg, wParam, lParam);
  }
}

void SettingsDialog::OnCommand(int id, int code, HWND) {
  switch (id) {
    case kAdd: AddClick(); break;
    case kModify: ModifyClick(); break;
    case kDelete: DeleteClick(); break;
    case kBrowseSound: BrowseSoundClick(); break;
    case kExport: ExportClick(); break;
    case kImport: ImportClick(); break;
    case kOk: OkClick(); break;
    case kCancel: PostMessageW(hwnd_, WM_CLOSE, 0, 0); break;
    case kStateCombo:
      if (code == CBN_SELCHANGE) {
        const std::optional<UserMessage> changed = list_.PickState(services_.tasks, TextOf(stateCombo_));
        ShowRows();
        if (changed) ShowUserMessage(*changed);
      }
      break;
    default: break;
  }
}

LRESULT SettingsDialog::OnNotify(const NMHDR& header) {
  if (header.hwndFrom != listView_) return 0;
  if (header.code == LVN_ITEMCHANGED && !syncing_) {
    const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
    if (change.uChanged & LVIF_STATE) {
      const int selected = static_cast<int>(SendMessageW(listView_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                                         LVNI_SELECTED));
      list_.Select(selected >= 0 ? std::optional<std::size_t>(static_cast<std::size_t>(selected)) : std::nullopt);
    }
  } else if (header.code == NM_CLICK) {
    list_.ClickList(services_.tasks);
    PlaceStateCombo();
  }
  return 0;
}

void SettingsDialog::AddClick() { TaskEditor::OpenForAdd(*this, list_.OpenAddEditor()); }

EditorOkResult SettingsDialog::StoreTask(int editorId, TaskForm& form, const ScheduleNow& now, bool pastConfirmed) {
  EditorOkResult result =
      EditorOk(list_, editorId, services_.tasks, form, services_.dates.ShortDateFormat(), now, pastConfirmed);
  if (result.stored) ShowRows();
  return result;
}

void SettingsDialog::ModifyClick() {
  const SettingsList::ModifyOpening opening = list_.OpenModifyEditor(services_.tasks);
  if (opening.refusal) {
    ShowRows();  // read again when the store changed under the dialog
    ShowUserMessage(*opening.refusal);
    return;
  }
  TaskEditor::OpenForModify(*this, opening.editorId, opening.task);
}

void SettingsDialog::DeleteClick() {
  const std::optional<UserMessage> refusal = list_.DeleteSelected(services_.tasks);
  ShowRows();
  if (refusal) ShowUserMessage(*refusal);
}

void SettingsDialog::BrowseSoundClick() {
  const std::wstring dir = WideFromGbk(SplitPath(services_.exePath).dir);  // the program's folder
  static const std::string kFilter("wav文件(*.wav)\0*.wav\0", sizeof "wav文件(*.wav)\0*.wav\0");
  PutPickedPath(soundPath_, ChooseFile(hwnd_, kFilter, "声音提示选择", dir));
}

TaskFileStore SettingsDialog::FileStore(GbkCodec& codec) const {
  return {services_.tasks, services_.program, codec, services_.dates.ShortDateFormat()};
}

void SettingsDialog::ExportClick() {
  const auto file = ChooseFileToSave(hwnd_, TaskFileFilter(), "导出任务", WideFromGbk(kTaskFileName), L"txt");
  if (!file) return;
  Win32GbkCodec codec;
  TaskFileStore store = FileStore(codec);
  Win32FileAccess files;
  ShowUserMessage(ExportTaskFile(store, files, Utf8FromWide(*file)).message);
}

void SettingsDialog::ImportClick() {
  const auto file = ChooseFile(hwnd_, TaskFileFilter(), "导入任务", std::wstring());
  if (!file) return;
  Win32GbkCodec codec;
  TaskFileStore store = FileStore(codec);
  Win32FileAccess files;
  // The file is read once before the question, so that a bad line is
  // reported before the user chooses anything, and what is stored is what
  // the question described.
  UserMessage refusal;
  const std::optional<TaskFileToImport> read = ReadFileToImport(store, files, Utf8FromWide(*file), refusal);
  if (!read) {
    ShowUserMessage(refusal);
    return;
  }
  const int answer = MessageBoxW(hwnd_, WideFromGbk(ImportQuestion(read->content)).c_str(),
                                 WideFromGbk("导入任务").c_str(), MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2);
  if (answer != IDYES && answer != IDNO) return;
  const TaskFileOutcome out = ImportReadFile(store, *read, answer == IDYES);
  if (!out.options.Empty()) {
    ApplyOptionChanges(out.options, services_.options);
    services_.setProgressMax(services_.options.countdownSeconds);
    Fill();  // the rows and the options as now stored
  } else {
    list_.Load(services_.tasks);
    ShowRows();
  }
  ShowUserMessage(out.message);
}

void SettingsDialog::OkClick() {
  OptionsForm form;
  for (const OptionBox& box : kOptionBoxes) {
    HWND control = GetDlgItem(hwnd_, box.id);
    OptionControl& c = form.Of(box.option);
    if (IsCheckBox(box)) {
      c.checked = Checked(control);
      continue;
    }
    const std::optional<std::string> text = ExactTextOf(control);
    if (!text) {
      ShowUserMessage(UnstorableTextMessage(box.boxName));
      SetFocus(control);
      return;
    }
    c.text = *text;
  }
  form.autostart = Checked(autostart_);
  SaveOptionsForm(services_.program, services_.root, form, services_.options, services_.exePath, kMinutesDecimalPoint,
                  services_.setProgressMax);
  PostMessageW(hwnd_, WM_CLOSE, 0, 0);
}

}  // namespace ordavi
