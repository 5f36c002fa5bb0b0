// The notification-area icon: its record's changing part and the port that
// adds, changes and removes it.
#pragma once

#include <cstdint>
#include <string>

namespace ordavi {

inline constexpr const char* kTipEnabled = "Ordavi-启用";
inline constexpr const char* kTipDisabled = "Ordavi-禁用";
inline constexpr const char* kMainIcon = "MAINICON";
inline constexpr const char* kEnabledIcon = "ENASHUT";
inline constexpr const char* kDisabledIcon = "DISSHUT";
inline constexpr std::uint32_t kTrayCallbackMessage = 0x0401;  // WM_USER + 1
inline constexpr std::uint32_t kTrayIconId = 100;
inline constexpr std::uint32_t kWmLButtonDown = 0x0201, kWmRButtonDown = 0x0204;

// The tray icon record's changing part: the icon resource and the tip.
struct TrayIconState {
  std::string icon;  // MAINICON, ENASHUT or DISSHUT
  std::string tip;
};
enum class TrayOp : std::uint32_t { Add = 0, Modify = 1, Delete = 2 };  // NIM_*

// Port: Shell_NotifyIconW with the one tray icon record.
class TrayPort {
 public:
  virtual ~TrayPort() = default;
  virtual void Notify(TrayOp op, const TrayIconState& state) = 0;
};

}  // namespace ordavi
