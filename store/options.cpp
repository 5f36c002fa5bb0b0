#include "store/options.h"

#include <cfenv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "store/errors.h"
#include "store/text.h"

namespace ordavi {

namespace {

// What a failed read or write of one option means to the user.
std::string DetailOf(const FrameworkError& e) {
  switch (e.kind()) {
    case ErrorKind::InvalidType: return "类型错误";
    case ErrorKind::SetData: return "无法写入";
    default: return e.what();
  }
}

// Reads an integer option into `target` when it exists, or writes `target`
// (its default) when it does not. `valid` decides whether a stored value may
// be used.
void LoadInteger(Registry& reg, const char* name, std::int32_t& target, bool (*valid)(std::int32_t),
                 std::vector<OptionProblem>& problems) {
  try {
    if (reg.ValueExists(name)) {
      const std::int32_t v = reg.ReadInteger(name);
      if (valid && !valid(v)) {
        problems.push_back({name, "值 " + Decimal(v) + " 超出范围"});
        return;
      }
      target = v;
    } else {
      reg.WriteInteger(name, target);
    }
  } catch (const FrameworkError& e) {
    problems.push_back({name, DetailOf(e)});
  }
}

bool NonNegative(std::int32_t v) { return v >= 0; }

FrameworkError ProgressRangeError() { return FrameworkError("TProgressBar property out of range"); }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::vector<OptionProblem> LoadOptions(Registry& reg, Options& opts, const std::function<void()>& loadTaskCounter) {
  std::vector<OptionProblem> problems;
  LoadInteger(reg, kShutappValue, opts.closeProgramsFirst, nullptr, problems);
  try {
    if (reg.ValueExists(kSoundpathValue)) {
      opts.soundPath = reg.ReadString(kSoundpathValue);
    } else {
      reg.WriteString(kSoundpathValue, opts.soundPath);
    }
  } catch (const FrameworkError& e) {
    problems.push_back({kSoundpathValue, DetailOf(e)});
  }
  LoadInteger(reg, kTishiValue, opts.countdownSeconds, NonNegative, problems);
  try {
    loadTaskCounter();
  } catch (const FrameworkError& e) {
    problems.push_back({"TaskNum", DetailOf(e)});
  }
  std::int32_t kaiji = 0;  // only checked here; start-up reads it again
  LoadInteger(reg, kKaijiValue, kaiji, nullptr, problems);
  LoadInteger(reg, kRejianValue, opts.ctrlHotkeys, nullptr, problems);
  return problems;
}

std::string OptionProblemsNotice(const std::vector<OptionProblem>& problems) {
  std::string text = "设置值无效，已用默认值：";
  for (std::size_t i = 0; i < problems.size(); ++i) {
    if (i > 0) text += "；";
    text += problems[i].name + "（" + problems[i].detail + "）";
  }
  return text;
}

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

OptionsForm ShowOptions(Registry& program, RegistryRoot& root, const Options& opts, const std::string& exePath,
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

void SaveOptions(Registry& program, RegistryRoot& root, const OptionsForm& form, Options& opts,
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
  if (run.ValueExists(kAutostartValue)) run.DeleteValue(kAutostartValue);
  if (form.autostart) run.WriteString(kAutostartValue, exePath);
}

}  // namespace ordavi
