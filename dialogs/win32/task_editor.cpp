#include "dialogs/win32/task_editor.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "actions/win32/win32_power.h"
#include "actions/win32/win32_actions.h"
#include "actions/win32/win32_conditions.h"
#include "dialogs/key_filters.h"
#include "store/text.h"
#include "store/win32/gbk_text.h"
#include "ui/unstorable_text.h"
#include "ui/win32/dialog_controls.h"

namespace ordavi {

using namespace ui;

namespace {

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
// The wake row below the parameter row made the editor 58 pixels taller than
// its first 422x296; the buttons keep their place above the bottom edge. The
// clock and counter kinds, type and parameter fill the first 422 pixels; the
// condition kinds have a column of their own to the right of them.
constexpr int kBaseWidth = 422, kConditionsWidth = 300;
constexpr int kClientWidth = kBaseWidth + kConditionsWidth, kClientHeight = 354;

// Control ids. Cancel carries IDCANCEL, so Esc cancels; no control has IDOK,
// so Enter alone stores nothing.
enum : int {
  kBrowse = 201,       // Button1 "浏览"
  kOk = 202,           // Button2 "确定(&O)"
  kCancel = IDCANCEL,  // Button3 "取消(&C)"
  kFirstRadio = 210,   // RadioButton1..7, then the conditions' 217..219
  kType = 225,         // ComboBox5
  kParam = 226,        // ComboBox6
  kWake = 227,         // 唤醒计算机运行此任务
  kControl = 230,      // boxes, pickers and labels nobody refers to by id
};

// The radio buttons from top to bottom are the grammar's kinds in the order
// of its table, each captioned with its kind word.
constexpr int kKindCount = static_cast<int>(kScheduleKindCount);

// Layout at 96 DPI: the radio buttons in the left column, the day and number
// boxes in the middle column, every time picker in one right-hand column.
constexpr int kMargin = 12;
constexpr int kRadioW = 52, kRadioH = 17;
constexpr int kFieldX = 72;
constexpr int kNumberW = 46;
constexpr int kSecondNumberX = kFieldX + kNumberW + 20;
constexpr int kTimeX = 212, kTimeW = 64;
constexpr int kBoxH = 21;
constexpr int kFirstRowY = 10, kRowPitch = 26;
constexpr int kRuleY = kFirstRowY + 7 * kRowPitch + 4;
constexpr int kTypeY = kRuleY + 10;
constexpr int kParamY = kTypeY + 28;
constexpr int kWakeY = kParamY + 30;
constexpr int kWakeNoteY = kWakeY + 22;
constexpr int kButtonW = 75, kButtonH = 25;
constexpr int kButtonsY = kClientHeight - 8 - kButtonH;
constexpr int kLabelDrop = 4;  // a label's top below the top of the box beside it
constexpr int kConditionX = kBaseWidth, kConditionRadioW = 96;
constexpr int kConditionFieldX = kConditionX + kConditionRadioW + 2;

// The running programs' names, each once, for the program box's list: those
// of this session, the ones the condition watches.
std::vector<std::string> RunningProgramNames() {
  Win32ProcessSystem processes;
  std::vector<std::string> names;
  if (const auto list = Win32ConditionSensors(processes).RunningPrograms()) {
    for (const std::string& name : *list) {
      bool known = false;
      for (const std::string& n : names) known = known || AsciiUpper(n) == AsciiUpper(name);
      if (!known && !name.empty()) names.push_back(name);
    }
  }
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) { return AsciiUpper(a) < AsciiUpper(b); });
  return names;
}

std::vector<std::string> Numbers(int from, int to) {
  std::vector<std::string> v;
  for (int i = from; i <= to; ++i) v.push_back(Decimal(i));
  return v;
}

}  // namespace

TaskEditor* TaskEditor::Create(TaskEditorHost& owner, int editorId) {
  auto* editor = new TaskEditor(owner, editorId);
  HWND hwnd = editor->CreateCentred("TForm5", "任务", kStyle, WS_EX_CONTROLPARENT, kClientWidth, kClientHeight);
  if (!hwnd) {
    owner.EditorClosed(editorId);
    return nullptr;
  }
  // An editor belongs to its settings dialog and closes with it.
  SetWindowLongPtrW(hwnd, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner.OwnerWindow()));
  editor->ShowForm(TaskForm());
  ShowWindow(hwnd, SW_SHOWNORMAL);
  return editor;
}

