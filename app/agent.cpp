#include "app/agent.h"

#include "app/about.h"
#include "store/errors.h"
#include "store/text.h"

namespace ordavi {

const char* DesignCaption(MenuItem item) {
  for (const MenuEntry& e : kPopupMenu) {
    if (e.item == item) return e.caption;
  }
  return "";
}

std::optional<std::string> BootTimeNotice(std::uint32_t tickMs, std::int32_t kaiji) {
  const std::uint32_t t = tickMs / 1000;
  if (kaiji != 1 || t >= 300) return std::nullopt;
  const std::uint32_t m = t / 60, s = t % 60;
  std::string text = "本次开机时间：";
  if (m != 0) text += Decimal(m) + "分";
  return text + Decimal(s) + "秒。";
}

HotkeyCaptions CaptionsFor(std::int32_t rejian, const std::string& userName) {
  if (rejian != 0) {
    return {"注销(&L) Ctrl+F8 " + userName, "待机(&W) Ctrl+F9", "快速重启(&I) Ctrl+F10", "快速关机(&Q) Ctrl+F11"};
  }
  return {std::string(DesignCaption(MenuItem::n6)) + " " + userName, DesignCaption(MenuItem::n7),
          DesignCaption(MenuItem::n18), DesignCaption(MenuItem::n19)};
}

void Agent::FormCreate() {
  const StartupSystem::Version v = p_.system.GetVersion();
  if (v.major >= 5 || v.platformId == 2) p_.system.EnableShutdownPrivilege();
  if (!p_.system.IsAdministrator()) p_.notices.ShowNotice(kNotAdminNotice);
  p_.system.RaisePriority();
  p_.timers.SetTimerEnabled(MainTimer::Timer2, false);
  LoadStoredState();
  ShowBootTimeNotice();
  taskbarCreated_ = p_.window.RegisterTaskbarCreated();
  tray_ = {kMainIcon, kTipEnabled};
  p_.tray.Notify(TrayOp::Add, tray_);
  p_.window.SetProgressMax(options_.tishi);
  p_.window.MakeTopmost();
  RegisterHotkeys();
  monitoring_ = true;
  p_.window.SetMenuChecked(MenuItem::n1, true);
  p_.timers.SetTimerEnabled(MainTimer::Timer1, true);
}

// The options and the task counter. A stored value that cannot be used is
// reported once and replaced by its default in memory, so the tray icon, the
// hotkeys and the tick still come up.
void Agent::LoadStoredState() {
  options_ = Options{};
  programKey_ = p_.registry.OpenKey(kProgramKeyPath);
  reg_ = std::make_unique<Registry>(*programKey_);
  tasks_ = std::make_unique<TaskStore>(*reg_);
  const std::vector<OptionProblem> problems = LoadOptions(*reg_, options_, [this] { tasks_->LoadTaskCounter(); });
  if (!problems.empty()) p_.notices.ShowNotice(OptionProblemsNotice(problems));
}

void Agent::ShowBootTimeNotice() {
  std::int32_t kaiji = 0;
  try {
    kaiji = reg_->ReadInteger(kKaijiValue);
  } catch (const FrameworkError&) {
    return;  // already reported by LoadStoredState
  }
  if (auto text = BootTimeNotice(p_.system.TickCount(), kaiji)) p_.notices.ShowNotice(*text);
}

void Agent::RegisterHotkeys() {
  for (int i = 0; i < 4; ++i) {
    std::uint16_t atom = p_.hotkeys.FindAtom(kHotkeyAtomNames[i]);
    if (atom == 0) atom = p_.hotkeys.AddAtom(kHotkeyAtomNames[i]);
    hotkeyIds_[i] = atom;
  }
  const std::uint32_t modifiers = options_.rejian != 0 ? kModControl : 0;
  if (options_.rejian != 0) {
    for (int i = 0; i < 4; ++i) p_.hotkeys.RegisterHotKey(hotkeyIds_[i], modifiers, kHotkeyKeys[i]);
  }
  const HotkeyCaptions c = CaptionsFor(options_.rejian, p_.system.UserName());
  p_.window.SetMenuCaption(MenuItem::n6, c.n6);
  p_.window.SetMenuCaption(MenuItem::n7, c.n7);
  p_.window.SetMenuCaption(MenuItem::n18, c.n18);
  p_.window.SetMenuCaption(MenuItem::n19, c.n19);
  if (options_.rejian == 0) {
    for (int i = 0; i < 4; ++i) p_.hotkeys.RegisterHotKey(hotkeyIds_[i], modifiers, kHotkeyKeys[i]);
  }
}

void Agent::FormClose() {
  p_.tray.Notify(TrayOp::Delete, tray_);
  tasks_.reset();
  reg_.reset();
  programKey_.reset();
}

void Agent::FormDestroy() {
  for (std::uint16_t id : hotkeyIds_) p_.hotkeys.UnregisterHotKey(id);
  for (std::uint16_t id : hotkeyIds_) p_.hotkeys.DeleteAtom(id);
}

void Agent::WndProc(std::uint32_t message) {
  if (taskbarCreated_ != 0 && message == taskbarCreated_) p_.tray.Notify(TrayOp::Add, tray_);
}

bool Agent::TrayIconMessage(std::uint32_t mouseMessage) const {
  return mouseMessage == kWmLButtonDown || mouseMessage == kWmRButtonDown;
}

bool Agent::HotKeyMessage(std::uint32_t id) {
  bool handled = false;
  for (int i = 0; i < 4; ++i) {
    if (id == hotkeyIds_[i]) {
      PerformPowerAction(kHotkeyActions[i], p_.power);
      handled = true;
    }
  }
  return handled;
}

void Agent::SetTrayIcon(const char* icon, const char* tip) {
  tray_ = {icon, tip};
  p_.tray.Notify(TrayOp::Modify, tray_);
}

void Agent::N1Click() {
  if (monitoring_) {
    SwitchMonitoringOff();
  } else {
    SwitchMonitoringOn();
  }
}

void Agent::SwitchMonitoringOn() {
  p_.timers.SetTimerEnabled(MainTimer::Timer1, true);
  monitoring_ = true;
  p_.window.SetMenuChecked(MenuItem::n1, true);
  SetTrayIcon(kEnabledIcon, kTipEnabled);
}

void Agent::SwitchMonitoringOff() {
  p_.timers.SetTimerEnabled(MainTimer::Timer1, false);
  monitoring_ = false;
  p_.window.SetMenuChecked(MenuItem::n1, false);
  SetTrayIcon(kDisabledIcon, kTipDisabled);
}

void Agent::MenuClick(MenuItem item) {
  switch (item) {
    case MenuItem::n1: N1Click(); break;
    case MenuItem::n6: PerformPowerAction(PowerAction::LogOff, p_.power); break;
    case MenuItem::n7: PerformPowerAction(PowerAction::Standby, p_.power); break;
    case MenuItem::n8: PerformPowerAction(PowerAction::Hibernate, p_.power); break;
    case MenuItem::n9: PerformPowerAction(PowerAction::Restart, p_.power); break;
    case MenuItem::n10: PerformPowerAction(PowerAction::ShutDown, p_.power); break;
    case MenuItem::n18: PerformPowerAction(PowerAction::FastRestart, p_.power); break;
    case MenuItem::n19: PerformPowerAction(PowerAction::FastShutdown, p_.power); break;
    case MenuItem::n15: p_.window.OpenAbout(); break;
    case MenuItem::n16:
      p_.shell.Execute(ShellOwner::MainWindow, std::nullopt,
                            SplitPath(p_.system.ExePath()).dir + kHelpFileName, std::string(), std::string(), 1);
      break;
    case MenuItem::N20:
      p_.shell.Execute(ShellOwner::None, std::string("open"), kDownloadPage, std::nullopt, std::nullopt, 1);
      break;
    case MenuItem::n17: p_.window.Close(); break;
    default: break;  // settings, device and junk commands are handled by their own parts
  }
}

}  // namespace ordavi
