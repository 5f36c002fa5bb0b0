// The four global hotkeys F8 to F11: their atom names, keys and actions, the
// menu captions that name them, and the port that registers them.
#pragma once

#include <cstdint>
#include <string>

#include "store/task_types.h"

namespace ordavi {

inline constexpr const char* kHotkeyAtomNames[4] = {"MyHotkeyF8", "MyHotkeyF9", "MyHotkeyF10", "MyHotkeyF11"};
inline constexpr std::uint32_t kHotkeyKeys[4] = {0x77, 0x78, 0x79, 0x7A};  // VK_F8..VK_F11
inline constexpr PowerAction kHotkeyActions[4] = {PowerAction::LogOff, PowerAction::Standby,
                                                  PowerAction::FastRestart, PowerAction::FastShutdown};
inline constexpr std::uint32_t kModControl = 2;

// Port: global atoms and the main window's hotkeys.
class HotkeyPort {
 public:
  virtual ~HotkeyPort() = default;
  virtual std::uint16_t FindAtom(const std::string& name) = 0;
  virtual std::uint16_t AddAtom(const std::string& name) = 0;
  virtual void DeleteAtom(std::uint16_t atom) = 0;
  virtual void RegisterHotKey(std::uint32_t id, std::uint32_t modifiers, std::uint32_t key) = 0;
  virtual void UnregisterHotKey(std::uint32_t id) = 0;
};

// Captions of the four menu items that name a hotkey, after start-up.
struct HotkeyCaptions {
  std::string logOff, standby, fastRestart, fastShutdown;
};
// `ctrlHotkeys` is the stored rejian; the log-off caption ends in the user's name.
HotkeyCaptions CaptionsFor(std::int32_t ctrlHotkeys, const std::string& userName);

}  // namespace ordavi