void TaskEditor::OpenForAdd(TaskEditorHost& owner, int editorId) {
  TaskEditor* editor = Create(owner, editorId);
  if (editor) editor->ShowForm(NewTaskForm(owner.LocalTime()));
}

void TaskEditor::OpenForModify(TaskEditorHost& owner, int editorId, int task) {
  TaskEditor* editor = Create(owner, editorId);
  if (editor) editor->FillFromStore(task);
}

void TaskEditor::CreateControls() {
  font_ = OwnFont(ui::SongTi(-13));
  SetFont(font_);
  tips_ = CreateTooltips(hwnd_);
  const DWORD box = WS_TABSTOP | ES_AUTOHSCROLL;
  const DWORD numberCombo = WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL;
  const auto timePicker = [&](int y) {
    HWND p = CreateControl(DATETIMEPICK_CLASSA, kControl, kTimeX, y, kTimeW, kBoxH, WS_TABSTOP | DTS_TIMEFORMAT, font_);
    SendMessageW(p, DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(L"HH:mm"));
    SetPickerTime(p, 0, 0);
    SetTooltip(tips_, p, "时：分");
    return p;
  };
  const auto numberBox = [&](int x, int y, int from, int to) {
    HWND c = CreateControl("COMBOBOX", kControl, x, y, kNumberW, 200, numberCombo, font_);
    SetComboItems(c, Numbers(from, to));
    return c;
  };
  const auto label = [&](int x, int y, const char* text) { CreateLabel(kControl, x, y + kLabelDrop, text, font_); };

  for (int i = 0; i < kKindCount; ++i) {
    if (kScheduleKinds[i].timing == KindTiming::Condition) continue;  // their column comes last
    const int y = kFirstRowY + i * kRowPitch;
    const DWORD group = i == 0 ? WS_GROUP | WS_TABSTOP : 0;
    radios_[i] = CreateControl("BUTTON", kFirstRadio + i, kMargin, y + 2, kRadioW, kRadioH, BS_AUTORADIOBUTTON | group,
                               font_, kScheduleKinds[i].word);
    switch (kScheduleKinds[i].kind) {
      case ScheduleKind::Idle:
        idleMinutes_ = CreateControl("EDIT", kControl, kFieldX, y, 60, kBoxH, box, font_, "", WS_EX_CLIENTEDGE);
        FilterTypedKeys(idleMinutes_, AcceptsDigitKey);
        label(kFieldX + 64, y, "分钟");
        break;
      case ScheduleKind::Once:
        onceDate_ = CreateControl(DATETIMEPICK_CLASSA, kControl, kFieldX, y, kTimeX - 8 - kFieldX, kBoxH,
                                  WS_TABSTOP | DTS_SHORTDATEFORMAT, font_);
        onceTime_ = timePicker(y);
        break;
      case ScheduleKind::Daily: dailyTime_ = timePicker(y); break;
      case ScheduleKind::Weekly:
        weekday_ = numberBox(kFieldX, y, 1, 7);
        label(kFieldX + kNumberW + 4, y, "日");
        weeklyTime_ = timePicker(y);
        break;
      case ScheduleKind::Monthly:
        monthDay_ = numberBox(kFieldX, y, 1, 31);
        label(kFieldX + kNumberW + 4, y, "日");
        monthlyTime_ = timePicker(y);
        break;
      case ScheduleKind::Yearly:
        month_ = numberBox(kFieldX, y, 1, 12);
        label(kFieldX + kNumberW + 4, y, "月");
        yearDay_ = numberBox(kSecondNumberX, y, 1, 31);
        label(kSecondNumberX + kNumberW + 4, y, "日");
        yearlyTime_ = timePicker(y);
        break;
      case ScheduleKind::AfterBoot:
        bootHours_ = CreateControl("EDIT", kControl, kFieldX, y, kNumberW, kBoxH, box, font_, "", WS_EX_CLIENTEDGE);
        FilterTypedKeys(bootHours_, AcceptsDigitKey);
        label(kFieldX + kNumberW + 4, y, "时");
        bootMinutes_ = CreateControl("EDIT", kControl, kSecondNumberX, y, kNumberW, kBoxH, box, font_, "",
                                     WS_EX_CLIENTEDGE);
        FilterTypedKeys(bootMinutes_, AcceptsDigitKey);
        label(kSecondNumberX + kNumberW + 4, y, "分");
        uptime_ = CreateLabel(kControl, kTimeX, y + kLabelDrop,
                              UptimeText(owner_.TickCount()), font_);
        break;
      default: break;
    }
  }
  CreateControl("STATIC", kControl, kMargin, kRuleY, kClientWidth - 2 * kMargin, 2, SS_ETCHEDHORZ | WS_GROUP, nullptr);

  const int boxX = 84;
  CreateLabel(kControl, kMargin, kTypeY + kLabelDrop, "任务类型:", font_);
  type_ = CreateControl("COMBOBOX", kType, boxX, kTypeY, 150, 300, WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, font_);
  std::vector<std::string> typeWords;
  for (const TaskType& t : kTaskTypes) typeWords.push_back(t.word);
  SetComboItems(type_, typeWords);

  const int browseW = 58;
  const int browseX = kBaseWidth - kMargin - browseW;
  paramCaption_ = CreateLabel(kControl, kMargin, kParamY + kLabelDrop, kInitialParamCaption, font_);
  param_ = CreateControl("COMBOBOX", kParam, boxX, kParamY, browseX - 6 - boxX, 200,
                         WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, font_);
  CreateButton(kBrowse, browseX, kParamY - 1, browseW, 23, "浏览", font_);

  wake_ = CreateControl("BUTTON", kWake, kMargin, kWakeY, 200, kRadioH, WS_TABSTOP | BS_AUTOCHECKBOX, font_,
                        kWakeBoxCaption);
  // Said only when the active power plan is known to keep wake timers off.
  const std::optional<bool> allowed = WakeTimersAllowed();
  CreateControl("STATIC", kControl, kMargin, kWakeNoteY, kClientWidth - 2 * kMargin, 30, 0, font_,
                allowed == false ? kWakeTimersOffNote : "");

  CreateButton(kOk, kClientWidth - kMargin - 2 * kButtonW - 6, kButtonsY, kButtonW, kButtonH, "确定(&O)", font_);
  CreateButton(kCancel, kClientWidth - kMargin - kButtonW, kButtonsY, kButtonW, kButtonH, "取消(&C)", font_);

  // The condition kinds, after every other control so that those keep their
  // order; their radio buttons start a group of their own, and a click on any
  // radio button clears the others (RadioClicked).
  int row = 0;
  for (int i = 0; i < kKindCount; ++i) {
    const ScheduleKindRow& kind = kScheduleKinds[i];
    if (kind.timing != KindTiming::Condition) continue;
    const int y = kFirstRowY + row * kRowPitch;
    radios_[i] = CreateControl("BUTTON", kFirstRadio + i, kConditionX, y + 2, kConditionRadioW, kRadioH,
                               BS_AUTORADIOBUTTON | (row++ == 0 ? WS_GROUP | WS_TABSTOP : 0), font_,
                               std::string(kind.word) + kind.lead);
    const auto digitBox = [&](int x, int w) {
      HWND c = CreateControl("EDIT", kControl, x, y, w, kBoxH, box, font_, "", WS_EX_CLIENTEDGE);
      FilterTypedKeys(c, AcceptsDigitKey);
      return c;
    };
    // "below [amount] unit for [minutes] 分钟", the row of a quiet condition.
    const auto quietRow = [&](HWND& amount, HWND& minutes, const char* unit) {
      amount = digitBox(kConditionFieldX, 56);
      label(kConditionFieldX + 60, y, unit);
      minutes = digitBox(kConditionFieldX + 130, 40);
      label(kConditionFieldX + 174, y, "分钟");
    };
    switch (kind.kind) {
      case ScheduleKind::ProgramEnds:
        // The running programs to pick from; any other name may be typed.
        programName_ = CreateControl("COMBOBOX", kControl, kConditionFieldX, y, 180, 200,
                                     WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL | CBS_SORT, font_);
        SetComboItems(programName_, RunningProgramNames());
        SetTooltip(tips_, programName_, "程序的文件名，如 thunder.exe；只看本会话（您登录后）运行的程序");
        break;
      case ScheduleKind::NetworkQuiet:
        quietRow(networkKBps_, networkMinutes_, "KB/s 持续");
        SetTooltip(tips_, networkKBps_, "收发合计，不含本机回环");
        break;
      case ScheduleKind::ProcessorQuiet:
        quietRow(processorPercent_, processorMinutes_, "% 持续");
        break;
      default: break;
    }
  }
}

