// Program options: the countdown length, its sound, closing programs before a
// standby or hibernate, the boot-time notice, Ctrl hotkeys and autostart.
//
// The options are REG_DWORD / REG_SZ values in the program's key, one row
// each in kOptions; autostart is the value Ormile under the Run key. The
// in-memory copies are Options.
#pragma once

#include <cstdint>
#include <cstddef>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "store/registry.h"
#include "store/tasks.h"

namespace ordavi {

// Value names.
inline constexpr const char* kShutappValue = "shutapp";
inline constexpr const char* kSoundpathValue = "soundpath";
inline constexpr const char* kTishiValue = "tishi";
inline constexpr const char* kKaijiValue = "kaiji";
inline constexpr const char* kRejianValue = "rejian";
inline constexpr const char* kAutostartValue = "Ormile";
inline constexpr const char* kAwakeBatteryValue = "awakebattery";

// The in-memory copies. A new Options holds each option's default.
struct Options {
  Options();
  std::int32_t closeProgramsFirst;  // shutapp; 1: close programs before a standby/hibernate countdown
  std::string soundPath;            // soundpath: wave file looped during a countdown; empty: none
  std::int32_t countdownSeconds;    // tishi: countdown length in seconds
  std::int32_t ctrlHotkeys;         // rejian: non-zero: hotkeys with Ctrl
  std::int32_t awakeBatteryLevel;   // awakebattery: a keep-awake ends on a battery below this %; 0: never
};

enum class OptionKind {
  Flag,     // a number the agent reads as on or off: a check box, 0 or 1 in the task file
  Seconds,  // a number of seconds in [low, high]: shown and typed in minutes
  Number,   // a number in [low, high], shown and typed as stored
  Text,     // a text: a box that is stored only when its text changed
};

// One option of the program's key: everything that loads, stores, exports,
// imports, shows or saves an option reads its row, so adding an option is a
// row here and its control in the settings dialog.
struct OptionDescriptor {
  const char* name;  // the registry value name, and the option's key in the task file
  OptionKind kind;
  std::int32_t defaultNumber;  // Flag, Seconds: written when absent (a Text's default is empty)
  std::int32_t low, high;      // Seconds: a stored value outside is not used, the file takes no other
  bool onlyOneIsOn;            // Flag: the agent acts only on exactly 1, else on any non-zero value
  // The in-memory copy (both null: none; the option is read where it is used).
  std::int32_t Options::*number;
  std::string Options::*text;
  bool afterTaskCounter;  // start-up loads it after TaskNum
  int saveStep;           // the settings dialog's OK writes the options in this order
  const char* meaning;    // for the task file's notes and messages (GBK)
};

// In the order start-up loads them and the task file lists them.
// Columns: name, kind, default, low, high, only 1 is on, in-memory number,
// in-memory text, loaded after TaskNum, step in the dialog's OK, meaning.
// rejian: a first start stores 1: a bare F11 (every browser's full-screen
// key) would otherwise power the machine off without saving. A stored value
// is kept as it is.
inline constexpr OptionDescriptor kOptions[] = {
    {kShutappValue, OptionKind::Flag, 0, 0, 1, true, &Options::closeProgramsFirst, nullptr, false, 4,
     "待机或休眠前关闭所有程序"},
    {kSoundpathValue, OptionKind::Text, 0, 0, 0, false, nullptr, &Options::soundPath, false, 3, "关机前播放的声音文件"},
    {kTishiValue, OptionKind::Seconds, 60, 0, INT32_MAX, false, &Options::countdownSeconds, nullptr, false, 2,
     "关机前等待的秒数"},
    {kKaijiValue, OptionKind::Flag, 0, 0, 1, true, nullptr, nullptr, true, 1, "显示开机时间"},
    {kRejianValue, OptionKind::Flag, 1, 0, 1, false, &Options::ctrlHotkeys, nullptr, true, 5, "使用Ctrl热键"},
    {kAwakeBatteryValue, OptionKind::Number, 20, 0, 100, false, &Options::awakeBatteryLevel, nullptr, true, 6,
     "用电池时电量低于此百分比即停止保持唤醒（0到100，0为不停止）"},
};

inline constexpr std::size_t kOptionCount = std::size(kOptions);

// The row of a value name; null for a name that is no option.
const OptionDescriptor* FindOption(const std::string& name);
// The row's index in kOptions.
std::size_t IndexOf(const OptionDescriptor& option);

// A stored value start-up could not use. The in-memory copy keeps its
// default and the stored value is left as it is.
struct OptionProblem {
  std::string name;    // value name
  std::string detail;  // short Chinese reason
};

// Loads the options in the table's order, TaskNum (through
// loadTaskCounter) before the first one loaded after it, writing each absent
// one with its default. A value of the wrong type, one out of its range or a
// refused write never stops the sequence: it is returned as a problem and the
// default stays in memory.
std::vector<OptionProblem> LoadOptions(Registry& reg, Options& opts, const std::function<void()>& loadTaskCounter);

// The one notice text that tells the user about all problems of LoadOptions.
std::string OptionProblemsNotice(const std::vector<OptionProblem>& problems);

// One option's value: `number` for a Flag or Seconds, `text` for a Text.
struct OptionValue {
  std::int32_t number = 0;
  std::string text;
};

// Values of some of the options, by their row in kOptions; an option not
// named is nothing. Autostart is none of them: it is the path of this PC's
// executable, kept under the Run key, and belongs to the installation.
struct OptionValues {
  std::optional<OptionValue> of[kOptionCount];
  bool Empty() const;
};

// Every option as stored; an absent one reads as its default, one of the
// wrong type raises its FrameworkError.
OptionValues ReadOptionValues(Registry& reg);

// The registry writes of the values, in the table's order.
std::vector<ValueToWrite> OptionWrites(const OptionValues& values);
// The in-memory copies after the values were stored.
void ApplyOptionChanges(const OptionValues& values, Options& opts);

// Whether a flag is on with this stored value (only 1, or any non-zero
// value, as its row says): the one answer for the agent, the settings
// dialog's check box and the task file.
bool FlagIsOn(const OptionDescriptor& option, std::int32_t stored);
bool FlagIsOn(const char* option, std::int32_t stored);

}  // namespace ordavi
