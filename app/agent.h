// The agent's main window as the core sees it (TForm1 in its resident role):
// start-up and shut-down, the tray icon, the hotkeys, monitoring and the tray
// menu's commands. The Win32 window turns its messages into these calls and
// does what the ports ask; every decision is taken here.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "actions/network.h"
#include "actions/power.h"
#include "app/menu.h"
#include "schedule/tick.h"
#include "store/options.h"
#include "store/registry.h"
#include "store/tasks.h"

namespace ordavi {

inline constexpr const char* kAppTitle = "Ordavi";
inline constexpr const char* kNotAdminNotice = "以管理员身份运行失败，某些功能如禁启用网卡功能或无效";
inline constexpr const char* kTipEnabled = "Ordavi-启用";
inline constexpr const char* kTipDisabled = "Ordavi-禁用";
inline constexpr const char* kMainIcon = "MAINICON";
inline constexpr const char* kEnabledIcon = "ENASHUT";
inline constexpr const char* kDisabledIcon = "DISSHUT";
inline constexpr const char* kHelpFileName = "Ordavi.CHM";
inline constexpr const char* kHotkeyAtomNames[4] = {"MyHotkeyF8", "MyHotkeyF9", "MyHotkeyF10", "MyHotkeyF11"};
inline constexpr std::uint32_t kHotkeyKeys[4] = {0x77, 0x78, 0x79, 0x7A};  // VK_F8..VK_F11
inline constexpr PowerAction kHotkeyActions[4] = {PowerAction::LogOff, PowerAction::Standby,
                                                  PowerAction::FastRestart, PowerAction::FastShutdown};
inline constexpr std::uint32_t kModControl = 2;
inline constexpr std::uint32_t kTrayCallbackMessage = 0x0401;  // WM_USER + 1
inline constexpr std::uint32_t kTrayIconId = 100;
inline constexpr std::uint32_t kWmLButtonDown = 0x0201, kWmRButtonDown = 0x0204;

// The tray icon record's changing part: the icon resource and the tip.
struct TrayIconState {
  std::string icon;  // MAINICON, ENASHUT or DISSHUT
  std::string tip;
};
enum class TrayOp : std::uint32_t { Add = 0, Modify = 1, Delete = 2 };  // NIM_*

// Port: process and system facts start-up needs.
class StartupSystem {
 public:
  virtual ~StartupSystem() = default;
  struct Version {
    std::uint32_t major = 0;
    std::uint32_t platformId = 0;
  };
  virtual Version GetVersion() = 0;  // GetVersionExA, size field 148
  virtual void EnableShutdownPrivilege() = 0;
  virtual bool IsAdministrator() = 0;
  virtual void RaisePriority() = 0;      // SetPriorityClass(GetCurrentProcess(), 0x80)
  virtual std::uint32_t TickCount() = 0; // GetTickCount
  virtual std::string UserName() = 0;    // GetUserNameA, 256-byte buffer, size 255
  virtual std::string ExePath() = 0;     // the executable's full path
};

// Port: the notification-area icon (Shell_NotifyIconA with the one record).
class TrayPort {
 public:
  virtual ~TrayPort() = default;
  virtual void Notify(TrayOp op, const TrayIconState& state) = 0;
};

// Port: global atoms and hotkeys of the main window.
class HotkeyPort {
 public:
  virtual ~HotkeyPort() = default;
  virtual std::uint16_t FindAtom(const std::string& name) = 0;
  virtual std::uint16_t AddAtom(const std::string& name) = 0;
  virtual void DeleteAtom(std::uint16_t atom) = 0;
  virtual void RegisterHotKey(std::uint32_t id, std::uint32_t modifiers, std::uint32_t key) = 0;
  virtual void UnregisterHotKey(std::uint32_t id) = 0;
};

// Port: the main window itself and the windows it opens.
class MainWindowPort {
 public:
  virtual ~MainWindowPort() = default;
  virtual std::uint32_t RegisterTaskbarCreated() = 0;  // RegisterWindowMessageA("TaskbarCreated")
  virtual void SetProgressMax(std::int32_t maximum) = 0;
  virtual void MakeTopmost() = 0;  // SetWindowPos HWND_TOPMOST, 0,0,0,0, flags 3
  virtual void SetMenuCaption(MenuItem item, const std::string& caption) = 0;
  virtual void SetMenuChecked(MenuItem item, bool checked) = 0;
  virtual void OpenAbout() = 0;    // a new modeless About box
  virtual void Close() = 0;        // closes the main window, ending the agent
};

// The boot-time notice for a system up `tickMs` milliseconds, when `kaiji` asks
// for it (exactly 1) and the system started less than 300 s ago.
std::optional<std::string> BootTimeNotice(std::uint32_t tickMs, std::int32_t kaiji);

// Captions of n6, n7, n18 and n19 after start-up.
struct HotkeyCaptions {
  std::string n6, n7, n18, n19;
};
HotkeyCaptions CaptionsFor(std::int32_t rejian, const std::string& userName);

struct AgentPorts {
  StartupSystem& system;
  RegistryRoot& registry;
  TrayPort& tray;
  HotkeyPort& hotkeys;
  MainWindowPort& window;
  TimerPort& timers;
  NoticeSink& notices;
  ShellPort& shell;
  PowerSystem& power;
};

class Agent {
 public:
  explicit Agent(const AgentPorts& ports) : p_(ports) {}

  // Start-up, once, when the main window is created.
  void FormCreate();
  // The main window closes: the icon goes, the registry accessor is freed.
  void FormClose();
  // The main window is destroyed: hotkeys and atoms are released.
  void FormDestroy();

  // Any message of the main window; re-adds the icon when the taskbar restarts.
  void WndProc(std::uint32_t message);
  // The tray icon's callback; true when the popup menu is to be opened.
  bool TrayIconMessage(std::uint32_t mouseMessage) const;
  // WM_HOTKEY; true (message result 1) when the identifier is one of ours.
  bool HotKeyMessage(std::uint32_t id);

  // Tray menu commands.
  void MenuClick(MenuItem item);
  void N1Click();
  void SwitchMonitoringOn();
  void SwitchMonitoringOff();
  bool MonitoringOn() const { return monitoring_; }

  // State for the task tick, countdown and settings dialog.
  Options& options() { return options_; }
  Registry* registry() { return reg_.get(); }
  TaskStore* tasks() { return tasks_.get(); }
  const TrayIconState& trayIcon() const { return tray_; }
  const std::array<std::uint16_t, 4>& hotkeyIds() const { return hotkeyIds_; }

 private:
  void LoadStoredState();
  void ShowBootTimeNotice();
  void RegisterHotkeys();
  void SetTrayIcon(const char* icon, const char* tip);

  AgentPorts p_;
  Options options_;
  std::unique_ptr<RegistryKey> programKey_;
  std::unique_ptr<Registry> reg_;
  std::unique_ptr<TaskStore> tasks_;
  TrayIconState tray_;
  std::uint32_t taskbarCreated_ = 0;
  std::array<std::uint16_t, 4> hotkeyIds_{};
  bool monitoring_ = true;
};

}  // namespace ordavi
