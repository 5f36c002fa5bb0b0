#include "dialogs/options_form.h"

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <utility>
#include <vector>

#include "store/errors.h"
#include "store/text.h"

namespace ordavi {

namespace {

FrameworkError ProgressRangeError() { return FrameworkError("TProgressBar property out of range"); }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string AutostartCommand(const std::string& exePath) { return "\"" + exePath + "\""; }

bool IsAutostartOf(const std::string& stored, const std::string& exePath) {
  return stored == exePath || stored == AutostartCommand(exePath);
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

OptionsForm ReadOptionsForm(Registry& program, RegistryRoot& root, const Options& opts, const std::string& exePath,
                            char decimalSeparator) {
  // Each control shows the stored value, which is what the agent uses or
  // will use at its next start. A value that cannot be read shows what the
  // agent uses instead, so every control is filled: an OK would otherwise
  // store blank controls over all the options. Start-up has already reported
  // such a value.
  OptionsForm form;
  for (const OptionDescriptor& o : kOptions) {
    OptionControl& c = form.controls[IndexOf(o)];
    if (o.kind == OptionKind::Text) {
      c.text = o.text ? opts.*o.text : std::string();
      try {
        if (program.ValueExists(o.name)) c.text = program.ReadString(o.name);
      } catch (const FrameworkError&) {
      }
      continue;
    }
    const std::int32_t inUse = o.number ? opts.*o.number : o.defaultNumber;
    std::int32_t v = inUse;
    try {
      v = program.ReadInteger(o.name);
    } catch (const FrameworkError&) {
    }
    if (o.kind == OptionKind::Seconds && (v < o.low || v > o.high)) v = inUse;  // not used either
    if (o.kind == OptionKind::Seconds) {
      c.text = MinutesText(v, decimalSeparator);
    } else {
      c.checked = v != 0;
    }
  }
  auto runKey = root.OpenKey(kRunKeyPath);
  Registry run(*runKey);
  try {
    form.autostart = run.ValueExists(kAutostartValue) && IsAutostartOf(run.ReadString(kAutostartValue), exePath);
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
  // The in-memory copies change only once every write went through: a
  // refused save leaves the agent counting with what it had.
  Options next = opts;
  std::vector<std::pair<int, ValueToWrite>> writes;
  for (const OptionDescriptor& o : kOptions) {
    const OptionControl& c = form.controls[IndexOf(o)];
    ValueToWrite w{o.name, o.kind != OptionKind::Text, 0, std::string()};
    switch (o.kind) {
      case OptionKind::Flag: w.number = c.checked ? 1 : 0; break;
      case OptionKind::Seconds: w.number = c.text.empty() ? o.defaultNumber : ParseMinutes(c.text, decimalSeparator); break;
      case OptionKind::Text:
        if (o.text && c.text == opts.*o.text) continue;  // an unchanged text is not written
        w.text = c.text;
        break;
    }
    if (o.number) next.*o.number = w.number;
    if (o.text) next.*o.text = w.text;
    writes.emplace_back(o.saveStep, std::move(w));
  }
  std::stable_sort(writes.begin(), writes.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  for (const auto& step : writes) WriteValue(program, step.second);
  auto runKey = root.OpenKey(kRunKeyPath);
  Registry run(*runKey);
  // A delete that is refused would leave autostart on after the box was
  // cleared: it is reported like a refused write.
  if (run.ValueExists(kAutostartValue) && !run.DeleteValue(kAutostartValue)) throw SetDataError(kAutostartValue);
  if (form.autostart) run.WriteString(kAutostartValue, AutostartCommand(exePath));
  opts = next;
  setProgressMax(opts.countdownSeconds);
}

}  // namespace ordavi
