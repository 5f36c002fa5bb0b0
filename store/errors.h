// The one error type of Ordavi's core. It carries the exact text the user sees
// in the standard error box ("Failed to set data for 'A1'", "'x' is not a valid
// integer value", ...). The Win32 shell catches it at the message-dispatch
// boundary; no exception escapes a window procedure.
#pragma once

#include <stdexcept>
#include <string>

namespace ordavi {

// What went wrong, so callers can tell errors apart without reading texts.
enum class ErrorKind { SetData, GetData, InvalidType, NotInteger, NotDate, NotFloat, Other };

class FrameworkError : public std::runtime_error {
 public:
  explicit FrameworkError(const std::string& text, ErrorKind kind = ErrorKind::Other)
      : std::runtime_error(text), kind_(kind) {}
  ErrorKind kind() const { return kind_; }

 private:
  ErrorKind kind_;
};

FrameworkError SetDataError(const std::string& valueName);      // Failed to set data for '%s'
FrameworkError GetDataError(const std::string& valueName);      // Failed to get data for '%s'
FrameworkError InvalidTypeError(const std::string& valueName);  // Invalid data type for '%s'
FrameworkError IntegerError(const std::string& text);           // '%s' is not a valid integer value
FrameworkError DateError(const std::string& text);              // '%s' is not a valid date
FrameworkError FloatError(const std::string& text);             // '%s' is not a valid floating point value

// The text of the standard error box: the message, with a full stop appended
// when its last character sorts after ".".
std::string ErrorBoxText(const std::string& message);

}  // namespace ordavi
