#include "app/agent.h"

#include "actions/open_for_user.h"
#include "app/about.h"
#include "app/tray_tip.h"
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
  if (!FlagIsOn(kKaijiValue, kaiji) || t >= 300) return std::nullopt;
  const std::uint32_t m = t / 60, s = t % 60;
  std::string text = "本次开机时间：";
  if (m != 0) text += Decimal(m) + "分";
  return text + Decimal(s) + "秒。";
}

std::optional<std::string> RightsNotice(bool administrator, bool keyWritable) {
  if (!keyWritable) return std::string(kReadOnlyNotice);
  if (!administrator) return std::string(kNotAdminNotice);
  return std::nullopt;
}

HotkeyCaptions CaptionsFor(std::int32_t ctrlHotkeys, const std::string& userName) {
  if (FlagIsOn(kRejianValue, ctrlHotkeys)) {
    return {"注销(&L) Ctrl+F8 " + userName, "待机(&W) Ctrl+F9", "快速重启(&I) Ctrl+F10", "快速关机(&Q) Ctrl+F11"};
  }
  return {std::string(DesignCaption(MenuItem::LogOff)) + " " + userName, DesignCaption(MenuItem::Standby),
          DesignCaption(MenuItem::FastRestart), DesignCaption(MenuItem::FastShutdown)};
}

void Agent::Start() {
  const StartupSystem::Version v = p_.system.GetVersion();
  osMajor_ = v.major;
  if (v.major >= 5 || v.platformId == 2) p_.system.EnableShutdownPrivilege();
  if (auto text = RightsNotice(p_.system.IsAdministrator(), stored_.registry.Writable())) {
    p_.notices.ShowNotice(*text);
  }
  p_.system.RaisePriority();
  LoadStoredState();
  ShowBootTimeNotice();
  taskbarCreated_ = p_.window.RegisterTaskbarCreated();
  tray_ = {kMainIcon, kTipEnabled};
  p_.tray.Notify(TrayOp::Add, tray_);
  p_.window.SetProgressMax(stored_.options.countdownSeconds);
  p_.window.MakeTopmost();
  RegisterHotkeys();
  p_.window.SetMenuChecked(MenuItem::Monitoring, true);
  tick_.Start();
}

// The options and the task counter. A stored value that cannot be used is
// reported once and replaced by its default in memory, so the tray icon, the
// hotkeys and the tick still come up.
void Agent::LoadStoredState() {
  stored_.options = Options{};
  const std::vector<OptionProblem> problems =
      LoadOptions(stored_.registry, stored_.options, [this] { stored_.tasks.LoadTaskCounter(); });
  if (!problems.empty()) p_.notices.ShowNotice(OptionProblemsNotice(problems));
}

