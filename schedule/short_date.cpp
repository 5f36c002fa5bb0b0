#include "schedule/short_date.h"

#include "schedule/calendar.h"
#include "schedule/grammar.h"
#include "store/errors.h"
#include "store/text.h"

namespace ordavi {

namespace {

// The order of year, month and day in a date format, and its separator: the
// first character of the format that is not a date letter or a quote.
struct DateLayout {
  char order[3] = {0, 0, 0};  // 'y', 'M', 'd'
  std::string separator;
};

DateLayout LayoutOf(const std::string& format) {
  DateLayout l;
  int n = 0;
  bool inQuote = false;
  for (std::size_t i = 0; i < format.size(); ++i) {
    const char c = format[i];
    if (c == '\'') {
      inQuote = !inQuote;
      continue;
    }
    if (!inQuote && (c == 'y' || c == 'Y' || c == 'M' || c == 'm' || c == 'd' || c == 'D')) {
      const char letter = (c == 'Y' || c == 'y') ? 'y' : (c == 'M' || c == 'm') ? 'M' : 'd';
      if (n < 3 && (n == 0 || l.order[n - 1] != letter)) l.order[n++] = letter;
      continue;
    }
    if (l.separator.empty() && n > 0) l.separator = std::string(1, c);
  }
  if (n != 3) {  // a format without all three parts: fall back to the local default
    l.order[0] = 'y';
    l.order[1] = 'M';
    l.order[2] = 'd';
  }
  if (l.separator.empty()) l.separator = "/";
  return l;
}

std::string Padded(int v, std::size_t width) {
  std::string s = Decimal(v);
  while (s.size() < width) s.insert(s.begin(), '0');
  return s;
}

}  // namespace

Date StrToDate(const std::string& text, const std::string& format) {
  const DateLayout l = LayoutOf(format);
  std::string parts[3];
  std::size_t start = 0;
  for (int i = 0; i < 3; ++i) {
    const std::size_t sep = i < 2 ? text.find(l.separator, start) : std::string::npos;
    if (i < 2 && sep == std::string::npos) throw DateError(text);
    parts[i] = text.substr(start, sep == std::string::npos ? std::string::npos : sep - start);
    if (parts[i].size() > 4 || !DigitsValue(parts[i])) throw DateError(text);
    start = sep + l.separator.size();
  }
  Date d;
  for (int i = 0; i < 3; ++i) {
    const int v = std::stoi(parts[i]);
    if (l.order[i] == 'y') d.year = parts[i].size() <= 2 ? 2000 + v : v;
    if (l.order[i] == 'M') d.month = v;
    if (l.order[i] == 'd') d.day = v;
  }
  if (d.year < 1 || d.year > 9999 || d.month < 1 || d.month > 12 || d.day < 1 || d.day > DaysInMonth(d.year, d.month))
    throw DateError(text);
  return d;
}

std::string DateToStr(const Date& date, const std::string& format) {
  std::string out;
  for (std::size_t i = 0; i < format.size();) {
    const char c = format[i];
    if (c == '\'') {
      const std::size_t end = format.find('\'', i + 1);
      out += format.substr(i + 1, end == std::string::npos ? std::string::npos : end - i - 1);
      i = end == std::string::npos ? format.size() : end + 1;
      continue;
    }
    std::size_t run = 1;
    while (i + run < format.size() && format[i + run] == c) ++run;
    if (c == 'y') {
      out += run >= 3 ? Padded(date.year, run == 3 ? 4 : run) : run == 2 ? Padded(date.year % 100, 2) : Decimal(date.year % 100);
    } else if (c == 'M') {
      out += Padded(date.month, run >= 2 ? 2 : 1);
    } else if (c == 'd') {
      out += Padded(date.day, run >= 2 ? 2 : 1);
    } else {
      out.append(run, c);
    }
    i += run;
  }
  return out;
}

}  // namespace ordavi
