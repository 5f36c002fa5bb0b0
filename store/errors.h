// The one error type of Ordavi's core. It carries the exact text the user sees
// in the standard error box ("Failed to set data for 'A1'", "'x' is not a valid
// integer value", ...). The Win32 shell catches it at the message-dispatch
// boundary; no exception escapes a window procedure.
#pragma once

#include <exception>
#include <string>

namespace ordavi {

// What went wrong, so callers can tell errors apart without reading texts.
enum class ErrorKind { SetData, GetData, InvalidType, NotInteger, NotDate, NotFloat, Other };

// A std::exception holding its text itself: std::runtime_error keeps its
// text in the library's older reference-counted string, whose code (about
// 45 KB of the shipped program) nothing else needs.
class FrameworkError : public std::exception {
 public:
  explicit FrameworkError(const std::string& text, ErrorKind kind = ErrorKind::Other) : text_(text), kind_(kind) {}
  const char* what() const noexcept override { return text_.c_str(); }
  ErrorKind kind() const { return kind_; }

 private:
  std::string text_;
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

// What the user reads for an error: a refused registry write says first, in
// Chinese, that the change was not saved and what to do, then the framework's
// text; every other error is its framework text.
inline constexpr const char* kRefusedSaveText =
    "更改未能保存：本次运行没有写入权限。请退出 Ordavi，再从开始菜单的“Ordavi”快捷方式（以管理员身份）启动。";
std::string UserErrorText(const FrameworkError& error);

}  // namespace ordavi
