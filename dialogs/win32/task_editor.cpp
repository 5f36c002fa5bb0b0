#include "dialogs/win32/task_editor.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

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
constexpr int kClientWidth = kBaseWidth + kConditionsWidth;

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
  kCatchUp = 228,      // 错过后补运行
  kControl = 230,      // boxes, pickers and labels nobody refers to by id
};

// The radio buttons from top to bottom are the grammar's kinds in the order
// of its table, each captioned with its kind word.
constexpr int kKindCount = static_cast<int>(kScheduleKindCount);

// Layout at 96 DPI: the radio buttons in the left column, the day and number
// boxes in the middle column, every time picker in one right-hand column;
// one line for each clock or counter kind, the conditions' column beside
// them. Below the kinds' lines a rule, the type, the parameter, the wake box
// with its note and the buttons, each kept at its distance from the rule.
constexpr int kMargin = 12;
constexpr int kRadioW = 52, kRadioH = 17;
constexpr int kFieldX = 72;
constexpr int kNumberW = 46;
constexpr int kSecondNumberX = kFieldX + kNumberW + 20;
constexpr int kTimeX = 212, kTimeW = 64;
constexpr int kBoxH = 21;
constexpr int kFirstRowY = 10, kRowPitch = 26;
constexpr int kTypeBelowRule = 10;
constexpr int kParamY = kTypeBelowRule + 28;  // these four below the rule
constexpr int kWakeY = kParamY + 30;
constexpr int kWakeNoteY = kWakeY + 22;
constexpr int kButtonW = 75, kButtonH = 25;
constexpr int kButtonsY = kWakeNoteY + 35;
constexpr int kClientHeightBelowRule = kButtonsY + kButtonH + 8;
constexpr int kLabelDrop = 4;  // a label's top below the top of the box beside it
constexpr int kConditionX = kBaseWidth, kConditionRadioW = 96;
constexpr int kConditionFieldX = kConditionX + kConditionRadioW + 2;

// The rule below the clock and counter kinds' lines.
int RuleY() {
  int lines = 0;
  for (const ScheduleKindRow& row : kScheduleKinds) lines += row.timing != KindTiming::Condition;
  return kFirstRowY + lines * kRowPitch + 4;
}

// How the editor shows each kind of field: a box of digits, a list of
// numbers (which may be typed into), the date picker, a time picker (the
// hour's, which also holds the minute) or the program list. A box or list
// is followed by its label; the first of a line's boxes stands at the
// column's field place, the second at its second place.
enum class Box { Digits, Numbers, DatePicker, TimePicker, Programs };
struct FieldControl {
  ScheduleField field;
  Box box;
  int width = 0;
  const char* label = nullptr;
  const char* tooltip = nullptr;
  int first = 0, last = 0;  // Numbers: the list's numbers
};
constexpr FieldControl kFieldControls[] = {
    {ScheduleField::IdleMinutes, Box::Digits, 60, "分钟"},
    {ScheduleField::BootHours, Box::Digits, kNumberW, "时"},
    {ScheduleField::BootMinutes, Box::Digits, kNumberW, "分"},
    {ScheduleField::Date, Box::DatePicker},
    {ScheduleField::Month, Box::Numbers, kNumberW, "月", nullptr, 1, 12},
    {ScheduleField::Day, Box::Numbers, kNumberW, "日", nullptr, 1, 31},
    {ScheduleField::Weekday, Box::Numbers, kNumberW, "日", nullptr, 1, 7},  // Monday 1 to Sunday 7
    {ScheduleField::Hour, Box::TimePicker},
    {ScheduleField::Minute, Box::TimePicker},
    // The running programs to pick from; any other name may be typed.
    {ScheduleField::ProgramName, Box::Programs, 180, nullptr, "程序的文件名，如 thunder.exe；只看本会话（您登录后）运行的程序"},
    {ScheduleField::NetworkKBps, Box::Digits, 56, "KB/s 持续", "收发合计，不含本机回环"},
    {ScheduleField::ProcessorPct, Box::Digits, 56, "% 持续"},
    {ScheduleField::QuietMinutes, Box::Digits, 40, "分钟"},
};

const FieldControl& ControlOf(ScheduleField field) {
  for (const FieldControl& c : kFieldControls) {
    if (c.field == field) return c;
  }
  return kFieldControls[0];
}

