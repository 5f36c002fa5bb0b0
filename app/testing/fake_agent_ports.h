// The agent's ports for unit tests, all logging into one log so a test sees
// the order of calls across them. Logged: "EnableShutdownPrivilege()",
// "RaisePriority()", "Notify(Add|Modify|Delete,icon,tip)",
// "RegisterHotKey(id,modifiers,key)", "UnregisterHotKey(id)",
// "DeleteAtom(atom)", "MakeTopmost()", "OpenAbout()", "Close()", and the
// calls of the notice, shell, power and device fakes. Questions are answered
// from fields; the progress bar's maximum and the menu's captions and checks
// are kept as the user sees them.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "actions/testing/fake_devices.h"
#include "actions/testing/fake_notices.h"
#include "actions/testing/fake_power.h"
#include "actions/testing/fake_shell.h"
#include "app/agent.h"
#include "store/testing/call_log.h"

namespace ordavi::testing {

class FakeStartupSystem : public Recording, public StartupSystem {
 public:
  using Recording::Recording;
  Version GetVersion() override { return version; }
  void EnableShutdownPrivilege() override { Record("EnableShutdownPrivilege"); }
  bool IsAdministrator() override { return administrator; }
  void RaisePriority() override { Record("RaisePriority"); }
  std::uint32_t TickCount() override { return tickCount; }
  std::string UserName() override { return userName; }
  std::string ExePath() override { return exePath; }

  Version version{5, 2};
  bool administrator = true;
  std::uint32_t tickCount = 3600000;
  std::string userName = "alice";
  std::string exePath = "C:\\工具\\Ordavi.exe";
};

class FakeTray : public Recording, public TrayPort {
 public:
  using Recording::Recording;
  void Notify(TrayOp op, const TrayIconState& s) override {
    const char* ops[] = {"Add", "Modify", "Delete"};
    Record("Notify", {ops[static_cast<int>(op)], s.icon, s.tip});
  }
};

// Atoms come from `atoms`; a new one gets `nextAtom`.
class FakeHotkeys : public Recording, public HotkeyPort {
 public:
  using Recording::Recording;
  std::uint16_t FindAtom(const std::string& n) override { return atoms.count(n) ? atoms[n] : 0; }
  std::uint16_t AddAtom(const std::string& n) override { return atoms[n] = nextAtom++; }
  void DeleteAtom(std::uint16_t a) override { Record("DeleteAtom", {std::to_string(a)}); }
  void RegisterHotKey(std::uint32_t id, std::uint32_t mods, std::uint32_t key) override {
    Record("RegisterHotKey", {std::to_string(id), std::to_string(mods), std::to_string(key)});
  }
  void UnregisterHotKey(std::uint32_t id) override { Record("UnregisterHotKey", {std::to_string(id)}); }

  std::map<std::string, std::uint16_t> atoms;
  std::uint16_t nextAtom = 0xC001;
};

class FakeMainWindow : public Recording, public MainWindowPort {
 public:
  using Recording::Recording;
  std::uint32_t RegisterTaskbarCreated() override { return 0xC100; }
  void SetProgressMax(std::int32_t m) override { progressMax = m; }
  void MakeTopmost() override { Record("MakeTopmost"); }
  void SetMenuCaption(MenuItem i, const std::string& c) override { captions[i] = c; }
  void SetMenuChecked(MenuItem i, bool c) override { checks[i] = c; }
  void SetMenuEnabled(MenuItem i, bool e) override { enabled[i] = e; }
  void SetPostponedItem(const std::string& c) override { captions[MenuItem::CancelPostponed] = c; }
  void OpenAbout() override { Record("OpenAbout"); }
  void Close() override { Record("Close"); }

  std::int32_t progressMax = -1;
  std::map<MenuItem, std::string> captions;
  std::map<MenuItem, bool> checks;
  std::map<MenuItem, bool> enabled;
};

// Every port of the agent, on one log.
struct FakeAgentPorts {
  AgentPorts ports() { return {system, tray, hotkeys, window, notices, shell, power, devices}; }

  CallLog log;
  FakeStartupSystem system{log};
  FakeTray tray{log};
  FakeHotkeys hotkeys{log};
  FakeMainWindow window{log};
  FakeNotices notices{log};
  FakeShell shell{log};
  FakePower power{log};
  FakeDevices devices{log};
};

}  // namespace ordavi::testing
