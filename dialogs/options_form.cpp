#include "dialogs/options_form.h"

#include <cfenv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "store/errors.h"
#include "store/text.h"

namespace ordavi {

namespace {

FrameworkError ProgressRangeError() { return FrameworkError("TProgressBar property out of range"); }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string MinutesText(std::int32_t seconds, char decimalSeparator) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15g", static_cast<double>(seconds) / 60.0);
  std::string text = buf;
  for (char& c : text) {
    if (c == '.') c = decimalSeparator;
  }
  return text;
}

std::int32_t ParseMinutes(const std::string& text, char decimalSeparator) {
  // Accepted: blanks, an optional sign, digits with at most one separator
  // (at least one digit), an optional exponent, blanks.
  std::size_t i = 0, n = text.size();
  std::string plain;
  while (i < n && text[i] == ' ') ++i;
  if (i < n && (text[i] == '+' || text[i] == '-')) plain += text[i++];
  int digits = 0;
  bool separator = false;
  for (; i < n; ++i) {
    if (IsDigit(text[i])) {
      plain += text[i];
      ++digits;
    } else if (text[i] == decimalSeparator && !separator) {
      plain += '.';
      separator = true;
    } else {
      break;
    }
  }
  if (digits == 0) throw FloatError(text);
  if (i < n && (text[i] == 'e' || text[i] == 'E')) {
    plain += 'e';
    ++i;
    if (i < n && (text[i] == '+' || text[i] == '-')) plain += text[i++];
    int expDigits = 0;
    for (; i < n && IsDigit(text[i]); ++i, ++expDigits) plain += text[i];
    if (expDigits == 0) throw FloatError(text);
  }
  while (i < n && text[i] == ' ') ++i;
  if (i != n) throw FloatError(text);

  const double minutes = std::strtod(plain.c_str(), nullptr);
  if (!std::isfinite(minutes)) throw FloatError(text);
  std::fesetround(FE_TONEAREST);
  const double seconds = std::nearbyint(minutes * 60.0);
  if (seconds < 0 || seconds > static_cast<double>(std::numeric_limits<std::int32_t>::max())) {
    throw ProgressRangeError();
  }
  return static_cast<std::int32_t>(seconds);
}

OptionsForm ReadOptionsForm(Registry& program, RegistryRoot& root, const Options& opts, const std::string& exePath,
                        char decimalSeparator) {
  // A value that cannot be read shows what the agent uses instead, so every
  // control is filled: an OK would otherwise store blank controls over all
  // the options. Start-up has already reported such a value.
  const auto stored = [&program](const char* name, std::int32_t inUse) {
    try {
      return program.ReadInteger(name);
    } catch (const FrameworkError&) {
      return inUse;
    }
  };
  OptionsForm form;
  form.minutes = MinutesText(stored(kTishiValue, opts.countdownSeconds), decimalSeparator);
  form.closeApps = stored(kShutappValue, opts.closeProgramsFirst) != 0;
  form.bootTime = stored(kKaijiValue, 0) != 0;
  form.soundPath = opts.soundPath;
  form.ctrlKeys = opts.ctrlHotkeys != 0;
  auto runKey = root.OpenKey(kRunKeyPath);
  Registry run(*runKey);
  try {
    form.autostart = run.ValueExists(kAutostartValue) && run.ReadString(kAutostartValue) == exePath;
  } catch (const FrameworkError&) {
    form.autostart = false;  // not an entry that starts the agent
  }
  return form;
}

void SaveOptionsForm(Registry& program, RegistryRoot& root, const OptionsForm& form, Options& opts,
                 const std::string& exePath, char decimalSeparator,
                 const std::function<void(std::int32_t)>& setProgressMax) {
  // Converted (and range-checked) before anything is written, so a bad text
  // leaves both the registry and the in-memory copies untouched.
  const std::int32_t tishi = form.minutes.empty() ? 60 : ParseMinutes(form.minutes, decimalSeparator);
  opts.countdownSeconds = tishi;
  program.WriteInteger(kKaijiValue, form.bootTime ? 1 : 0);
  setProgressMax(opts.countdownSeconds);
  program.WriteInteger(kTishiValue, opts.countdownSeconds);
  if (form.soundPath != opts.soundPath) {
    opts.soundPath = form.soundPath;
    program.WriteString(kSoundpathValue, opts.soundPath);
  }
  opts.closeProgramsFirst = form.closeApps ? 1 : 0;
  program.WriteInteger(kShutappValue, opts.closeProgramsFirst);
  opts.ctrlHotkeys = form.ctrlKeys ? 1 : 0;
  program.WriteInteger(kRejianValue, opts.ctrlHotkeys);
  auto runKey = root.OpenKey(kRunKeyPath);
  Registry run(*runKey);
  // A refused delete is reported like a refused write: unticked, autostart
  // would otherwise stay on without a word.
  if (run.ValueExists(kAutostartValue) && !run.DeleteValue(kAutostartValue)) throw SetDataError(kAutostartValue);
  if (form.autostart) run.WriteString(kAutostartValue, exePath);
}

}  // namespace ordavi