void Agent::ShowBootTimeNotice() {
  std::int32_t kaiji = 0;
  try {
    kaiji = stored_.registry.ReadInteger(kKaijiValue);
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
  const bool ctrl = FlagIsOn(kRejianValue, stored_.options.ctrlHotkeys);
  const std::uint32_t modifiers = ctrl ? kModControl : 0;
  if (ctrl) {
    for (int i = 0; i < 4; ++i) p_.hotkeys.RegisterHotKey(hotkeyIds_[i], modifiers, kHotkeyKeys[i]);
  }
  const HotkeyCaptions c = CaptionsFor(stored_.options.ctrlHotkeys, p_.system.UserName());
  p_.window.SetMenuCaption(MenuItem::LogOff, c.logOff);
  p_.window.SetMenuCaption(MenuItem::Standby, c.standby);
  p_.window.SetMenuCaption(MenuItem::FastRestart, c.fastRestart);
  p_.window.SetMenuCaption(MenuItem::FastShutdown, c.fastShutdown);
  if (!ctrl) {
    for (int i = 0; i < 4; ++i) p_.hotkeys.RegisterHotKey(hotkeyIds_[i], modifiers, kHotkeyKeys[i]);
  }
}

void Agent::OnMainWindowClosing() { p_.tray.Notify(TrayOp::Delete, tray_); }

void Agent::OnMainWindowDestroyed() {
  for (std::uint16_t id : hotkeyIds_) p_.hotkeys.UnregisterHotKey(id);
  for (std::uint16_t id : hotkeyIds_) p_.hotkeys.DeleteAtom(id);
}

void Agent::OnWindowMessage(std::uint32_t message) {
  if (taskbarCreated_ != 0 && message == taskbarCreated_) p_.tray.Notify(TrayOp::Add, tray_);
}

bool Agent::OpensMenu(std::uint32_t mouseMessage) const {
  return mouseMessage == kWmLButtonDown || mouseMessage == kWmRButtonDown;
}

bool Agent::OnHotkey(std::uint32_t id) {
  bool handled = false;
  for (int i = 0; i < 4; ++i) {
    if (id == hotkeyIds_[i]) {
      DoPowerAction(kHotkeyActions[i]);
      handled = true;
    }
  }
  return handled;
}

void Agent::DoPowerAction(PowerAction action) {
  const std::string note = ActionNote(PerformPowerAction(action, p_.power));
  if (!note.empty()) p_.notices.ShowNotice(note);
}

void Agent::SetTrayIcon(const char* icon, const char* tip) {
  tipFirstLine_ = tip;
  tray_ = {icon, TipText()};
  p_.tray.Notify(TrayOp::Modify, tray_);
}

std::string Agent::TipText() const {
  if (!postponed_.empty()) return TrayTip(tipFirstLine_, postponed_);
  if (!awake_.empty()) return TrayTip(tipFirstLine_, awake_);
  return TrayTip(tipFirstLine_, MonitoringOn() ? nextTask_ : std::string());
}

void Agent::ShowNextTask(const std::string& line) {
  nextTask_ = line;
  UpdateTip();
}

void Agent::ShowPostponed(const std::string& line, const std::string& cancelCaption) {
  postponed_ = line;
  p_.window.SetPostponedItem(cancelCaption);
  UpdateTip();
}

void Agent::ShowKeepAwake(const std::string& line, int menuMinutes, bool screenOn) {
  awake_ = line;
  for (const MenuEntry& e : kAwakeMenu) {
    const int minutes = AwakeMinutesOf(e.item);
    if (minutes >= 0) p_.window.SetMenuChecked(e.item, minutes == menuMinutes);
  }
  p_.window.SetMenuChecked(MenuItem::AwakeDisplay, screenOn);
  p_.window.SetMenuEnabled(MenuItem::AwakeCancel, !line.empty());
  UpdateTip();
}

void Agent::UpdateTip() {
  const std::string tip = TipText();
  if (tip == tray_.tip) return;
  tray_.tip = tip;
  p_.tray.Notify(TrayOp::Modify, tray_);
}

void Agent::ToggleMonitoring() {
  if (MonitoringOn()) {
    SwitchMonitoringOff();
  } else {
    SwitchMonitoringOn();
  }
}

void Agent::SwitchMonitoringOn() {
  tick_.MonitoringSwitchedOn();
  p_.window.SetMenuChecked(MenuItem::Monitoring, true);
  SetTrayIcon(kEnabledIcon, kTipEnabled);
}

void Agent::SwitchMonitoringOff() {
  tick_.MonitoringSwitchedOff();
  p_.window.SetMenuChecked(MenuItem::Monitoring, false);
  SetTrayIcon(kDisabledIcon, kTipDisabled);
  monitoringOff_();
}

void Agent::OnMenuCommand(MenuItem item) {
  // Every command acts at once, whether monitoring is on or off.
  switch (item) {
    case MenuItem::Monitoring: ToggleMonitoring(); break;
    case MenuItem::LogOff: DoPowerAction(PowerAction::LogOff); break;
    case MenuItem::Standby: DoPowerAction(PowerAction::Standby); break;
    case MenuItem::Hibernate: DoPowerAction(PowerAction::Hibernate); break;
    case MenuItem::Restart: DoPowerAction(PowerAction::Restart); break;
    case MenuItem::ShutDown: DoPowerAction(PowerAction::ShutDown); break;
    case MenuItem::OpenCdDoor: OpenCdDoor(p_.devices); break;
    case MenuItem::CloseCdDoor: CloseCdDoor(p_.devices); break;
    case MenuItem::MonitorOff: MonitorOff(p_.devices); break;
    case MenuItem::FastRestart: DoPowerAction(PowerAction::FastRestart); break;
    case MenuItem::FastShutdown: DoPowerAction(PowerAction::FastShutdown); break;
    case MenuItem::About: p_.window.OpenAbout(); break;
    case MenuItem::Help: p_.shell.OpenHelpFile(SplitPath(p_.system.ExePath()).dir + kHelpFileName); break;
    case MenuItem::Update:
      if (!ShowWebPageForUser(p_.shell, kDownloadPage)) p_.notices.ShowNotice(WebPageRefusedNotice(kDownloadPage));
      break;
    case MenuItem::Exit: p_.window.Close(); break;
    default: break;  // settings and junk cleaning are handled by their own parts; separators do nothing
  }
}

}  // namespace ordavi
