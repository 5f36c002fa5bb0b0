// A message box the user must acknowledge: owned by no window, one OK button,
// caption "提示" with the information icon or "错误" with the error icon. The
// cores that refuse an input return one; the Win32 shell shows it.
#pragma once

#include <string>

namespace ordavi {

enum class MessageIcon { Information, Error };
struct UserMessage {
  std::string text;
  std::string caption;
  MessageIcon icon = MessageIcon::Information;
};

inline constexpr const char* kInfoCaption = "提示";
inline constexpr const char* kErrorCaption = "错误";

}  // namespace ordavi
