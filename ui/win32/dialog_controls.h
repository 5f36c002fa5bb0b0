// Control helpers shared by the settings dialog, the task editor and the run
// history's window: texts and check marks, combo box lists, time and date
// pickers, tooltips, typed-key filters, report lists and the message boxes.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "schedule/schedule.h"
#include "ui/user_message.h"

namespace ordavi::ui {

// Registers the common controls the dialogs use (list view, date and time
// pickers, tooltips); cheap when already done.
void InitDialogControls();

// Texts are GBK, as the core keeps them, and reach the Unicode controls as
// UTF-16. TextOf turns a character GBK cannot hold into "?"; ExactTextOf
// gives nothing then, for boxes whose text is stored.
std::string TextOf(HWND control);
std::optional<std::string> ExactTextOf(HWND control);
void SetText(HWND control, const std::string& text);
bool Checked(HWND button);
void SetChecked(HWND button, bool checked);

// A combo box's list, replaced by `items`.
void SetComboItems(HWND combo, const std::vector<std::string>& items);
// The list item whose text is exactly `text` becomes the selection (none
// when there is no such item); an editable box shows the text in any case.
void SelectComboText(HWND combo, const std::string& text);

// Hours and minutes of a time picker, and the date of a date picker.
struct TimeOfDayValue {
  int hour = 0;
  int minute = 0;
};
TimeOfDayValue PickerTime(HWND picker);
void SetPickerTime(HWND picker, int hour, int minute);
Date PickerDate(HWND picker);
void SetPickerDate(HWND picker, const Date& date);

// A tooltip window for `owner`'s controls; `Tooltip` gives a control its tip
// (an empty text removes it). An editable combo box's inner edit box gets the
// same tip, since the mouse rests on it.
HWND CreateTooltips(HWND owner);
void SetTooltip(HWND tooltips, HWND control, const std::string& text);

// Typed characters that `accepts` refuses are discarded before the control
// sees them; a filter sees ASCII keys only, anything past ASCII is refused.
using KeyFilter = bool (*)(char);
void FilterTypedKeys(HWND edit, KeyFilter accepts);

// The children of `parent` send their notifications to `target` instead (the
// state combo sits inside the list view), and `target` is sent `scrolled`
// whenever `parent` may have scrolled its content (scroll bars, mouse wheel,
// keys), since scrolling leaves the children where they are.
void ForwardCommandsTo(HWND parent, HWND target, UINT scrolled);

// The system's file-open dialog owned by `owner`: the full path of the file
// the user confirms (UTF-16, any characters), nothing when cancelled. An
// empty filter (GBK, pairs separated by NULs) or folder, or a null title
// (GBK), leaves the dialog's own.
std::optional<std::wstring> ChooseFile(HWND owner, const std::string& filter, const char* title,
                                       const std::wstring& folder);
// A picked file's path put into `box`, where it will be stored: a path GBK
// cannot hold is refused with a message now, not stored as "?". Nothing
// happens when no file was picked.
void PutPickedPath(HWND box, const std::optional<std::wstring>& picked);
// The system's file-save dialog: `name` proposed, `defaultExtension` added to
// a name typed without one, a file that exists replaced only when the user
// confirms.
std::optional<std::wstring> ChooseFileToSave(HWND owner, const std::string& filter, const char* title,
                                             const std::wstring& name, const wchar_t* defaultExtension);

struct ReportColumn {  // of a report-style list view
  const char* caption;  // GBK
  int width;            // at 96 DPI
};
// Grid lines, whole-row selection and `columns` as the list's columns.
void SetUpReportList(HWND list, const ReportColumn* columns, std::size_t count);
// Writes a cell; with `insert`, the row is added there first (column 0 only).
void SetCell(HWND list, int row, int column, std::wstring text, bool insert = false);
// Held, the list draws nothing; let go, it is drawn once, whole (a redraw per
// cell made a list of a thousand rows take seconds to show).
void HoldDrawing(HWND list, bool held);

// The message box of a refused input: owned by no window, one OK button.
void ShowUserMessage(const UserMessage& message);
// A question with 是 and 否 (否 the default) owned by `owner`: whether the
// user said 是.
bool AskYesNo(HWND owner, const std::string& question, const std::string& caption);

}  // namespace ordavi::ui