void TaskEditor::RadioClicked(int index) {
  for (int i = 0; i < kKindCount; ++i) {
    if (i != index) SetChecked(radios_[i], false);
  }
}

TaskForm TaskEditor::ReadForm() const {
  TaskForm f;
  for (int i = 0; i < kKindCount; ++i) {
    if (Checked(radios_[i])) f.kind = kScheduleKinds[i].kind;
  }
  const auto time = [](HWND picker) {
    const TimeOfDayValue t = PickerTime(picker);
    return TimeOfDay{t.hour, t.minute};
  };
  f.idleMinutes = TextOf(idleMinutes_);
  f.onceDate = PickerDate(onceDate_);
  f.onceTime = time(onceTime_);
  f.dailyTime = time(dailyTime_);
  f.weekday = TextOf(weekday_);
  f.weeklyTime = time(weeklyTime_);
  f.monthDay = TextOf(monthDay_);
  f.monthlyTime = time(monthlyTime_);
  f.month = TextOf(month_);
  f.yearDay = TextOf(yearDay_);
  f.yearlyTime = time(yearlyTime_);
  f.bootHours = TextOf(bootHours_);
  f.bootMinutes = TextOf(bootMinutes_);
  f.programName = TextOf(programName_);
  f.networkKBps = TextOf(networkKBps_);
  f.networkMinutes = TextOf(networkMinutes_);
  f.processorPercent = TextOf(processorPercent_);
  f.processorMinutes = TextOf(processorMinutes_);
  f.type = TextOf(type_);
  f.param = TextOf(param_);
  f.wake = Checked(wake_);
  return f;
}

