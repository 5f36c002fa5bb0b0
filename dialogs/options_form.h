// The settings dialog's option controls as plain data: the form is read from
// the registry and the in-memory options, and saved back to both, so the
// dialog only moves texts and check marks.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "store/options.h"
#include "store/registry.h"

namespace ordavi {

// One option's control: a Flag's check box, the text of the others (a
// Seconds option in minutes).
struct OptionControl {
  bool checked = false;
  std::string text;
};

// The option controls of the settings dialog.
struct OptionsForm {
  OptionControl controls[kOptionCount];  // by the option's row in kOptions
  bool autostart = false;                // CheckBox2 (Ormile)
  OptionControl& Of(const char* option) { return controls[IndexOf(*FindOption(option))]; }
  const OptionControl& Of(const char* option) const { return controls[IndexOf(*FindOption(option))]; }
};

// The line the settings dialog shows from its opening when the program's key
// opened for reading only: nothing the user changes there can be stored.
inline constexpr const char* kCannotSaveLine = "本次运行无写入权限，更改不能保存";

// The autostart value's text: the program's full path in double quotes, so a
// path with blanks ("C:\Program Files\...") can never start another program
// ("C:\Program.exe").
std::string AutostartCommand(const std::string& exePath);
// Whether a stored autostart text starts this program: the quoted path, or the
// bare path an earlier version wrote (rewritten quoted at the next save).
bool IsAutostartOf(const std::string& stored, const std::string& exePath);

// Seconds shown as minutes: general notation, up to 15 significant digits, no
// trailing zeros, the locale's decimal separator (60 -> "1", 100 ->
// "1.66666666666667").
std::string MinutesText(std::int32_t seconds, char decimalSeparator);

// Minutes text to whole seconds, rounded half to even. Throws FloatError for
// a text that is not a number, and a range error for a negative result or one
// beyond 32 bits (the progress bar cannot take it).
std::int32_t ParseMinutes(const std::string& text, char decimalSeparator);

// The dialog's option controls as the registry and the in-memory copies fill them.
OptionsForm ReadOptionsForm(Registry& program, RegistryRoot& root, const Options& opts,
                            const std::string& exePath, char decimalSeparator);

// Stores the controls' values, then updates the in-memory copies and the
// progress bar maximum (setProgressMax), and maintains the autostart value.
// Nothing is written when the minutes text does not convert; a refused write
// or a refused delete of the autostart value raises SetDataError and leaves
// the in-memory copies and the progress bar as they were.
void SaveOptionsForm(Registry& program, RegistryRoot& root, const OptionsForm& form, Options& opts,
                     const std::string& exePath, char decimalSeparator,
                     const std::function<void(std::int32_t)>& setProgressMax);

}  // namespace ordavi
