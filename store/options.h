// Program options: the countdown length, its sound, closing programs before a
// standby or hibernate, the boot-time notice, Ctrl hotkeys and autostart.
//
// The options are REG_DWORD / REG_SZ values in the program's key; autostart is
// the value Ormile under the Run key. The in-memory copies are Options.
// ShowOptions and SaveOptions work on plain data (OptionsForm), so the
// settings dialog only moves texts and check marks.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <optional>

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

// The in-memory copies, with their initial values (also the defaults written
// for absent values).
struct Options {
  std::int32_t closeProgramsFirst = 0;  // shutapp; 1: close programs before a standby/hibernate countdown
  std::string soundPath;               // soundpath: wave file looped during a countdown; empty: none
  std::int32_t countdownSeconds = 60;  // tishi: countdown length in seconds
  std::int32_t ctrlHotkeys = 0;        // rejian: non-zero: hotkeys with Ctrl
};

// A stored value start-up could not use. The in-memory copy keeps its
// default and the stored value is left as it is.
struct OptionProblem {
  std::string name;    // value name
  std::string detail;  // short Chinese reason
};

// Loads shutapp, soundpath, tishi, then TaskNum (through loadTaskCounter),
// then kaiji, then rejian, writing each absent one with its default. A value
// of the wrong type, a negative tishi or a refused write never stops the
// sequence: it is returned as a problem and the default stays in memory.
std::vector<OptionProblem> LoadOptions(Registry& reg, Options& opts, const std::function<void()>& loadTaskCounter);

// The one notice text that tells the user about all problems of LoadOptions.
std::string OptionProblemsNotice(const std::vector<OptionProblem>& problems);

// The five option values of the program's key, as the task file carries
// them. Autostart is not one of them: it is the path of this PC's executable,
// kept under the Run key, and belongs to the installation.
struct OptionValues {
  std::int32_t shutapp = 0;
  std::string soundpath;
  std::int32_t tishi = 60;
  std::int32_t kaiji = 0;
  std::int32_t rejian = 0;
};

// Reads the five values; an absent one reads as its default, one of the
// wrong type raises its FrameworkError.
OptionValues ReadOptionValues(Registry& reg);

// Options a task file sets; an option the file does not name stays as it is.
struct OptionChanges {
  std::optional<std::int32_t> shutapp;
  std::optional<std::string> soundpath;
  std::optional<std::int32_t> tishi;
  std::optional<std::int32_t> kaiji;
  std::optional<std::int32_t> rejian;
  bool Empty() const { return !shutapp && !soundpath && !tishi && !kaiji && !rejian; }
};

// The registry writes of the changes, in the order LoadOptions takes them.
std::vector<ValueToWrite> OptionWrites(const OptionChanges& changes);
// The in-memory copies after the changes were stored (kaiji has none).
void ApplyOptionChanges(const OptionChanges& changes, Options& opts);

}  // namespace ordavi