void TaskEditor::ShowComposedBoxes(const TaskForm& f) {
  SetText(bootHours_, f.bootHours);
  SetText(bootMinutes_, f.bootMinutes);
  SelectComboText(weekday_, f.weekday);
  SelectComboText(monthDay_, f.monthDay);
  SelectComboText(month_, f.month);
  SelectComboText(yearDay_, f.yearDay);
  SetText(networkKBps_, f.networkKBps);
  SetText(networkMinutes_, f.networkMinutes);
  SetText(processorPercent_, f.processorPercent);
  SetText(processorMinutes_, f.processorMinutes);
}

void TaskEditor::ShowForm(const TaskForm& f) {
  for (int i = 0; i < kKindCount; ++i) SetChecked(radios_[i], f.kind == kScheduleKinds[i].kind);
  const auto time = [](HWND picker, const TimeOfDay& t) { SetPickerTime(picker, t.hour, t.minute); };
  SetText(idleMinutes_, f.idleMinutes);
  SetPickerDate(onceDate_, f.onceDate);
  time(onceTime_, f.onceTime);
  time(dailyTime_, f.dailyTime);
  SelectComboText(weekday_, f.weekday);
  time(weeklyTime_, f.weeklyTime);
  SelectComboText(monthDay_, f.monthDay);
  time(monthlyTime_, f.monthlyTime);
  SelectComboText(month_, f.month);
  SelectComboText(yearDay_, f.yearDay);
  time(yearlyTime_, f.yearlyTime);
  SetText(bootHours_, f.bootHours);
  SetText(bootMinutes_, f.bootMinutes);
  SetText(programName_, f.programName);
  SetText(networkKBps_, f.networkKBps);
  SetText(networkMinutes_, f.networkMinutes);
  SetText(processorPercent_, f.processorPercent);
  SetText(processorMinutes_, f.processorMinutes);
  SelectComboText(type_, f.type);
  SetText(param_, f.param);
  SetChecked(wake_, f.wake);
  ShowWakeBox(f.kind);
}

