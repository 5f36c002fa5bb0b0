#include "dialogs/options_form.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

#include "schedule/grammar.h"
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

// Both conversions work on decimal digits, exactly: a countdown needs no
// floating point, and the shipped program then links none of the C library's
// number formatting and reading.
std::string MinutesText(std::int32_t seconds, char decimalSeparator) {
  std::int64_t s = seconds;
  const bool negative = s < 0;
  if (negative) s = -s;
  // The whole minutes, then the sixtieths' decimal digits by long division
  // until sixteen significant digits or an exact end. A sixtieth ends in a
  // repeated 3 or 6, so the sixteenth digit rounds without a tie.
  std::string digits = s >= 60 ? std::to_string(s / 60) : std::string();
  const std::size_t wholeDigits = digits.size();
  std::size_t significant = wholeDigits;
  for (std::int64_t rest = s % 60; rest != 0 && significant < 16;) {
    rest *= 10;
    const char d = static_cast<char>('0' + rest / 60);
    rest %= 60;
    digits += d;
    if (significant > 0 || d != '0') ++significant;
  }
  if (significant == 16) {
    const bool up = digits.back() >= '5';
    digits.pop_back();
    for (std::size_t i = digits.size(); up && i-- > 0;) {
      if (digits[i] != '9') {
        ++digits[i];
        break;
      }
      digits[i] = '0';
    }
  }
  std::string fraction = digits.substr(wholeDigits);
  while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
  std::string text = negative ? "-" : "";
  text += wholeDigits > 0 ? digits.substr(0, wholeDigits) : "0";
  if (!fraction.empty()) text += decimalSeparator + fraction;
  return text;
}

std::int32_t ParseMinutes(const std::string& text, char decimalSeparator) {
  // Accepted: blanks, an optional sign, digits with at most one separator
  // (at least one digit), an optional exponent, blanks. The value is
  // mantissa * 10^exponent.
  std::size_t i = 0, n = text.size();
  while (i < n && text[i] == ' ') ++i;
  bool negative = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  std::string mantissa;
  std::int64_t exponent = 0;
  bool separator = false;
  for (; i < n; ++i) {
    if (IsDigit(text[i])) {
      mantissa += text[i];
      if (separator) --exponent;
    } else if (text[i] == decimalSeparator && !separator) {
      separator = true;
    } else {
      break;
    }
  }
  if (mantissa.empty()) throw FloatError(text);
  if (i < n && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    bool exponentNegative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) exponentNegative = text[i++] == '-';
    std::int64_t e = 0;
    const std::size_t first = i;
    for (; i < n && IsDigit(text[i]); ++i) e = std::min<std::int64_t>(e * 10 + (text[i] - '0'), 1000000);
    if (i == first) throw FloatError(text);
    exponent += exponentNegative ? -e : e;
  }
  while (i < n && text[i] == ' ') ++i;
  if (i != n) throw FloatError(text);

  const std::size_t first = mantissa.find_first_not_of('0');
  if (first == std::string::npos) return 0;
  mantissa.erase(0, first);
  // The power of ten of the leading digit: past the largest double (about
  // 1.7976931348623157e308) the text is no number; from 1e8 minutes on, the
  // seconds are past 32 bits.
  const std::int64_t magnitude = static_cast<std::int64_t>(mantissa.size()) - 1 + exponent;
  if (magnitude > 308 || (magnitude == 308 && mantissa.compare(0, 20, "17976931348623158079") >= 0)) {
    throw FloatError(text);
  }
  if (magnitude >= 8) throw ProgressRangeError();
  // seconds * 10^-exponent = mantissa * 60, in decimal digits.
  std::string product;
  int carry = 0;
  for (std::size_t k = mantissa.size(); k-- > 0;) {
    const int d = (mantissa[k] - '0') * 6 + carry;
    product.insert(product.begin(), static_cast<char>('0' + d % 10));
    carry = d / 10;
  }
  if (carry != 0) product.insert(product.begin(), static_cast<char>('0' + carry));
  product += '0';
  std::int64_t seconds = 0;
  std::string fraction;
  if (exponent >= 0) {
    product.append(static_cast<std::size_t>(exponent), '0');
  } else {
    const std::size_t fractionDigits = static_cast<std::size_t>(-exponent);
    if (product.size() < fractionDigits) product.insert(0, fractionDigits - product.size(), '0');
    fraction = product.substr(product.size() - fractionDigits);
    product.erase(product.size() - fractionDigits);
  }
  for (char c : product) seconds = seconds * 10 + (c - '0');
  // Rounded half to even, as the processor rounds by default.
  if (!fraction.empty()) {
    const bool aboveHalf = fraction[0] > '5' || (fraction[0] == '5' && fraction.find_first_not_of('0', 1) != std::string::npos);
    const bool half = fraction[0] == '5' && !aboveHalf;
    if (aboveHalf || (half && seconds % 2 == 1)) ++seconds;
  }
  if ((negative && seconds != 0) || seconds > std::numeric_limits<std::int32_t>::max()) throw ProgressRangeError();
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
    if (o.kind != OptionKind::Flag && (v < o.low || v > o.high)) v = inUse;  // not used either
    if (o.kind == OptionKind::Seconds) {
      c.text = MinutesText(v, decimalSeparator);
    } else if (o.kind == OptionKind::Number) {
      c.text = Decimal(v);
    } else {
      c.checked = FlagIsOn(o, v);
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
      case OptionKind::Number: {
        // Its meaning says its range.
        const std::optional<std::int32_t> n = c.text.empty() ? o.defaultNumber : DigitsValue(c.text);
        if (!n || *n < o.low || *n > o.high) throw FrameworkError(o.meaning);
        w.number = *n;
        break;
      }
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
