// The typed-key filters of the dialogs' number boxes: a key a filter refuses
// is discarded (ui::FilterTypedKeys).
#pragma once

namespace ordavi {

inline constexpr char kBackspace = '\b';

// The wait box (minutes) reads "." as its decimal point whatever the locale's
// separator, since "." is the only separator it lets the user type.
inline constexpr char kMinutesDecimalPoint = '.';

// The wait box: digits, "." and Backspace.
inline bool AcceptsMinutesKey(char c) { return (c >= '0' && c <= '9') || c == '.' || c == kBackspace; }
// The editor's idle-minutes and boot boxes: digits and Backspace.
inline bool AcceptsDigitKey(char c) { return (c >= '0' && c <= '9') || c == kBackspace; }

}  // namespace ordavi
