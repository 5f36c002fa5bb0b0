// The agent as the core sees it: start-up and shut-down, the tray icon, the
// hotkeys, monitoring and the tray menu's commands. The main window turns its
// messages into these calls and does what the ports ask; every decision is
// taken here.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "actions/devices.h"
#include "actions/keep_awake.h"
#include "actions/notices.h"
#include "actions/power.h"
#include "actions/shell.h"
#include "app/hotkeys.h"
#include "app/main_window_port.h"
#include "app/menu.h"
#include "app/startup_system.h"
#include "app/tray.h"
#include "schedule/tick_state.h"
#include "store/options.h"
#include "store/registry.h"
#include "store/tasks.h"

namespace ordavi {

inline constexpr const char* kAppTitle = "Ordavi";
inline constexpr const char* kNotAdminNotice = "以管理员身份运行失败，某些功能如禁启用网卡功能或无效";
// Shown instead when the program's key opened for reading only, also for an
// administrator whose rights are not in force (started at log-on with UAC on).
inline constexpr const char* kReadOnlyNotice =
    "以管理员身份运行失败，任务和设置只能读取，不能保存，某些功能如禁启用网卡功能或无效。"
    "要修改任务或设置，请退出后从开始菜单的“Ordavi”快捷方式启动。";
// The start-up notice about rights, if one is due: the key read-only (writes
// would all be refused) or the Administrators group missing.
std::optional<std::string> RightsNotice(bool administrator, bool keyWritable);
inline constexpr const char* kHelpFileName = "Ordavi.CHM";

// The boot-time notice for a system up `tickMs` milliseconds, when `kaiji` asks
// for it (exactly 1) and the system started less than 300 s ago.
std::optional<std::string> BootTimeNotice(std::uint32_t tickMs, std::int32_t kaiji);

struct AgentPorts {
  StartupSystem& system;
  TrayPort& tray;
  HotkeyPort& hotkeys;
  MainWindowPort& window;
  NoticeSink& notices;
  ShellPort& shell;
  PowerSystem& power;
  DeviceSystem& devices;
};

// What the process keeps for its whole life, owned by the composition root:
// the shared registry accessor on the program's key, the task store over it
// (the task counter) and the in-memory options.
struct StoredState {
  Registry& registry;
  TaskStore& tasks;
  Options& options;
};

class Agent : public AwakeView {
 public:
  // Monitoring is the tick's run state without the hold of monitoring off.
  // `monitoringOff` is called after monitoring is switched off (the wake
  // timer is cancelled).
  Agent(const AgentPorts& ports, const StoredState& stored, TickRunState& tick, std::function<void()> monitoringOff)
      : p_(ports), stored_(stored), tick_(tick), monitoringOff_(std::move(monitoringOff)) {}

  // Start-up, once, when the main window has been created.
  void Start();
  // The main window closes: the icon goes.
  void OnMainWindowClosing();
  // The main window is destroyed: hotkeys and atoms are released.
  void OnMainWindowDestroyed();

  // Any message of the main window; re-adds the icon when the taskbar restarts.
  void OnWindowMessage(std::uint32_t message);
  // The tray icon's callback: true when the popup menu is to be opened.
  bool OpensMenu(std::uint32_t mouseMessage) const;
  // WM_HOTKEY; true (message result 1) when the identifier is one of ours.
  bool OnHotkey(std::uint32_t id);

  // A tray menu command. Settings and junk cleaning belong to other parts of
  // the agent and are left to the caller.
  void OnMenuCommand(MenuItem item);
  void ToggleMonitoring();
  void SwitchMonitoringOn();
  void SwitchMonitoringOff();
  bool MonitoringOn() const { return !tick_.HeldBy(TickStop::MonitoringOff); }
  // The tip's second line (app/tray_tip.h), shown while monitoring is on; the
  // icon is modified only when the tip changes.
  void ShowNextTask(const std::string& line);
  // A postponed action ("推迟的关闭计算机：22:40", empty when none): the tray
  // tip's second line names it, whether monitoring is on or off, and the menu
  // offers `cancelCaption`.
  void ShowPostponed(const std::string& line, const std::string& cancelCaption);
  // The keep-awake (actions/keep_awake.h): the tray tip's second line names
  // it ("保持唤醒到 17:00", empty when none runs) unless an action is
  // postponed; the submenu checks the length it was started with from the
  // menu (`menuMinutes`, -1: none) and 保持屏幕常亮, and offers its end.
  void ShowKeepAwake(const std::string& line, int menuMinutes, bool screenOn) override;
  // The operating system's major version, read at start.
  std::uint32_t OsMajorVersion() const { return osMajor_; }

  const TrayIconState& trayIcon() const { return tray_; }

 private:
  void LoadStoredState();
  void ShowBootTimeNotice();
  void RegisterHotkeys();
  // The tray menu's and the hotkeys' power actions, at once; what the PC
  // cannot do, did otherwise or refused is told in a notice.
  void DoPowerAction(PowerAction action);
  void SetTrayIcon(const char* icon, const char* tip);
  std::string TipText() const;
  void UpdateTip();

  AgentPorts p_;
  StoredState stored_;
  TickRunState& tick_;
  TrayIconState tray_;
  const char* tipFirstLine_ = kTipEnabled;
  std::string nextTask_;
  std::string postponed_;  // the postponed action's line, empty when none
  std::string awake_;      // the keep-awake's line, empty when none
  std::uint32_t taskbarCreated_ = 0;
  std::array<std::uint16_t, 4> hotkeyIds_{};
  std::uint32_t osMajor_ = 0;
  std::function<void()> monitoringOff_;
};

}  // namespace ordavi
