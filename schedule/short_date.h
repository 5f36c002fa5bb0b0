// Dates in the PC's short date format ("yyyy/M/d", "dd.MM.yyyy", ...): the
// once kind's date is stored that way, and the editor, the task file and
// the next run read and write it through these.
#pragma once

#include <string>

namespace ordavi {

struct Date {
  int year = 0;
  int month = 0;
  int day = 0;
};

// A date written in `format`'s own order and separator. Throws DateError(text)
// for anything that is not a real date in that form.
Date StrToDate(const std::string& text, const std::string& format);
// A date written with `format` (y, yy, yyyy, M, MM, d, dd and literal text).
std::string DateToStr(const Date& date, const std::string& format);

}  // namespace ordavi