void TaskEditor::ShowWakeBox(std::optional<ScheduleKind> kind) {
  EnableWindow(wake_, kind && HasClockTime(*kind) ? TRUE : FALSE);
}

void TaskEditor::ShowHints(const ParamHints& hints) {
  ui::SetLabel(paramCaption_, hints.caption);
  SetComboItems(param_, hints.items);
  SetText(param_, hints.text);
  SetTooltip(tips_, param_, hints.tooltip);
}

void TaskEditor::FillFromStore(int task) {
  const TaskRecord stored = owner_.ReadTask(task);
  ShowHints(HintsForStoredTask(stored.type, stored.param));
  TaskForm form;
  try {
    FillTaskForm(form, stored, owner_.LocalTime(), owner_.ShortDateFormat());
  } catch (...) {
    ShowForm(form);  // filled up to the field that did not convert
    throw;
  }
  ShowForm(form);
}

LRESULT TaskEditor::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE:
      CreateControls();
      return 0;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case kType:
          if (HIWORD(wParam) == CBN_SELCHANGE) TypeChange();
          break;
        case kBrowse: BrowseClick(); break;

        case kOk: OkClick(); break;
        case kCancel: PostMessageW(hwnd_, WM_CLOSE, 0, 0); break;
        default:
          // A kind's radio button: it clears the others, and the wake box
          // follows the kind.
          if (LOWORD(wParam) >= kFirstRadio && LOWORD(wParam) < kFirstRadio + kKindCount &&
              HIWORD(wParam) == BN_CLICKED) {
            RadioClicked(LOWORD(wParam) - kFirstRadio);
            ShowWakeBox(ReadForm().kind);
          }
          break;
      }
      return 0;
    case WM_DESTROY:
      owner_.EditorClosed(editorId_);
      return 0;
    default:
      return Default(msg, wParam, lParam);
  }
}

void TaskEditor::TypeChange() { ShowHints(HintsForPickedType(TextOf(type_), owner_.OsMajor())); }

void TaskEditor::BrowseClick() {
  PutPickedPath(param_, ChooseFile(hwnd_, std::string(), nullptr, std::wstring()));
}

void TaskEditor::OkClick() {
  // The parameter is the one free text the editor stores; a character GBK
  // cannot hold (typed or pasted) is refused, naming the box by its caption.
  if (!ExactTextOf(param_)) {
    ShowUserMessage(UnstorableTextMessage(BoxName(TextOf(paramCaption_))));
    SetFocus(param_);
    return;
  }
  TaskForm form = ReadForm();
  if (form.kind == ScheduleKind::ProgramEnds && !ExactTextOf(programName_)) {
    ShowUserMessage(UnstorableTextMessage("程序名"));
    SetFocus(programName_);
    return;
  }
  EditorOkResult result;
  try {
    const ScheduleNow now = owner_.LocalTime();
    result = owner_.StoreTask(editorId_, form, now, false);
    // A once task in the past is stored only when the user says so; 否 is
    // the default button.
    if (result.question && AskYesNo(hwnd_, *result.question, kInfoCaption)) {
      result = owner_.StoreTask(editorId_, form, now, true);
    }
  } catch (...) {
    // The boot boxes show the "0" an empty box became, also when the store
    // refused the task and the editor stays open.
    ShowComposedBoxes(form);
    throw;
  }
  if (result.refusal) {
    ShowUserMessage(*result.refusal);
    return;
  }
  if (!result.stored) return;  // 否: the editor stays open as it was
  PostMessageW(hwnd_, WM_CLOSE, 0, 0);
}

}  // namespace ordavi