// The running programs' names, each once, for the program box's list.
std::vector<std::string> RunningProgramNames(const TaskEditorHost& host) {
  std::vector<std::string> names;
  if (const auto list = host.RunningPrograms()) {
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

int NumberOf(const std::string& text) { return DigitsValue(text).value_or(0); }

}  // namespace

TaskEditor* TaskEditor::Create(TaskEditorHost& owner, int editorId) {
  auto* editor = new TaskEditor(owner, editorId);
  HWND hwnd = editor->CreateCentred("TForm5", "任务", kStyle, WS_EX_CONTROLPARENT, kClientWidth,
                                    RuleY() + kClientHeightBelowRule);
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
  // The clock and counter kinds first, each on its line; the condition kinds
  // after every other control, so that those keep their order.
  for (int i = 0; i < kKindCount; ++i) {
    if (kScheduleKinds[i].timing != KindTiming::Condition) CreateKindLine(i, i, false);
  }
  const int ruleY = RuleY();
  CreateControl("STATIC", kControl, kMargin, ruleY, kClientWidth - 2 * kMargin, 2, SS_ETCHEDHORZ | WS_GROUP, nullptr);

  const int boxX = 84;
  const int typeY = ruleY + kTypeBelowRule, paramY = ruleY + kParamY;
  CreateLabel(kControl, kMargin, typeY + kLabelDrop, "任务类型:", font_);
  type_ = CreateControl("COMBOBOX", kType, boxX, typeY, 150, 300, WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, font_);
  std::vector<std::string> typeWords;
  for (const TaskType& t : kTaskTypes) typeWords.push_back(t.word);
  SetComboItems(type_, typeWords);
  typeMark_ = CreateLabel(kControl, boxX + 158, typeY + kLabelDrop, "", font_);

  const int browseW = 58;
  const int browseX = kBaseWidth - kMargin - browseW;
  paramCaption_ = CreateLabel(kControl, kMargin, paramY + kLabelDrop, kInitialParamCaption, font_);
  param_ = CreateControl("COMBOBOX", kParam, boxX, paramY, browseX - 6 - boxX, 200,
                         WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, font_);
  CreateButton(kBrowse, browseX, paramY - 1, browseW, 23, "浏览", font_);

  wake_ = CreateControl("BUTTON", kWake, kMargin, ruleY + kWakeY, 200, kRadioH, WS_TABSTOP | BS_AUTOCHECKBOX, font_,
                        kWakeBoxCaption);
  catchUp_ = CreateControl("BUTTON", kCatchUp, kMargin + 210, ruleY + kWakeY, 150, kRadioH,
                           WS_TABSTOP | BS_AUTOCHECKBOX, font_, kCatchUpBoxCaption);
  // Said only when the active power plan is known to keep wake timers off.
  const std::optional<bool> allowed = owner_.WakeTimersAllowed();
  CreateControl("STATIC", kControl, kMargin, ruleY + kWakeNoteY, kClientWidth - 2 * kMargin, 30, 0, font_,
                allowed == false ? kWakeTimersOffNote : "");

  const int buttonsY = ruleY + kButtonsY;
  CreateButton(kOk, kClientWidth - kMargin - 2 * kButtonW - 6, buttonsY, kButtonW, kButtonH, "确定(&O)", font_);
  CreateButton(kCancel, kClientWidth - kMargin - kButtonW, buttonsY, kButtonW, kButtonH, "取消(&C)", font_);

  // Their radio buttons start a group of their own, and a click on any radio
  // button clears the others (RadioClicked).
  int line = 0;
  for (int i = 0; i < kKindCount; ++i) {
    if (kScheduleKinds[i].timing == KindTiming::Condition) CreateKindLine(i, line++, true);
  }
}

void TaskEditor::CreateKindLine(int index, int line, bool conditionColumn) {
  const ScheduleKindRow& kind = kScheduleKinds[index];
  const int y = kFirstRowY + line * kRowPitch;
  const DWORD group = line == 0 ? WS_GROUP | WS_TABSTOP : 0;
  const DWORD edit = WS_TABSTOP | ES_AUTOHSCROLL;
  const int radioX = conditionColumn ? kConditionX : kMargin;
  const int radioW = conditionColumn ? kConditionRadioW : kRadioW;
  radios_[index] = CreateControl("BUTTON", kFirstRadio + index, radioX, y + 2, radioW, kRadioH,
                                 BS_AUTORADIOBUTTON | group, font_, std::string(kind.word) + kind.lead);
  const int fieldX[2] = {conditionColumn ? kConditionFieldX : kFieldX,
                         conditionColumn ? kConditionFieldX + 130 : kSecondNumberX};
  int placed = 0;
  HWND timePicker = nullptr;
  for (std::size_t i = 0; i < kind.count; ++i) {
    const FieldControl& c = ControlOf(kind.fields[i].field);
    const int x = fieldX[placed > 1 ? 1 : placed];
    HWND h = nullptr;
    switch (c.box) {
      case Box::Digits:
        h = CreateControl("EDIT", kControl, x, y, c.width, kBoxH, edit, font_, "", WS_EX_CLIENTEDGE);
        FilterTypedKeys(h, AcceptsDigitKey);
        break;
      case Box::Numbers:
        h = CreateControl("COMBOBOX", kControl, x, y, c.width, 200,
                          WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, font_);
        SetComboItems(h, Numbers(c.first, c.last));
        break;
      case Box::Programs:
        h = CreateControl("COMBOBOX", kControl, x, y, c.width, 200,
                          WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL | CBS_SORT, font_);
        SetComboItems(h, RunningProgramNames(owner_));
        break;
      case Box::DatePicker:
        h = CreateControl(DATETIMEPICK_CLASSA, kControl, kFieldX, y, kTimeX - 8 - kFieldX, kBoxH,
                          WS_TABSTOP | DTS_SHORTDATEFORMAT, font_);
        break;
      case Box::TimePicker:
        if (!timePicker) {
          timePicker = CreateControl(DATETIMEPICK_CLASSA, kControl, kTimeX, y, kTimeW, kBoxH,
                                     WS_TABSTOP | DTS_TIMEFORMAT, font_);
          SendMessageW(timePicker, DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(L"HH:mm"));
          SetPickerTime(timePicker, 0, 0);
          SetTooltip(tips_, timePicker, "时：分");
        }
        h = timePicker;
        break;
    }
    if (c.box == Box::Digits || c.box == Box::Numbers || c.box == Box::Programs) ++placed;
    if (c.label) CreateLabel(kControl, x + c.width + 4, y + kLabelDrop, c.label, font_);
    if (c.tooltip) SetTooltip(tips_, h, c.tooltip);
    fields_[index].push_back(h);
  }
  // The after-boot line shows how long the PC has been up.
  if (kind.kind == ScheduleKind::AfterBoot) {
    CreateLabel(kControl, kTimeX, y + kLabelDrop, UptimeText(owner_.TickCount()), font_);
  }
}

void TaskEditor::RadioClicked(int index) {
  for (int i = 0; i < kKindCount; ++i) {
    if (i != index) SetChecked(radios_[i], false);
  }
}

TaskForm TaskEditor::ReadForm() const {
  TaskForm f;
  for (int r = 0; r < kKindCount; ++r) {
    const ScheduleKindRow& row = kScheduleKinds[r];
    if (Checked(radios_[r])) f.kind = row.kind;
    for (std::size_t i = 0; i < row.count; ++i) {
      const ScheduleField field = row.fields[i].field;
      HWND h = fields_[r][i];
      switch (ControlOf(field).box) {
        case Box::DatePicker: f.date = PickerDate(h); break;
        case Box::TimePicker: {
          const TimeOfDayValue t = PickerTime(h);
          f.fields[r][i] = Decimal(field == ScheduleField::Hour ? t.hour : t.minute);
          break;
        }
        default: f.fields[r][i] = TextOf(h); break;
      }
    }
  }
  f.type = TextOf(type_);
  f.param = TextOf(param_);
  f.wake = Checked(wake_);
  f.catchUp = Checked(catchUp_);
  return f;
}

void TaskEditor::ShowFields(const TaskForm& f, bool composedOnly) {
  for (int r = 0; r < kKindCount; ++r) {
    const ScheduleKindRow& row = kScheduleKinds[r];
    for (std::size_t i = 0; i < row.count; ++i) {
      HWND h = fields_[r][i];
      const std::string& text = f.fields[r][i];
      switch (ControlOf(row.fields[i].field).box) {
        case Box::Digits: SetText(h, text); break;
        case Box::Numbers: SelectComboText(h, text); break;
        case Box::Programs:
          if (!composedOnly) SetText(h, text);
          break;
        case Box::DatePicker:
          if (!composedOnly) SetPickerDate(h, f.date);
          break;
        case Box::TimePicker:
          // The hour's field sets the picker, with the minute that follows it.
          if (!composedOnly && row.fields[i].field == ScheduleField::Hour) {
            SetPickerTime(h, NumberOf(text), NumberOf(f.fields[r][i + 1]));
          }
          break;
      }
    }
  }
}

void TaskEditor::ShowForm(const TaskForm& f) {
  for (int i = 0; i < kKindCount; ++i) SetChecked(radios_[i], f.kind == kScheduleKinds[i].kind);
  ShowFields(f, false);
  SelectComboText(type_, f.type);
  SetText(param_, f.param);
  SetChecked(wake_, f.wake);
  SetChecked(catchUp_, f.catchUp);
  ShowFlagBoxes();
}

void TaskEditor::ShowFlagBoxes() {
  const TaskForm f = ReadForm();
  EnableWindow(wake_, f.kind && HasClockTime(*f.kind) ? TRUE : FALSE);
  EnableWindow(catchUp_, CatchUpOffered(f.kind, f.type) ? TRUE : FALSE);
  ui::SetLabel(typeMark_, TypeMark(f.type, owner_.PowerCapabilities()));
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
          // A kind's radio button: it clears the others, and the flag boxes
          // follow the kind.
          if (LOWORD(wParam) >= kFirstRadio && LOWORD(wParam) < kFirstRadio + kKindCount &&
              HIWORD(wParam) == BN_CLICKED) {
            RadioClicked(LOWORD(wParam) - kFirstRadio);
            ShowFlagBoxes();
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

void TaskEditor::TypeChange() {
  ShowHints(HintsForPickedType(TextOf(type_), owner_.OsMajor()));
  ShowFlagBoxes();
}

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
  // So is the chosen kind's program name.
  for (int r = 0; r < kKindCount; ++r) {
    const ScheduleKindRow& row = kScheduleKinds[r];
    for (std::size_t i = 0; form.kind == row.kind && i < row.count; ++i) {
      if (ControlOf(row.fields[i].field).box == Box::Programs && !ExactTextOf(fields_[r][i])) {
        ShowUserMessage(UnstorableTextMessage("程序名"));
        SetFocus(fields_[r][i]);
        return;
      }
    }
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
    ShowFields(form, true);
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
